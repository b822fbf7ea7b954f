// Reports what the Windows Installer and the registry of a Wine prefix say about a product,
// and clears the restart marker of the setup program.
//
//   prefix-state.exe <product code> <report>        writes the report (UTF-8, one "key TAB
//                                                    value" line each) and exits 0
//   prefix-state.exe --drop-marker                   deletes the marker in both registry views
//
// Report keys: state (MsiQueryProductStateW), version ("VersionString"), local-package (the
// cached package), marker-32 and marker-64 (1 when HKCU\Software\NeedBstrReboot opens in that
// registry view). Values that cannot be read are left out.

#include <windows.h>

#include <msi.h>

#include <cstdio>
#include <string>

namespace {

const wchar_t* const kMarkerParent = L"Software";
const wchar_t* const kMarkerName = L"NeedBstrReboot";

std::string to_utf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

bool product_info(const wchar_t* product, const wchar_t* property, std::wstring& value) {
    DWORD length = 0;
    if (MsiGetProductInfoW(product, property, nullptr, &length) != ERROR_SUCCESS)
        return false;
    value.assign(length + 1, L'\0');
    ++length;
    if (MsiGetProductInfoW(product, property, &value[0], &length) != ERROR_SUCCESS)
        return false;
    value.resize(length);
    return true;
}

bool marker_set(REGSAM view) {
    HKEY key = nullptr;
    const std::wstring path = std::wstring(kMarkerParent) + L"\\" + kMarkerName;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

int drop_marker() {
    int failures = 0;
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        HKEY parent = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kMarkerParent, 0, KEY_READ | KEY_WRITE | view,
                          &parent) != ERROR_SUCCESS) {
            ++failures;
            continue;
        }
        const LONG deleted = RegDeleteKeyExW(parent, kMarkerName, view, 0);
        if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND)
            ++failures;
        RegCloseKey(parent);
    }
    return failures == 0 ? 0 : 1;
}

int report(const wchar_t* product, const wchar_t* path) {
    std::wstring text = L"state\t" + std::to_wstring(MsiQueryProductStateW(product)) + L"\n";
    std::wstring value;
    if (product_info(product, L"VersionString", value))
        text += L"version\t" + value + L"\n";
    if (product_info(product, L"LocalPackage", value))
        text += L"local-package\t" + value + L"\n";
    text += L"marker-32\t" + std::to_wstring(marker_set(KEY_WOW64_32KEY) ? 1 : 0) + L"\n";
    text += L"marker-64\t" + std::to_wstring(marker_set(KEY_WOW64_64KEY) ? 1 : 0) + L"\n";

    HANDLE file =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 2;
    const std::string utf8 = to_utf8(text);
    DWORD written = 0;
    const BOOL wrote =
        WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
    return wrote && written == utf8.size() ? 0 : 2;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wstring(argv[1]) == L"--drop-marker")
        return drop_marker();
    if (argc == 3)
        return report(argv[1], argv[2]);
    std::fputws(L"usage: prefix-state.exe <product code> <report> | --drop-marker\n", stderr);
    return 2;
}
