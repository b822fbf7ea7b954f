#include "win32/common_controls.h"

#include "win32/system_function.h"

namespace korvel {

void InitializeCommonControls() {
    // Loaded by name, not from the system folder's path, so that the side-by-side version
    // the manifest asks for is the one loaded; with the search restricted, nothing beside
    // the program is looked at.
    using InitCommonControlsFunction = void(WINAPI*)();
    const auto initCommonControls = FindFunction<InitCommonControlsFunction>(
        ::LoadLibraryExW(L"comctl32.dll", nullptr, 0), "InitCommonControls");
    if (initCommonControls != nullptr)
        initCommonControls();
}

} // namespace korvel
