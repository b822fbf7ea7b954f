// The real Windows behind the seam. Built only into the setup program.
#pragma once

#include "os/windows_api.h"

namespace korvel {

class Win32Api final : public WindowsApi {
public:
    std::u16string GetCommandLineW() override;
    uint32_t GetLastError() override;
    bool GetVersionExW(OsVersionInfoEx& info) override;
    uint32_t GetFileAttributesW(const std::u16string& path) override;
    ResourceBytes FindResourceW(uint16_t type, uint16_t name) override;
    uint32_t GetCurrentDirectoryW(uint32_t bufferLength, char16_t* buffer) override;
    uint32_t GetSystemDirectoryW(char16_t* buffer, uint32_t size) override;
    Handle FindFirstFileW(const std::u16string& pattern, FindData& data) override;
    bool FindNextFileW(Handle find, FindData& data) override;
    bool FindClose(Handle find) override;
    uint32_t GetEnvironmentVariableW(const std::u16string& name, char16_t* buffer,
                                     uint32_t size) override;
    bool CreateProcessW(const char16_t* applicationName, char16_t* commandLine,
                        uint32_t creationFlags, ProcessInformation& information) override;
    uint32_t WaitForSingleObject(Handle handle, uint32_t milliseconds) override;
    bool GetExitCodeProcess(Handle process, uint32_t& exitCode) override;
    bool CloseHandle(Handle handle) override;
    ModuleHandle GetModuleHandleW(const char16_t* moduleName) override;
    Handle GetCurrentProcess() override;
    bool IsWow64Process(Handle process, bool& wow64Process) override;
    void GetLocalTime(SystemTime& time) override;
    uint16_t GetSystemDefaultUILanguage() override;
    void WriteStandardOutput(const std::u16string& text) override;

    bool CommandLineToArgvW(const std::u16string& commandLine,
                            std::vector<std::u16string>& arguments) override;
    bool IsUserAnAdmin() override;

    int32_t RegCreateKeyExW(RegistryKey key, const std::u16string& subKey, uint32_t options,
                            uint32_t samDesired, RegistryKey& result) override;
    int32_t RegOpenKeyExW(RegistryKey key, const std::u16string& subKey, uint32_t options,
                          uint32_t samDesired, RegistryKey& result) override;
    int32_t RegDeleteKeyExW(RegistryKey key, const std::u16string& subKey, uint32_t samDesired,
                            uint32_t reserved) override;
    int32_t RegDeleteKeyW(RegistryKey key, const std::u16string& subKey) override;
    int32_t RegCloseKey(RegistryKey key) override;
    bool OpenProcessToken(Handle process, uint32_t desiredAccess, Handle& token) override;
    bool LookupPrivilegeValueW(const char16_t* systemName, const std::u16string& name,
                               Luid& luid) override;
    bool AdjustTokenPrivileges(Handle token, bool disableAllPrivileges, const Luid& luid,
                               uint32_t attributes) override;

    int MessageBoxW(WindowHandle owner, const std::u16string& text, const std::u16string& caption,
                    uint32_t type) override;
    bool ExitWindowsEx(uint32_t flags, uint32_t reason) override;
    intptr_t DialogBoxParamW(ModuleHandle instance, uint16_t templateName, WindowHandle parent,
                             const DialogProcedure& dialogFunc, intptr_t initParam) override;
    bool EndDialog(WindowHandle dialog, intptr_t result) override;
    Handle LoadImageW(ModuleHandle instance, uint16_t name, uint32_t type, int cx, int cy,
                      uint32_t load) override;
    bool DestroyIcon(Handle icon) override;
    intptr_t SendMessageW(WindowHandle window, uint32_t message, uintptr_t wParam,
                          intptr_t lParam) override;
    WindowHandle GetDlgItem(WindowHandle dialog, int id) override;
    bool ShowWindow(WindowHandle window, int cmdShow) override;
    bool CheckDlgButton(WindowHandle dialog, int id, uint32_t check) override;
    uint32_t IsDlgButtonChecked(WindowHandle dialog, int id) override;
    uint32_t GetDlgItemTextW(WindowHandle dialog, int id, char16_t* string, int maxCount) override;
    bool SetDlgItemTextW(WindowHandle dialog, int id, const std::u16string& string) override;

    uint32_t MsiSetInternalUI(uint32_t level, WindowHandle* window) override;
    int32_t MsiQueryProductStateW(const std::u16string& product) override;
    int32_t MsiQueryFeatureStateW(const std::u16string& product,
                                  const std::u16string& feature) override;
    uint32_t MsiGetProductInfoW(const std::u16string& product, const std::u16string& property,
                                char16_t* buffer, uint32_t& length) override;
    uint32_t MsiOpenPackageExW(const std::u16string& packagePath, uint32_t options,
                               MsiHandle& package) override;
    uint32_t MsiGetPropertyW(MsiHandle install, const std::u16string& name, char16_t* buffer,
                             uint32_t& length) override;
    uint32_t MsiCloseHandle(MsiHandle handle) override;
    uint32_t MsiSourceListClearAllW(const std::u16string& product, const char16_t* userName,
                                    uint32_t reserved) override;
    uint32_t MsiSourceListSetInfoW(const std::u16string& product, const char16_t* userSid,
                                   uint32_t context, uint32_t options,
                                   const std::u16string& property,
                                   const std::u16string& value) override;
};

} // namespace korvel
