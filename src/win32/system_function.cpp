#include "win32/system_function.h"

#include "win32/process_hardening.h"

#include <string>

namespace korvel {

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
    // Windows refuses the documented flag for this once the default directories are set,
    // and leaves it undefined for anything but a full path.
    if (SearchesSystemFolderOnly())
        return ::LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
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
