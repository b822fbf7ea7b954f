// The least any setup program of the plug-in must do before it can decide anything: load msi.dll
// from the system folder, as the setup program does, and ask once for the plug-in's state.
// Exits with that state (INSTALLSTATE_UNKNOWN, -1, when the plug-in is not installed; 5 when it
// is), or with 1000 + the error when msi.dll cannot be used.
#include <windows.h>

#include <msi.h>

typedef INSTALLSTATE(WINAPI* QueryProductState)(LPCWSTR product);

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    static const wchar_t library[] = L"\\msi.dll";
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + sizeof library / sizeof *library > MAX_PATH)
        return 1000 + (int)ERROR_PATH_NOT_FOUND;
    lstrcpyW(path + length, library);
    const HMODULE msi = LoadLibraryExW(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (msi == NULL)
        return 1000 + (int)GetLastError();
    const QueryProductState query =
        (QueryProductState)(void*)GetProcAddress(msi, "MsiQueryProductStateW");
    if (query == NULL)
        return 1000 + (int)GetLastError();
    return query(L"{5B0E2C71-8D34-4F6A-9C1E-3A7D2B904E68}");
}
