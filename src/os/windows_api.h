// The seam between the setup's decision logic and Windows. Every Windows, shell,
// registry, user-interface and Windows Installer call that the logic makes goes through
// this interface, named after the call it stands for, so that the whole system surface
// is visible in one place. The logic never includes <windows.h>; the Win32
// implementation lives in win32/ and is built only into the setup program, and the
// tests run the logic against a simulated Windows.
//
// Text buffers are passed as Windows passes them (a pointer and a size in characters)
// where the logic's own sizing is part of the behaviour. The seam holds no state: where an
// older Windows lacks a function, the implementation finds out for itself and the call
// answers as the comment at its declaration says.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korvel {

// Windows handles, seen by the logic as opaque pointers.
using Handle = void*;
using WindowHandle = void*;
using ModuleHandle = void*;
using RegistryKey = void*;
using MsiHandle = uint32_t;

// The part of OSVERSIONINFOEXW that the version check uses. `size` is the structure
// size the caller asks for: the service pack numbers are filled in only when it is the
// size of the extended structure.
struct OsVersionInfoEx {
    uint32_t size = 0;
    uint32_t majorVersion = 0;
    uint32_t minorVersion = 0;
    uint16_t servicePackMajor = 0;
};

// The bytes of one resource as the loader maps them; `data` is null when the resource
// does not exist. The memory stays valid for the life of the module.
struct ResourceBytes {
    const void* data = nullptr;
    uint32_t size = 0;
};

// The part of WIN32_FIND_DATAW that the package search uses.
struct FindData {
    uint32_t attributes = 0;
    std::u16string fileName;
};

struct ProcessInformation {
    Handle process = nullptr;
    Handle thread = nullptr;
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
    virtual ~WindowsApi() = default;

    // Windows kernel.
    virtual std::u16string GetCommandLineW() = 0;
    virtual uint32_t GetLastError() = 0;
    virtual bool GetVersionExW(OsVersionInfoEx& info) = 0;
    // INVALID_FILE_ATTRIBUTES when nothing exists under the path.
    virtual uint32_t GetFileAttributesW(const std::u16string& path) = 0;
    // FindResourceW, LoadResource, LockResource and SizeofResource on the program's own
    // module, for the language-neutral request.
    virtual ResourceBytes FindResourceW(uint16_t type, uint16_t name) = 0;
    virtual uint32_t GetCurrentDirectoryW(uint32_t bufferLength, char16_t* buffer) = 0;
    virtual uint32_t GetSystemDirectoryW(char16_t* buffer, uint32_t size) = 0;
    // INVALID_HANDLE_VALUE when nothing matches.
    virtual Handle FindFirstFileW(const std::u16string& pattern, FindData& data) = 0;
    virtual bool FindNextFileW(Handle find, FindData& data) = 0;
    virtual bool FindClose(Handle find) = 0;
    virtual uint32_t GetEnvironmentVariableW(const std::u16string& name, char16_t* buffer,
                                             uint32_t size) = 0;
    // `applicationName` may be null; `commandLine` is writable, as Windows may change it.
    virtual bool CreateProcessW(const char16_t* applicationName, char16_t* commandLine,
                                uint32_t creationFlags, ProcessInformation& information) = 0;
    virtual uint32_t WaitForSingleObject(Handle handle, uint32_t milliseconds) = 0;
    virtual bool GetExitCodeProcess(Handle process, uint32_t& exitCode) = 0;
    virtual bool CloseHandle(Handle handle) = 0;
    virtual ModuleHandle GetModuleHandleW(const char16_t* moduleName) = 0;
    virtual Handle GetCurrentProcess() = 0;
    // False also when this Windows has no IsWow64Process (before XP SP2).
    virtual bool IsWow64Process(Handle process, bool& wow64Process) = 0;
    virtual void GetLocalTime(SystemTime& time) = 0;
    virtual uint16_t GetSystemDefaultUILanguage() = 0;
    // The C runtime's standard output stream.
    virtual void WriteStandardOutput(const std::u16string& text) = 0;

    // Windows shell. The argument array is released with LocalFree before returning.
    virtual bool CommandLineToArgvW(const std::u16string& commandLine,
                                    std::vector<std::u16string>& arguments) = 0;
    // False also when this Windows has no IsUserAnAdmin.
    virtual bool IsUserAnAdmin() = 0;

    // Windows registry and security. Registry calls return the Windows error code.
    virtual int32_t RegCreateKeyExW(RegistryKey key, const std::u16string& subKey, uint32_t options,
                                    uint32_t samDesired, RegistryKey& result) = 0;
    virtual int32_t RegOpenKeyExW(RegistryKey key, const std::u16string& subKey, uint32_t options,
                                  uint32_t samDesired, RegistryKey& result) = 0;
    // ERROR_CALL_NOT_IMPLEMENTED when this Windows has no RegDeleteKeyExW (before XP x64).
    virtual int32_t RegDeleteKeyExW(RegistryKey key, const std::u16string& subKey,
                                    uint32_t samDesired, uint32_t reserved) = 0;
    virtual int32_t RegDeleteKeyW(RegistryKey key, const std::u16string& subKey) = 0;
    virtual int32_t RegCloseKey(RegistryKey key) = 0;
    virtual bool OpenProcessToken(Handle process, uint32_t desiredAccess, Handle& token) = 0;
    virtual bool LookupPrivilegeValueW(const char16_t* systemName, const std::u16string& name,
                                       Luid& luid) = 0;
    // One privilege, without the previous state.
    virtual bool AdjustTokenPrivileges(Handle token, bool disableAllPrivileges, const Luid& luid,
                                       uint32_t attributes) = 0;

    // Windows user interface.
    virtual int MessageBoxW(WindowHandle owner, const std::u16string& text,
                            const std::u16string& caption, uint32_t type) = 0;
    virtual bool ExitWindowsEx(uint32_t flags, uint32_t reason) = 0;
    // Returns when the dialog has ended; -1 when it could not be created.
    virtual intptr_t DialogBoxParamW(ModuleHandle instance, uint16_t templateName,
                                     WindowHandle parent, const DialogProcedure& dialogFunc,
                                     intptr_t initParam) = 0;
    virtual bool EndDialog(WindowHandle dialog, intptr_t result) = 0;
    virtual Handle LoadImageW(ModuleHandle instance, uint16_t name, uint32_t type, int cx, int cy,
                              uint32_t load) = 0;
    virtual bool DestroyIcon(Handle icon) = 0;
    virtual intptr_t SendMessageW(WindowHandle window, uint32_t message, uintptr_t wParam,
                                  intptr_t lParam) = 0;
    virtual WindowHandle GetDlgItem(WindowHandle dialog, int id) = 0;
    virtual bool ShowWindow(WindowHandle window, int cmdShow) = 0;
    virtual bool CheckDlgButton(WindowHandle dialog, int id, uint32_t check) = 0;
    virtual uint32_t IsDlgButtonChecked(WindowHandle dialog, int id) = 0;
    virtual uint32_t GetDlgItemTextW(WindowHandle dialog, int id, char16_t* string,
                                     int maxCount) = 0;
    virtual bool SetDlgItemTextW(WindowHandle dialog, int id, const std::u16string& string) = 0;

    // Windows Installer. `length` is in characters: in, the buffer's size; out, the
    // value's length without the terminator. Without msi.dll the queries answer
    // INSTALLSTATE_UNKNOWN and the other calls ERROR_MOD_NOT_FOUND.
    virtual uint32_t MsiSetInternalUI(uint32_t level, WindowHandle* window) = 0;
    virtual int32_t MsiQueryProductStateW(const std::u16string& product) = 0;
    virtual int32_t MsiQueryFeatureStateW(const std::u16string& product,
                                          const std::u16string& feature) = 0;
    virtual uint32_t MsiGetProductInfoW(const std::u16string& product,
                                        const std::u16string& property, char16_t* buffer,
                                        uint32_t& length) = 0;
    virtual uint32_t MsiOpenPackageExW(const std::u16string& packagePath, uint32_t options,
                                       MsiHandle& package) = 0;
    virtual uint32_t MsiGetPropertyW(MsiHandle install, const std::u16string& name,
                                     char16_t* buffer, uint32_t& length) = 0;
    virtual uint32_t MsiCloseHandle(MsiHandle handle) = 0;
    virtual uint32_t MsiSourceListClearAllW(const std::u16string& product, const char16_t* userName,
                                            uint32_t reserved) = 0;
    virtual uint32_t MsiSourceListSetInfoW(const std::u16string& product, const char16_t* userSid,
                                           uint32_t context, uint32_t options,
                                           const std::u16string& property,
                                           const std::u16string& value) = 0;
};

} // namespace korvel
