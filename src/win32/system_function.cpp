#include "win32/system_function.h"

#include <string>

namespace korvel {

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
    char16_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(reinterpret_cast<wchar_t*>(folder), MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    const std::u16string path =
        std::u16string(folder, length) + u"\\" + reinterpret_cast<const char16_t*>(fileName);
    // Its own dependencies are then looked for beside it, in the system folder, first.
    return ::LoadLibraryExW(reinterpret_cast<const wchar_t*>(path.c_str()), nullptr,
                            LOAD_WITH_ALTERED_SEARCH_PATH);
}

} // namespace korvel
