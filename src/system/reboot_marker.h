// The registry marker that says a restart is needed, and the restart itself.
#pragma once

#include "os/windows_api.h"

#include <cstdint>

namespace korvel {

// Sets `markerSet` when the marker exists; returns 0 or the registry error code.
uint32_t IsRebootMarkerSet(WindowsApi& os, bool& markerSet);

// Removes the marker; returns 0 or the registry error code.
uint32_t DeleteRebootMarker(WindowsApi& os);

// Starts restarting Windows; true when the restart was started.
bool RequestReboot(WindowsApi& os);

} // namespace korvel
