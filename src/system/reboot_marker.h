// The registry marker that says a restart is needed, and the restart itself. The marker
// is the key HKEY_CURRENT_USER\Software\NeedBstrReboot in the 32-bit registry view; its
// existence alone is the need, so it outlives the process until a run offers the restart.
#pragma once

#include "os/windows_api.h"

#include <cstdint>

namespace korvel {

// Creates the marker (an existing one is simply opened); returns 0 or the registry error.
uint32_t CreateRebootMarker(WindowsApi& os);

// Sets `markerSet` when the marker can be opened; returns 0 or the registry error, after
// which `markerSet` is false.
uint32_t IsRebootMarkerSet(WindowsApi& os, bool& markerSet);

// Removes the marker; returns 0 or the registry error.
uint32_t DeleteRebootMarker(WindowsApi& os);

// Enables the shutdown privilege and starts a forced restart; true when it was started.
bool RequestReboot(WindowsApi& os);

} // namespace korvel
