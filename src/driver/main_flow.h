// The run of the setup program from start to exit code.
#pragma once

#include "common/run_options.h"
#include "os/windows_api.h"

#include <cstdint>
#include <string>

namespace korvel {

constexpr uint32_t kExitNoAdministrator = 1;
constexpr uint32_t kExitRestartFailed = 7;

// `commandTail` is the command line after the program's name. Returns the process exit code
// on every path, the help and a cancelled dialog included: the caller alone ends the process.
uint32_t RunSetup(WindowsApi& os, SetupOptions& setup, const std::u16string& commandTail);

} // namespace korvel
