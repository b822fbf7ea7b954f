// The seam between the setup's decision logic and Windows: every kernel, shell, registry,
// user-interface and Windows Installer call that the logic makes, named after the call it
// stands for, so that the whole system surface is visible in one place. Each call answers in
// values: a text, a list, a code. Buffers and their sizing, the handles the logic does not
// need, the arguments that never vary and the reading of Windows' error codes stay behind it.
//
// The class holds no state and is implemented twice, of which a build links one: src/win32
// defines its members on the real calls for the program, tests/sim on a simulated Windows for
// the tests. Only objects of classes derived from it exist, so that the simulated Windows can
// keep the machine it simulates in its own.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace korvel {

// The answer of a call that can fail: its Windows error code, 0 on success, and then its value.
template <class Value> struct Answer {
    uint32_t error = 0;
    Value value{};
};

// Windows handles, seen by the logic as opaque values.
using Handle = void*;
using WindowHandle = void*;
using RegistryKey = void*;
using MsiHandle = uint32_t;

// What the version check reads of OSVERSIONINFOEXW.
struct OsVersionInfoEx {
    uint32_t majorVersion = 0;
    uint32_t minorVersion = 0;
    uint16_t servicePackMajor = 0;
};

// What the package search reads of WIN32_FIND_DATAW.
struct FindData {
    uint32_t attributes = 0;
    std::u16string fileName;
};

// SYSTEMTIME, local time.
struct SystemTime {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
};

// A locally unique identifier, as LookupPrivilegeValueW gives it.
struct Luid {
    uint32_t lowPart = 0;
    int32_t highPart = 0;
};

// A DLGPROC: the dialog, the message, its WPARAM and LPARAM; TRUE when it handled it.
using DialogProcedure = std::function<intptr_t(WindowHandle, uint32_t, uintptr_t, intptr_t)>;

class WindowsApi {
public:
    // Windows kernel. Texts are read whole, whatever their length.
    std::u16string GetCommandLineW();
    // With the service pack, as the extended structure gives it; nothing when unreadable.
    std::optional<OsVersionInfoEx> GetVersionExW();
    // INVALID_FILE_ATTRIBUTES when nothing exists under the path.
    uint32_t GetFileAttributesW(const std::u16string& path);
    Answer<std::u16string> GetCurrentDirectoryW();
    Answer<std::u16string> GetSystemDirectoryW();
    // The entries matching `pattern`, in the order the file system lists them (FindFirstFileW,
    // then FindNextFileW to the end); none when nothing matches or the folder cannot be read.
    std::vector<FindData> FindFirstFileW(const std::u16string& pattern);
    // ERROR_ENVVAR_NOT_FOUND when the variable is not set; a value that is set may be empty.
    Answer<std::u16string> GetEnvironmentVariableW(const std::u16string& name);
    // The child's process handle. Without an application name Windows takes the program from
    // the command line's first token; the command line is copied where Windows may write.
    Answer<Handle> CreateProcessW(const std::u16string& applicationName,
                                  const std::u16string& commandLine, uint32_t creationFlags);
    // 0 once the object is signalled, else the error.
    uint32_t WaitForSingleObject(Handle handle, uint32_t milliseconds);
    Answer<uint32_t> GetExitCodeProcess(Handle process);
    uint32_t CloseHandle(Handle handle);
    // For this process; nothing where Windows lacks IsWow64Process (before XP SP2) or it fails.
    std::optional<bool> IsWow64Process();
    SystemTime GetLocalTime();
    uint16_t GetSystemDefaultUILanguage();
    // To the C runtime's standard output stream, as UTF-8.
    void WriteStandardOutput(const std::u16string& text);

    // Windows shell. False also where Windows lacks IsUserAnAdmin.
    Answer<std::vector<std::u16string>> CommandLineToArgvW(const std::u16string& commandLine);
    bool IsUserAnAdmin();

    // Windows registry and security. Keys are opened under `key` with no class and no security
    // attributes; tokens are this process's, privileges the local system's.
    Answer<RegistryKey> RegCreateKeyExW(RegistryKey key, const std::u16string& subKey,
                                        uint32_t options, uint32_t samDesired);
    Answer<RegistryKey> RegOpenKeyExW(RegistryKey key, const std::u16string& subKey,
                                      uint32_t options, uint32_t samDesired);
    // ERROR_CALL_NOT_IMPLEMENTED where Windows lacks RegDeleteKeyExW (before XP x64).
    uint32_t RegDeleteKeyExW(RegistryKey key, const std::u16string& subKey, uint32_t samDesired);
    uint32_t RegDeleteKeyW(RegistryKey key, const std::u16string& subKey);
    uint32_t RegCloseKey(RegistryKey key);
    Answer<Handle> OpenProcessToken(uint32_t desiredAccess);
    std::optional<Luid> LookupPrivilegeValueW(const std::u16string& name);
    // One privilege, the others left as they are: the error that Windows leaves behind even
    // when the call succeeds, ERROR_NOT_ALL_ASSIGNED for a privilege the account lacks.
    uint32_t AdjustTokenPrivileges(Handle token, const Luid& luid, uint32_t attributes);
    uint32_t ExitWindowsEx(uint32_t flags, uint32_t reason);

    // Windows user interface. Resources are the program's own; boxes and dialogs have no owner.
    // Nothing when the string table has no text of that number.
    std::optional<std::u16string> LoadStringW(uint16_t id);
    // The button pressed; 0 when the box could not be shown.
    int MessageBoxW(const std::u16string& text, const std::u16string& caption, uint32_t type);
    // Returns when the dialog has ended; -1 when it could not be created.
    intptr_t DialogBoxParamW(uint16_t templateName, const DialogProcedure& dialogFunc,
                             intptr_t initParam);
    uint32_t EndDialog(WindowHandle dialog, intptr_t result);
    // Null when the image cannot be loaded.
    Handle LoadImageW(uint16_t name, uint32_t type, int cx, int cy, uint32_t load);
    uint32_t DestroyIcon(Handle icon);
    intptr_t SendMessageW(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
    WindowHandle GetDlgItem(WindowHandle dialog, int id);
    bool ShowWindow(WindowHandle window, int cmdShow);
    uint32_t CheckDlgButton(WindowHandle dialog, int id, uint32_t check);
    uint32_t IsDlgButtonChecked(WindowHandle dialog, int id);
    // At most `maxCount` - 1 characters, as a buffer of `maxCount` would hold them.
    std::u16string GetDlgItemTextW(WindowHandle dialog, int id, int maxCount);
    uint32_t SetDlgItemTextW(WindowHandle dialog, int id, const std::u16string& text);

    // Windows Installer, taken from the system folder's msi.dll: without it the queries answer
    // INSTALLSTATE_UNKNOWN and the other calls ERROR_MOD_NOT_FOUND. No window, no user name.
    uint32_t MsiSetInternalUI(uint32_t level);
    int32_t MsiQueryProductStateW(const std::u16string& product);
    int32_t MsiQueryFeatureStateW(const std::u16string& product, const std::u16string& feature);
    Answer<std::u16string> MsiGetProductInfoW(const std::u16string& product,
                                              const std::u16string& property);
    Answer<MsiHandle> MsiOpenPackageExW(const std::u16string& packagePath, uint32_t options);
    Answer<std::u16string> MsiGetPropertyW(MsiHandle install, const std::u16string& name);
    uint32_t MsiCloseHandle(MsiHandle handle);
    uint32_t MsiSourceListClearAllW(const std::u16string& product);
    uint32_t MsiSourceListSetInfoW(const std::u16string& product, uint32_t context,
                                   uint32_t options, const std::u16string& property,
                                   const std::u16string& value);

protected:
    WindowsApi() = default;
};

} // namespace korvel
