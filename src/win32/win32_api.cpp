// Each method makes the Windows call it is named after and converts at the edge:
// UTF-16 text is wchar_t on Windows, so strings pass through without conversion.
#include "win32/win32_api.h"

#include <windows.h>

#include "win32/msi_library.h"
#include "win32/system_function.h"

#include <shellapi.h>

namespace korvel {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

static const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

static const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

static wchar_t* Wide(char16_t* text) {
    return reinterpret_cast<wchar_t*>(text);
}

static std::u16string FromWide(const wchar_t* text) {
    return text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}

std::u16string Win32Api::GetCommandLineW() {
    return FromWide(::GetCommandLineW());
}

uint32_t Win32Api::GetLastError() {
    return ::GetLastError();
}

bool Win32Api::GetVersionExW(OsVersionInfoEx& info) {
    static_assert(sizeof(OSVERSIONINFOEXW) == 284, "the size the version check asks with");
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = info.size;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version)))
        return false;
#pragma GCC diagnostic pop
    info.majorVersion = version.dwMajorVersion;
    info.minorVersion = version.dwMinorVersion;
    info.servicePackMajor = version.wServicePackMajor;
    return true;
}

uint32_t Win32Api::GetFileAttributesW(const std::u16string& path) {
    return ::GetFileAttributesW(Wide(path));
}

ResourceBytes Win32Api::FindResourceW(uint16_t type, uint16_t name) {
    HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(name), MAKEINTRESOURCEW(type));
    if (found == nullptr)
        return {};
    HGLOBAL loaded = ::LoadResource(nullptr, found);
    if (loaded == nullptr)
        return {};
    return {::LockResource(loaded), ::SizeofResource(nullptr, found)};
}

uint32_t Win32Api::GetCurrentDirectoryW(uint32_t bufferLength, char16_t* buffer) {
    return ::GetCurrentDirectoryW(bufferLength, Wide(buffer));
}

uint32_t Win32Api::GetSystemDirectoryW(char16_t* buffer, uint32_t size) {
    return ::GetSystemDirectoryW(Wide(buffer), size);
}

static void Take(const WIN32_FIND_DATAW& found, FindData& data) {
    data.attributes = found.dwFileAttributes;
    data.fileName = FromWide(found.cFileName);
}

Handle Win32Api::FindFirstFileW(const std::u16string& pattern, FindData& data) {
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW(Wide(pattern), &found);
    if (search != INVALID_HANDLE_VALUE)
        Take(found, data);
    return search;
}

bool Win32Api::FindNextFileW(Handle find, FindData& data) {
    WIN32_FIND_DATAW found;
    if (!::FindNextFileW(find, &found))
        return false;
    Take(found, data);
    return true;
}

bool Win32Api::FindClose(Handle find) {
    return ::FindClose(find) != FALSE;
}

uint32_t Win32Api::GetEnvironmentVariableW(const std::u16string& name, char16_t* buffer,
                                           uint32_t size) {
    return ::GetEnvironmentVariableW(Wide(name), Wide(buffer), size);
}

bool Win32Api::CreateProcessW(const char16_t* applicationName, char16_t* commandLine,
                              uint32_t creationFlags, ProcessInformation& information) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessW(Wide(applicationName), Wide(commandLine), nullptr, nullptr, FALSE,
                          creationFlags, nullptr, nullptr, &startup, &started))
        return false;
    information.process = started.hProcess;
    information.thread = started.hThread;
    return true;
}

uint32_t Win32Api::WaitForSingleObject(Handle handle, uint32_t milliseconds) {
    return ::WaitForSingleObject(handle, milliseconds);
}

bool Win32Api::GetExitCodeProcess(Handle process, uint32_t& exitCode) {
    DWORD code = 0;
    if (!::GetExitCodeProcess(process, &code))
        return false;
    exitCode = code;
    return true;
}

bool Win32Api::CloseHandle(Handle handle) {
    return ::CloseHandle(handle) != FALSE;
}

ModuleHandle Win32Api::GetModuleHandleW(const char16_t* moduleName) {
    return ::GetModuleHandleW(Wide(moduleName));
}

Handle Win32Api::GetCurrentProcess() {
    return ::GetCurrentProcess();
}

bool Win32Api::IsWow64Process(Handle process, bool& wow64Process) {
    using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
    static const auto isWow64Process =
        FindFunction<IsWow64ProcessFunction>(LoadedModule(L"kernel32.dll"), "IsWow64Process");
    BOOL wow64 = FALSE;
    if (isWow64Process == nullptr || !isWow64Process(process, &wow64))
        return false;
    wow64Process = wow64 != FALSE;
    return true;
}

void Win32Api::GetLocalTime(SystemTime& time) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    time = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

uint16_t Win32Api::GetSystemDefaultUILanguage() {
    return ::GetSystemDefaultUILanguage();
}

void Win32Api::WriteStandardOutput(const std::u16string& text) {
    // A windowed program has no console; the text is seen only where output is redirected.
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE)
        return;
    const int wide = static_cast<int>(text.size());
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, Wide(text), wide, nullptr, 0, nullptr, nullptr);
    // Not std::string: that one use would link the library's whole narrow string.
    std::vector<char> utf8(static_cast<size_t>(size));
    ::WideCharToMultiByte(CP_UTF8, 0, Wide(text), wide, utf8.data(), size, nullptr, nullptr);
    // Nobody may be reading; a time stamp that cannot be written is no reason to stop.
    DWORD written = 0;
    ::WriteFile(output, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

bool Win32Api::CommandLineToArgvW(const std::u16string& commandLine,
                                  std::vector<std::u16string>& arguments) {
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(Wide(commandLine), &count);
    if (argv == nullptr)
        return false;
    arguments.clear();
    for (int i = 0; i < count; ++i)
        arguments.push_back(FromWide(argv[i]));
    ::LocalFree(argv);
    return true;
}

// Windows 2000's shell32 exports IsUserAnAdmin by its ordinal only, so an import by name
// would keep the program from starting there.
bool Win32Api::IsUserAnAdmin() {
    constexpr WORD kIsUserAnAdminOrdinal = 680;
    using IsUserAnAdminFunction = BOOL(WINAPI*)();
    const HMODULE shell = LoadedModule(L"shell32.dll");
    auto isUserAnAdmin = FindFunction<IsUserAnAdminFunction>(shell, "IsUserAnAdmin");
    if (isUserAnAdmin == nullptr)
        isUserAnAdmin =
            FindFunction<IsUserAnAdminFunction>(shell, MAKEINTRESOURCEA(kIsUserAnAdminOrdinal));
    return isUserAnAdmin != nullptr && isUserAnAdmin() != FALSE;
}

int Win32Api::MessageBoxW(WindowHandle owner, const std::u16string& text,
                          const std::u16string& caption, uint32_t type) {
    return ::MessageBoxW(static_cast<HWND>(owner), Wide(text), Wide(caption), type);
}

int32_t Win32Api::RegCreateKeyExW(RegistryKey key, const std::u16string& subKey, uint32_t options,
                                  uint32_t samDesired, RegistryKey& result) {
    HKEY created = nullptr;
    const LSTATUS status = ::RegCreateKeyExW(static_cast<HKEY>(key), Wide(subKey), 0, nullptr,
                                             options, samDesired, nullptr, &created, nullptr);
    result = created;
    return status;
}

int32_t Win32Api::RegOpenKeyExW(RegistryKey key, const std::u16string& subKey, uint32_t options,
                                uint32_t samDesired, RegistryKey& result) {
    HKEY opened = nullptr;
    const LSTATUS status =
        ::RegOpenKeyExW(static_cast<HKEY>(key), Wide(subKey), options, samDesired, &opened);
    result = opened;
    return status;
}

int32_t Win32Api::RegDeleteKeyExW(RegistryKey key, const std::u16string& subKey,
                                  uint32_t samDesired, uint32_t reserved) {
    using RegDeleteKeyExFunction = LSTATUS(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
    static const auto regDeleteKeyEx =
        FindFunction<RegDeleteKeyExFunction>(LoadedModule(L"advapi32.dll"), "RegDeleteKeyExW");
    if (regDeleteKeyEx == nullptr)
        return static_cast<int32_t>(ERROR_CALL_NOT_IMPLEMENTED);
    return regDeleteKeyEx(static_cast<HKEY>(key), Wide(subKey), samDesired, reserved);
}

int32_t Win32Api::RegDeleteKeyW(RegistryKey key, const std::u16string& subKey) {
    return ::RegDeleteKeyW(static_cast<HKEY>(key), Wide(subKey));
}

int32_t Win32Api::RegCloseKey(RegistryKey key) {
    return ::RegCloseKey(static_cast<HKEY>(key));
}

bool Win32Api::OpenProcessToken(Handle process, uint32_t desiredAccess, Handle& token) {
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(process, desiredAccess, &opened))
        return false;
    token = opened;
    return true;
}

bool Win32Api::LookupPrivilegeValueW(const char16_t* systemName, const std::u16string& name,
                                     Luid& luid) {
    LUID found = {};
    if (!::LookupPrivilegeValueW(Wide(systemName), Wide(name), &found))
        return false;
    luid = {found.LowPart, found.HighPart};
    return true;
}

bool Win32Api::AdjustTokenPrivileges(Handle token, bool disableAllPrivileges, const Luid& luid,
                                     uint32_t attributes) {
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = {luid.lowPart, luid.highPart};
    privileges.Privileges[0].Attributes = attributes;
    return ::AdjustTokenPrivileges(token, disableAllPrivileges, &privileges, 0, nullptr, nullptr) !=
           FALSE;
}

bool Win32Api::ExitWindowsEx(uint32_t flags, uint32_t reason) {
    return ::ExitWindowsEx(flags, reason) != FALSE;
}

uint32_t Win32Api::MsiSetInternalUI(uint32_t level, WindowHandle* window) {
    const MsiLibrary& msi = LoadMsiLibrary();
    if (msi.SetInternalUI == nullptr)
        return INSTALLUILEVEL_NOCHANGE;
    return msi.SetInternalUI(static_cast<INSTALLUILEVEL>(level), reinterpret_cast<HWND*>(window));
}

int32_t Win32Api::MsiQueryProductStateW(const std::u16string& product) {
    const MsiLibrary& msi = LoadMsiLibrary();
    return msi.QueryProductStateW ? msi.QueryProductStateW(Wide(product)) : INSTALLSTATE_UNKNOWN;
}

int32_t Win32Api::MsiQueryFeatureStateW(const std::u16string& product,
                                        const std::u16string& feature) {
    const MsiLibrary& msi = LoadMsiLibrary();
    return msi.QueryFeatureStateW ? msi.QueryFeatureStateW(Wide(product), Wide(feature))
                                  : INSTALLSTATE_UNKNOWN;
}

uint32_t Win32Api::MsiGetProductInfoW(const std::u16string& product, const std::u16string& property,
                                      char16_t* buffer, uint32_t& length) {
    const MsiLibrary& msi = LoadMsiLibrary();
    if (msi.GetProductInfoW == nullptr)
        return ERROR_MOD_NOT_FOUND;
    DWORD size = length;
    const UINT result = msi.GetProductInfoW(Wide(product), Wide(property), Wide(buffer), &size);
    length = size;
    return result;
}

uint32_t Win32Api::MsiOpenPackageExW(const std::u16string& packagePath, uint32_t options,
                                     MsiHandle& package) {
    const MsiLibrary& msi = LoadMsiLibrary();
    if (msi.OpenPackageExW == nullptr)
        return ERROR_MOD_NOT_FOUND;
    MSIHANDLE opened = 0;
    const UINT result = msi.OpenPackageExW(Wide(packagePath), options, &opened);
    package = opened;
    return result;
}

uint32_t Win32Api::MsiGetPropertyW(MsiHandle install, const std::u16string& name, char16_t* buffer,
                                   uint32_t& length) {
    const MsiLibrary& msi = LoadMsiLibrary();
    if (msi.GetPropertyW == nullptr)
        return ERROR_MOD_NOT_FOUND;
    DWORD size = length;
    const UINT result = msi.GetPropertyW(install, Wide(name), Wide(buffer), &size);
    length = size;
    return result;
}

uint32_t Win32Api::MsiCloseHandle(MsiHandle handle) {
    const MsiLibrary& msi = LoadMsiLibrary();
    return msi.CloseHandle ? msi.CloseHandle(handle) : ERROR_MOD_NOT_FOUND;
}

uint32_t Win32Api::MsiSourceListClearAllW(const std::u16string& product, const char16_t* userName,
                                          uint32_t reserved) {
    const MsiLibrary& msi = LoadMsiLibrary();
    return msi.SourceListClearAllW
               ? msi.SourceListClearAllW(Wide(product), Wide(userName), reserved)
               : ERROR_MOD_NOT_FOUND;
}

uint32_t Win32Api::MsiSourceListSetInfoW(const std::u16string& product, const char16_t* userSid,
                                         uint32_t context, uint32_t options,
                                         const std::u16string& property,
                                         const std::u16string& value) {
    const MsiLibrary& msi = LoadMsiLibrary();
    if (msi.SourceListSetInfoW == nullptr)
        return ERROR_MOD_NOT_FOUND;
    return msi.SourceListSetInfoW(Wide(product), Wide(userSid), context, options, Wide(property),
                                  Wide(value));
}

} // namespace korvel
