// Reports what the Windows Installer and the registry of a Wine prefix say about a product, and
// changes what the setup program finds in the prefix before a run.
//
//   prefix-state.exe <product code> <report> [<program>]
//                            writes the report (UTF-8, one "key TAB value" line each), exits 0
//   prefix-state.exe --leave-marker
//                            creates the restart marker as an earlier run would have left it
//   prefix-state.exe --drop-marker
//                            deletes the marker in both registry views
//   prefix-state.exe --report-windows <program> <version>
//                            makes Wine report an older Windows to <program> (a file name):
//                            a version name of Wine (nt40, win2k, winxp, ...) goes to its
//                            AppDefaults for that program alone; "major.minor" goes to the
//                            32-bit registry view, where Wine reads the version of every 32-bit
//                            program of the prefix, and keeps the prefix's service pack: the
//                            only way to a service pack that no version name of Wine has. That
//                            needs a 64-bit prefix: its 64-bit view keeps the original.
//   prefix-state.exe --undo-windows <program>
//                            undoes --report-windows
//
// Report keys: state (MsiQueryProductStateW), version ("VersionString"), local-package (the
// cached package), feature (MsiQueryFeatureStateW of the plug-in's feature NPTAVEX), marker-32
// and marker-64 (1 when HKCU\Software\NeedBstrReboot opens in that registry view),
// windows-changed (1 while --report-windows is in force; its AppDefaults only for <program>).
// Values that cannot be read are left out.

#include <windows.h>

#include <msi.h>

#include <cstdio>
#include <cwctype>
#include <string>

namespace {

const wchar_t* const kMarkerParent = L"Software";
const wchar_t* const kMarkerName = L"NeedBstrReboot";
const wchar_t* const kFeature = L"NPTAVEX";
const wchar_t* const kAppDefaults = L"Software\\Wine\\AppDefaults\\";
const wchar_t* const kVersionKey = L"Software\\Microsoft\\Windows NT\\CurrentVersion";

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

bool key_exists(HKEY root, const std::wstring& path, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool marker_set(REGSAM view) {
    return key_exists(HKEY_CURRENT_USER, std::wstring(kMarkerParent) + L"\\" + kMarkerName, view);
}

bool wow64() {
    BOOL result = FALSE;
    return IsWow64Process(GetCurrentProcess(), &result) && result;
}

// The Windows version that Wine reports by default, as a registry view of the prefix holds it.
bool read_current_version(REGSAM view, std::wstring& version) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kVersionKey, 0, KEY_QUERY_VALUE | view, &key) !=
        ERROR_SUCCESS)
        return false;
    wchar_t buffer[32] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    DWORD type = 0;
    const LONG read = RegQueryValueExW(key, L"CurrentVersion", nullptr, &type,
                                       reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS || type != REG_SZ)
        return false;
    version = buffer;
    return true;
}

// Creates the key if it is missing.
bool set_string(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value,
                REGSAM view) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG set =
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return set == ERROR_SUCCESS;
}

bool write_current_version(const std::wstring& version) {
    return set_string(HKEY_LOCAL_MACHINE, kVersionKey, L"CurrentVersion", version, KEY_WOW64_32KEY);
}

bool windows_changed(const std::wstring& program) {
    if (!program.empty() && key_exists(HKEY_CURRENT_USER, kAppDefaults + program, 0))
        return true;
    std::wstring view32;
    std::wstring view64;
    return wow64() && read_current_version(KEY_WOW64_32KEY, view32) &&
           read_current_version(KEY_WOW64_64KEY, view64) && view32 != view64;
}

int report_windows(const std::wstring& program, const std::wstring& version) {
    if (version.empty())
        return 2;
    if (std::iswdigit(version[0]))
        return wow64() && write_current_version(version) ? 0 : 1;
    return set_string(HKEY_CURRENT_USER, kAppDefaults + program, L"Version", version, 0) ? 0 : 1;
}

int leave_marker() {
    HKEY key = nullptr;
    const std::wstring path = std::wstring(kMarkerParent) + L"\\" + kMarkerName;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return 1;
    RegCloseKey(key);
    return 0;
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

int undo_windows(const std::wstring& program) {
    int failures = 0;
    const LONG deleted = RegDeleteKeyW(HKEY_CURRENT_USER, (kAppDefaults + program).c_str());
    if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND)
        ++failures;
    std::wstring original;
    if (wow64() &&
        !(read_current_version(KEY_WOW64_64KEY, original) && write_current_version(original)))
        ++failures;
    return failures == 0 ? 0 : 1;
}

int report(const wchar_t* product, const wchar_t* path, const std::wstring& program) {
    std::wstring text = L"state\t" + std::to_wstring(MsiQueryProductStateW(product)) + L"\n";
    std::wstring value;
    if (product_info(product, L"VersionString", value))
        text += L"version\t" + value + L"\n";
    if (product_info(product, L"LocalPackage", value))
        text += L"local-package\t" + value + L"\n";
    text += L"feature\t" + std::to_wstring(MsiQueryFeatureStateW(product, kFeature)) + L"\n";
    text += L"marker-32\t" + std::to_wstring(marker_set(KEY_WOW64_32KEY) ? 1 : 0) + L"\n";
    text += L"marker-64\t" + std::to_wstring(marker_set(KEY_WOW64_64KEY) ? 1 : 0) + L"\n";
    text += L"windows-changed\t" + std::to_wstring(windows_changed(program) ? 1 : 0) + L"\n";

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
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (argc == 2 && mode == L"--leave-marker")
        return leave_marker();
    if (argc == 2 && mode == L"--drop-marker")
        return drop_marker();
    if (argc == 3 && mode == L"--undo-windows")
        return undo_windows(argv[2]);
    if (argc == 4 && mode == L"--report-windows")
        return report_windows(argv[2], argv[3]);
    if ((argc == 3 || argc == 4) && mode.rfind(L"--", 0) != 0)
        return report(argv[1], argv[2], argc == 4 ? argv[3] : L"");
    std::fputws(L"usage: prefix-state.exe <product code> <report> [<program>] | --leave-marker | "
                L"--drop-marker | --report-windows <program> <version> | --undo-windows "
                L"<program>\n",
                stderr);
    return 2;
}
