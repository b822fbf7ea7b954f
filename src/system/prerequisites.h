// The minimum Windows version the setup runs on.
#pragma once

#include "os/windows_api.h"

#include <cstdint>

namespace korvel {

constexpr uint32_t kExitVersionUnreadable = 2;
constexpr uint32_t kExitNeedWindows2000Sp4 = 3;
constexpr uint32_t kExitNeedWindowsXpSp2 = 4;
constexpr uint32_t kExitNeedWindows2003Sp2 = 5;
constexpr uint32_t kExitWindowsTooOld = 6;

// 0 when Windows is recent enough, otherwise the exit code of the refused run after its
// message (shown unless `silent`; a Windows older than 2000 is told also under `silent`).
uint32_t CheckWindowsVersion(WindowsApi& os, bool silent);

} // namespace korvel
