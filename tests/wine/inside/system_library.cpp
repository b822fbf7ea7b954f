// Loads msi.dll as the program does, after restricting the library search as the program does
// when asked ("restricted"), else by its full path, as on a Windows without that; writes the
// path it came from to the file named first. Imports nothing that a planted library could be.
#include <windows.h>

#include "win32/process_hardening.h"
#include "win32/system_function.h"

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc > 2)
        korvel::RestrictSearchPaths();
    wchar_t path[MAX_PATH] = L"";
    const HMODULE msi = korvel::LoadSystemLibrary(L"msi.dll");
    if (msi != nullptr)
        GetModuleFileNameW(msi, path, MAX_PATH);
    if (FILE* file = argc > 1 ? _wfopen(argv[1], L"w") : nullptr) {
        fputws(path, file);
        fclose(file);
    }
    return msi != nullptr ? 0 : 1;
}
