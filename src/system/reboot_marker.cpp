#include "system/reboot_marker.h"

#include "os/windows_constants.h"

namespace korvel {

namespace {

const char16_t* const kMarkerKey = u"Software\\NeedBstrReboot";
const char16_t* const kMarkerParent = u"Software";
const char16_t* const kMarkerName = u"NeedBstrReboot";

constexpr uint32_t kReadWrite32 = KEY_READ | KEY_WRITE | KEY_WOW64_32KEY;
constexpr uint32_t kRead32 = KEY_READ | KEY_WOW64_32KEY;

} // namespace

uint32_t CreateRebootMarker(WindowsApi& os) {
    RegistryKey key = nullptr;
    const int32_t result = os.RegCreateKeyExW(HKEY_CURRENT_USER, kMarkerKey,
                                              REG_OPTION_NON_VOLATILE, kReadWrite32, key);
    if (result != 0)
        return static_cast<uint32_t>(result);
    // Closing a key just opened fails only for a bad handle; the key exists either way.
    os.RegCloseKey(key);
    return 0;
}

uint32_t IsRebootMarkerSet(WindowsApi& os, bool& markerSet) {
    RegistryKey key = nullptr;
    const int32_t result = os.RegOpenKeyExW(HKEY_CURRENT_USER, kMarkerKey, 0, kRead32, key);
    markerSet = result == 0;
    if (result != 0)
        return static_cast<uint32_t>(result);
    // As above: the answer is already known.
    os.RegCloseKey(key);
    return 0;
}

uint32_t DeleteRebootMarker(WindowsApi& os) {
    RegistryKey parent = nullptr;
    const int32_t opened =
        os.RegOpenKeyExW(HKEY_CURRENT_USER, kMarkerParent, 0, kReadWrite32, parent);
    if (opened != 0)
        return static_cast<uint32_t>(opened);
    int32_t deleted = os.RegDeleteKeyExW(parent, kMarkerName, KEY_WOW64_32KEY, 0);
    // Windows before XP x64 has one registry view only, and no RegDeleteKeyExW.
    if (deleted == static_cast<int32_t>(ERROR_CALL_NOT_IMPLEMENTED))
        deleted = os.RegDeleteKeyW(parent, kMarkerName);
    // The deletion's result is the answer; the parent was only opened for it.
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
        // error (ERROR_NOT_ALL_ASSIGNED) tells, so its own result is not needed.
        os.AdjustTokenPrivileges(token, false, shutdown, SE_PRIVILEGE_ENABLED);
        enabled = os.GetLastError() == ERROR_SUCCESS;
    }
    // The privilege stays with the process whether or not the token closes.
    os.CloseHandle(token);
    return enabled && os.ExitWindowsEx(EWX_REBOOT | EWX_FORCE, SHTDN_REASON_MAJOR_APPLICATION);
}

} // namespace korvel
