#include "os/win32/process_hardening.h"

#include <windows.h>

namespace korvel {

namespace {

// Values of newer Windows headers; the program is compiled for the oldest Windows it
// admits, so these functions are found at run time.
constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;      // LOAD_LIBRARY_SEARCH_SYSTEM32
constexpr DWORD kBaseSearchPathEnableSafeSearchMode = 0x0001; // BASE_SEARCH_PATH_...
constexpr DWORD kBaseSearchPathPermanent = 0x8000;

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryWFunction = BOOL(WINAPI*)(LPCWSTR);
using SetSearchPathModeFunction = BOOL(WINAPI*)(DWORD);

template <class Function> Function Find(HMODULE kernel, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(kernel, name)));
}

} // namespace

void RestrictSearchPaths() {
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr)
        return;
    const auto setDefaultDllDirectories =
        Find<SetDefaultDllDirectoriesFunction>(kernel, "SetDefaultDllDirectories");
    if (setDefaultDllDirectories == nullptr ||
        !setDefaultDllDirectories(kLoadLibrarySearchSystem32)) {
        // Older systems: at least take the current folder out of the library search.
        if (const auto setDllDirectory = Find<SetDllDirectoryWFunction>(kernel, "SetDllDirectoryW"))
            setDllDirectory(L"");
    }
    if (const auto setSearchPathMode = Find<SetSearchPathModeFunction>(kernel, "SetSearchPathMode"))
        setSearchPathMode(kBaseSearchPathEnableSafeSearchMode | kBaseSearchPathPermanent);
}

} // namespace korvel
