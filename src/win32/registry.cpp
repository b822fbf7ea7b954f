// The Windows registry's and security's part of the seam, in the seam's order.
#include "os/windows_api.h"
#include "win32/system_function.h"
#include "win32/wide_text.h"

namespace korvel {

Answer<RegistryKey> WindowsApi::RegCreateKeyExW(RegistryKey key, const std::u16string& subKey,
                                                uint32_t options, uint32_t samDesired) {
    HKEY created = nullptr;
    const LSTATUS status = ::RegCreateKeyExW(static_cast<HKEY>(key), Wide(subKey), 0, nullptr,
                                             options, samDesired, nullptr, &created, nullptr);
    return {static_cast<uint32_t>(status), created};
}

Answer<RegistryKey> WindowsApi::RegOpenKeyExW(RegistryKey key, const std::u16string& subKey,
                                              uint32_t options, uint32_t samDesired) {
    HKEY opened = nullptr;
    const LSTATUS status =
        ::RegOpenKeyExW(static_cast<HKEY>(key), Wide(subKey), options, samDesired, &opened);
    return {static_cast<uint32_t>(status), opened};
}

uint32_t WindowsApi::RegDeleteKeyExW(RegistryKey key, const std::u16string& subKey,
                                     uint32_t samDesired) {
    using RegDeleteKeyExFunction = LSTATUS(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
    static const auto regDeleteKeyEx =
        FindFunction<RegDeleteKeyExFunction>(LoadedModule(L"advapi32.dll"), "RegDeleteKeyExW");
    if (regDeleteKeyEx == nullptr)
        return ERROR_CALL_NOT_IMPLEMENTED;
    return regDeleteKeyEx(static_cast<HKEY>(key), Wide(subKey), samDesired, 0);
}

uint32_t WindowsApi::RegDeleteKeyW(RegistryKey key, const std::u16string& subKey) {
    return ::RegDeleteKeyW(static_cast<HKEY>(key), Wide(subKey));
}

uint32_t WindowsApi::RegCloseKey(RegistryKey key) {
    return ::RegCloseKey(static_cast<HKEY>(key));
}

Answer<Handle> WindowsApi::OpenProcessToken(uint32_t desiredAccess) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), desiredAccess, &token))
        return {LastErrorOr(ERROR_ACCESS_DENIED)};
    return {0, token};
}

std::optional<Luid> WindowsApi::LookupPrivilegeValueW(const std::u16string& name) {
    LUID found = {};
    if (!::LookupPrivilegeValueW(nullptr, Wide(name), &found))
        return std::nullopt;
    return Luid{found.LowPart, found.HighPart};
}

uint32_t WindowsApi::AdjustTokenPrivileges(Handle token, const Luid& luid, uint32_t attributes) {
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = {luid.lowPart, luid.highPart};
    privileges.Privileges[0].Attributes = attributes;
    if (!::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr))
        return LastErrorOr(ERROR_ACCESS_DENIED);
    // Set by the call also on success: ERROR_NOT_ALL_ASSIGNED for a privilege not held.
    return ::GetLastError();
}

uint32_t WindowsApi::ExitWindowsEx(uint32_t flags, uint32_t reason) {
    return ::ExitWindowsEx(flags, reason) ? 0 : LastErrorOr(ERROR_ACCESS_DENIED);
}

} // namespace korvel
