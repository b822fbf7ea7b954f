#include "os/win32/common_controls.h"

#include <windows.h>

namespace korvel {

void InitializeCommonControls() {
    // Loaded at run time, through the manifest's side-by-side version, rather than
    // imported: an import would be looked for beside the program first.
    const HMODULE library = ::LoadLibraryExW(L"comctl32.dll", nullptr, 0);
    if (library == nullptr)
        return;
    using InitCommonControlsFunction = void(WINAPI*)();
    const auto initCommonControls = reinterpret_cast<InitCommonControlsFunction>(
        reinterpret_cast<void*>(::GetProcAddress(library, "InitCommonControls")));
    if (initCommonControls != nullptr)
        initCommonControls();
}

} // namespace korvel
