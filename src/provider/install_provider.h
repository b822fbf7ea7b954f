// Installing one provider product through its own Setup.exe.
#pragma once

#include "os/windows_api.h"

#include <cstdint>
#include <string>

namespace korvel {

// `kind` is the provider's folder word, "csp" or "ucsp"; `args` the text passed through
// to its setup. 0 to go on, otherwise the code the run ends with (the failure has been
// reported unless `silent`).
uint32_t InstallProvider(WindowsApi& os, const std::u16string& kind, std::u16string args,
                         bool silent, bool reinstall);

} // namespace korvel
