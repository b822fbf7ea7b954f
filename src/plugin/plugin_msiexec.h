// One run of msiexec on the plug-in package.
#pragma once

#include "os/windows_api.h"

#include <cstdint>
#include <string>

namespace korvel {

// Finds the package matching `packageMask`, names its verbose log (stored in `logPath`
// before msiexec starts), points the product's source list at the package and runs
// msiexec /i with " REBOOT=R " and `properties` at the end. Returns 0 on success, also
// when a restart is needed (the restart marker is then created); otherwise the code of
// the package search, of the log naming, of the failed start, or msiexec's exit code.
uint32_t RunPluginMsiexec(WindowsApi& os, const std::u16string& productCode,
                          const std::u16string& packageMask, const std::u16string& properties,
                          bool silent, std::u16string& logPath);

} // namespace korvel
