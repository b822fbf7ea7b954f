#include "win32/process_hardening.h"

#include "win32/system_function.h"

namespace korvel {

namespace {

// Values of newer Windows headers; the program is compiled for the oldest Windows it
// admits, so these functions are found at run time.
constexpr DWORD kBaseSearchPathEnableSafeSearchMode = 0x0001; // BASE_SEARCH_PATH_...
constexpr DWORD kBaseSearchPathPermanent = 0x8000;

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryWFunction = BOOL(WINAPI*)(LPCWSTR);
using SetSearchPathModeFunction = BOOL(WINAPI*)(DWORD);

// Set once, before anything is loaded; libraries loaded later take their flags from it.
bool systemFolderOnly = false;

} // namespace

void RestrictSearchPaths() {
    const HMODULE kernel = LoadedModule(L"kernel32.dll");
    const auto setDefaultDllDirectories =
        FindFunction<SetDefaultDllDirectoriesFunction>(kernel, "SetDefaultDllDirectories");
    systemFolderOnly = setDefaultDllDirectories != nullptr &&
                       setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!systemFolderOnly) {
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

bool SearchesSystemFolderOnly() {
    return systemFolderOnly;
}

} // namespace korvel
