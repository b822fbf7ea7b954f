#include "win32/process_hardening.h"

#include "win32/system_function.h"

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

} // namespace

void RestrictSearchPaths() {
    const HMODULE kernel = LoadedModule(L"kernel32.dll");
    const auto setDefaultDllDirectories =
        FindFunction<SetDefaultDllDirectoriesFunction>(kernel, "SetDefaultDllDirectories");
    if (setDefaultDllDirectories == nullptr ||
        !setDefaultDllDirectories(kLoadLibrarySearchSystem32)) {
        // Older systems: at least take the current folder out of the library search. Where
        // even that fails, nothing more can be done.
        if (const auto setDllDirectory =
                FindFunction<SetDllDirectoryWFunction>(kernel, "SetDllDirectoryW"))
            setDllDirectory(L"");
    }
    // As above: the search for child programs keeps its default order where this fails.
    if (const auto setSearchPathMode =
            FindFunction<SetSearchPathModeFunction>(kernel, "SetSearchPathMode"))
        setSearchPathMode(kBaseSearchPathEnableSafeSearchMode | kBaseSearchPathPermanent);
}

} // namespace korvel
