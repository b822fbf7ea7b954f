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
    const Answer<RegistryKey> key =
        os.RegCreateKeyExW(HKEY_CURRENT_USER, kMarkerKey, REG_OPTION_NON_VOLATILE, kReadWrite32);
    // Closing a key just opened fails only for a bad handle; the key exists either way.
    if (key.error == 0)
        os.RegCloseKey(key.value);
    return key.error;
}

uint32_t IsRebootMarkerSet(WindowsApi& os, bool& markerSet) {
    const Answer<RegistryKey> key = os.RegOpenKeyExW(HKEY_CURRENT_USER, kMarkerKey, 0, kRead32);
    markerSet = key.error == 0;
    // As above: the answer is already known.
    if (markerSet)
        os.RegCloseKey(key.value);
    return key.error;
}

uint32_t DeleteRebootMarker(WindowsApi& os) {
    const Answer<RegistryKey> parent =
        os.RegOpenKeyExW(HKEY_CURRENT_USER, kMarkerParent, 0, kReadWrite32);
    if (parent.error != 0)
        return parent.error;
    uint32_t deleted = os.RegDeleteKeyExW(parent.value, kMarkerName, KEY_WOW64_32KEY);
    // Windows before XP x64 has one registry view only, and no RegDeleteKeyExW.
    if (deleted == ERROR_CALL_NOT_IMPLEMENTED)
        deleted = os.RegDeleteKeyW(parent.value, kMarkerName);
    // The deletion's result is the answer; the parent was only opened for it.
    os.RegCloseKey(parent.value);
    return deleted;
}

bool RequestReboot(WindowsApi& os) {
    const Answer<Handle> token = os.OpenProcessToken(TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY);
    if (token.error != 0)
        return false;
    const std::optional<Luid> shutdown = os.LookupPrivilegeValueW(u"SeShutdownPrivilege");
    // The call succeeds even when the account lacks the privilege; only the error it leaves
    // behind tells.
    const bool enabled =
        shutdown && os.AdjustTokenPrivileges(token.value, *shutdown, SE_PRIVILEGE_ENABLED) == 0;
    // The privilege stays with the process whether or not the token closes.
    os.CloseHandle(token.value);
    return enabled && os.ExitWindowsEx(EWX_REBOOT | EWX_FORCE, SHTDN_REASON_MAJOR_APPLICATION) == 0;
}

} // namespace korvel
