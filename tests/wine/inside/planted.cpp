// Planted beside the program as a library it must take from the system folder only:
// loading it writes "<its path>.trace".
#include <windows.h>

#include <cstdio>
#include <cwchar>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    wchar_t path[MAX_PATH + 8] = L"";
    if (reason == DLL_PROCESS_ATTACH && GetModuleFileNameW(self, path, MAX_PATH) < MAX_PATH)
        if (FILE* trace = _wfopen(std::wcscat(path, L".trace"), L"w"))
            std::fclose(trace);
    return TRUE;
}
