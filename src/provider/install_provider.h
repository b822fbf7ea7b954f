// Installing one provider product through its own Setup.exe.
#pragma once

#include "os/windows_api.h"

#include <cstdint>
#include <string>

namespace korvel {

// Runs "<kind>\Setup.exe" from the current folder; `kind` is "csp" or "ucsp" and `args`
// the text passed through to it. 0 to go on, otherwise the code the run ends with: the
// setup's exit code or the error of starting it (reported unless `silent`).
uint32_t InstallProvider(WindowsApi& os, const std::u16string& kind, std::u16string args,
                         bool silent, bool reinstall);

} // namespace korvel
