// The Windows Installer functions, taken from the system folder's msi.dll at run time.
// msi.dll is not among the libraries Windows always loads from the system folder, so an
// import of it would let an msi.dll planted beside this elevated program run in its place.
#pragma once

#include <windows.h>

#include <msi.h>
#include <msiquery.h>

namespace korvel {

// Windows Installer 3.0; declared here because the headers for Windows 2000 leave it out.
using MsiSourceListSetInfoWFunction = UINT(WINAPI*)(LPCWSTR product, LPCWSTR userSid, DWORD context,
                                                    DWORD options, LPCWSTR property, LPCWSTR value);

// A member is null when this Windows Installer lacks the function, or msi.dll is missing.
struct MsiLibrary {
    decltype(&::MsiSetInternalUI) SetInternalUI = nullptr;
    decltype(&::MsiQueryProductStateW) QueryProductStateW = nullptr;
    decltype(&::MsiQueryFeatureStateW) QueryFeatureStateW = nullptr;
    decltype(&::MsiGetProductInfoW) GetProductInfoW = nullptr;
    decltype(&::MsiOpenPackageExW) OpenPackageExW = nullptr;
    decltype(&::MsiGetPropertyW) GetPropertyW = nullptr;
    decltype(&::MsiCloseHandle) CloseHandle = nullptr;
    decltype(&::MsiSourceListClearAllW) SourceListClearAllW = nullptr;
    MsiSourceListSetInfoWFunction SourceListSetInfoW = nullptr;
};

// The functions, loaded on first use.
const MsiLibrary& LoadMsiLibrary();

} // namespace korvel
