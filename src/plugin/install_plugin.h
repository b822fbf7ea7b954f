// Bringing the plug-in onto the machine: fresh installation, upgrade, reinstallation or
// refusal.
#pragma once

#include "os/windows_api.h"

#include <cstdint>
#include <string>

namespace korvel {

// 0 when the plug-in is installed (or there was nothing to do), 1602 when the user
// cancelled, otherwise the failing code. `logPath` receives the install log's path when
// msiexec was started and stays as it was otherwise.
uint32_t InstallPlugin(WindowsApi& os, const std::u16string& pluginArgs, bool silent,
                       std::u16string& logPath, bool reinstall);

} // namespace korvel
