// The themed common controls that the manifest asks for.
#pragma once

namespace korvel {

// Windows XP creates the buttons of the program's boxes and dialog from the common
// controls library of the manifest only once that library is loaded and initialised;
// later Windows do it themselves. Call after the library search has been restricted.
void InitializeCommonControls();

} // namespace korvel
