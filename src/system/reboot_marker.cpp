#include "system/reboot_marker.h"

#include "os/windows_constants.h"

namespace korvel {

namespace {

const char16_t* const kMarkerKey = u"Software\\NeedBstrReboot";
const char16_t* const kMarkerParent = u"Software";
const char16_t* const kMarkerName = u"NeedBstrReboot";

constexpr uint32_t kReadWrite32 = KEY_READ | KEY_WRITE | KEY_WOW64_32KEY;
constexpr uint32_t kRead32 = KEY_READ | KEY_WOW64_32KEY;

// RegDeleteKeyExW, the only way to delete in the 32-bit view, is missing before Windows
// XP x64; Advapi32 is always loaded, so the lookup never loads a module.
ProcAddress FindRegDeleteKeyEx(WindowsApi& os) {
    if (!os.regDeleteKeyEx.lookedUp) {
        const ModuleHandle advapi = os.GetModuleHandleW(u"Advapi32.dll");
        os.regDeleteKeyEx.address = advapi ? os.GetProcAddress(advapi, "RegDeleteKeyExW") : nullptr;
        os.regDeleteKeyEx.lookedUp = true;
    }
    return os.regDeleteKeyEx.address;
}

} // namespace

uint32_t CreateRebootMarker(WindowsApi& os) {
    RegistryKey key = nullptr;
    const int32_t result = os.RegCreateKeyExW(HKEY_CURRENT_USER, kMarkerKey,
                                              REG_OPTION_NON_VOLATILE, kReadWrite32, key);
    if (result != 0)
        return static_cast<uint32_t>(result);
    os.RegCloseKey(key);
    return 0;
}

uint32_t IsRebootMarkerSet(WindowsApi& os, bool& markerSet) {
    RegistryKey key = nullptr;
    const int32_t result = os.RegOpenKeyExW(HKEY_CURRENT_USER, kMarkerKey, 0, kRead32, key);
    markerSet = result == 0;
    if (result != 0)
        return static_cast<uint32_t>(result);
    os.RegCloseKey(key);
    return 0;
}

uint32_t DeleteRebootMarker(WindowsApi& os) {
    RegistryKey parent = nullptr;
    const int32_t opened =
        os.RegOpenKeyExW(HKEY_CURRENT_USER, kMarkerParent, 0, kReadWrite32, parent);
    if (opened != 0)
        return static_cast<uint32_t>(opened);
    const ProcAddress regDeleteKeyEx = FindRegDeleteKeyEx(os);
    const int32_t deleted =
        regDeleteKeyEx ? os.RegDeleteKeyExW(regDeleteKeyEx, parent, kMarkerName, KEY_WOW64_32KEY, 0)
                       : os.RegDeleteKeyW(parent, kMarkerName);
    os.RegCloseKey(parent);
    return static_cast<uint32_t>(deleted);
}

bool RequestReboot(WindowsApi& os) {
    Handle token = nullptr;
    if (!os.OpenProcessToken(os.GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token))
        return false;
    Luid shutdown;
    bool enabled = false;
    if (os.LookupPrivilegeValueW(nullptr, u"SeShutdownPrivilege", shutdown)) {
        // The call succeeds even when the account lacks the privilege; only the last
        // error (ERROR_NOT_ALL_ASSIGNED) tells.
        os.AdjustTokenPrivileges(token, false, shutdown, SE_PRIVILEGE_ENABLED);
        enabled = os.GetLastError() == ERROR_SUCCESS;
    }
    os.CloseHandle(token);
    return enabled && os.ExitWindowsEx(EWX_REBOOT | EWX_FORCE, SHTDN_REASON_MAJOR_APPLICATION);
}

} // namespace korvel
