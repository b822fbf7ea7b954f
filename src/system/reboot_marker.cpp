// Placeholder until the registry marker lands: there is never a marker, so the main
// flow always ends with the text that asks to restart the browser.
#include "system/reboot_marker.h"

namespace korvel {

uint32_t IsRebootMarkerSet(WindowsApi&, bool& markerSet) {
    markerSet = false;
    return 0;
}

uint32_t DeleteRebootMarker(WindowsApi&) {
    return 0;
}

bool RequestReboot(WindowsApi&) {
    return true;
}

} // namespace korvel
