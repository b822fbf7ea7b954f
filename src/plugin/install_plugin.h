// Bringing the plug-in onto the machine: fresh installation, upgrade, reinstallation or
// refusal, for the processor architecture of Windows.
#pragma once

#include "os/windows_api.h"

#include <cstdint>
#include <string>

namespace korvel {

// Every Windows Installer query and package of the plug-in uses this one product code.
inline constexpr char16_t kPluginProductCode[] = u"{5B0E2C71-8D34-4F6A-9C1E-3A7D2B904E68}";

// 0 when the plug-in is installed, when there was nothing to do, or when it was refused
// because a later version is installed; 1602 when the user cancelled; otherwise the
// failing code. `logPath` receives the install log's path when msiexec was started and
// stays as it was otherwise.
uint32_t InstallPlugin(WindowsApi& os, const std::u16string& pluginArgs, bool silent,
                       std::u16string& logPath, bool reinstall);

} // namespace korvel
