// The registry and security of the simulated Windows.
#include "simulated_windows.h"

namespace korvel {

using namespace sim;

// Windows' own values, not the program's names for them.
const RegistryKey HKEY_CURRENT_USER = reinterpret_cast<RegistryKey>(uintptr_t{0x80000001});
constexpr uint32_t ERROR_FILE_NOT_FOUND = 2, ERROR_ACCESS_DENIED = 5, ERROR_INVALID_HANDLE = 6,
                   ERROR_NOT_ALL_ASSIGNED = 1300, TOKEN_ADJUST_PRIVILEGES = 0x20;
constexpr Luid kShutdownPrivilege = {19, 0};

// A key that exists is opened as it is, with the options it was created with.
Answer<RegistryKey> WindowsApi::RegCreateKeyExW(RegistryKey key, const Text& subKey,
                                                uint32_t options, uint32_t samDesired) {
    SimulatedWindows& os = Sim(*this, __func__);
    const Text path = os.View(samDesired) + Fold(subKey);
    if (os.Fails() || key != HKEY_CURRENT_USER)
        return {key != HKEY_CURRENT_USER ? ERROR_INVALID_HANDLE : os.injectedError};
    os.keys.emplace(path, options);
    return {0, os.Open({Object::Key, samDesired, path})};
}

Answer<RegistryKey> WindowsApi::RegOpenKeyExW(RegistryKey key, const Text& subKey, uint32_t,
                                              uint32_t samDesired) {
    SimulatedWindows& os = Sim(*this, __func__);
    const Text path = os.View(samDesired) + Fold(subKey);
    if (os.Fails())
        return {os.injectedError};
    if (key != HKEY_CURRENT_USER || os.keys.count(path) == 0)
        return {ERROR_FILE_NOT_FOUND};
    return {0, os.Open({Object::Key, samDesired, path})};
}

// In the view asked for, whatever the view of the parent's handle.
uint32_t WindowsApi::RegDeleteKeyExW(RegistryKey key, const Text& subKey, uint32_t samDesired) {
    SimulatedWindows& os = Sim(*this, __func__);
    const Object* parent = os.Opened(key, Object::Key);
    if (os.Fails())
        return os.injectedError;
    if (!os.hasRegDeleteKeyEx || parent == nullptr)
        return os.hasRegDeleteKeyEx ? ERROR_INVALID_HANDLE : 120; // ERROR_CALL_NOT_IMPLEMENTED
    const Text path = os.View(samDesired) + parent->path.substr(3) + u"\\" + Fold(subKey);
    return os.keys.erase(path) != 0 ? 0 : ERROR_FILE_NOT_FOUND;
}

uint32_t WindowsApi::RegDeleteKeyW(RegistryKey key, const Text& subKey) {
    SimulatedWindows& os = Sim(*this, __func__);
    const Object* parent = os.Opened(key, Object::Key);
    if (os.Fails() || parent == nullptr)
        return parent ? os.injectedError : ERROR_INVALID_HANDLE;
    return os.keys.erase(parent->path + u"\\" + Fold(subKey)) != 0 ? 0 : ERROR_FILE_NOT_FOUND;
}

uint32_t WindowsApi::RegCloseKey(RegistryKey key) {
    return Sim(*this, __func__).Close(key, Object::Key);
}

Answer<Handle> WindowsApi::OpenProcessToken(uint32_t desiredAccess) {
    SimulatedWindows& os = Sim(*this, __func__);
    return os.Fails() ? Answer<Handle>{os.injectedError}
                      : Answer<Handle>{0, os.Open({Object::Token, desiredAccess})};
}

std::optional<Luid> WindowsApi::LookupPrivilegeValueW(const Text& name) {
    if (Sim(*this, __func__).Fails() || name != u"SeShutdownPrivilege")
        return std::nullopt;
    return kShutdownPrivilege;
}

// The call succeeds for a privilege the account lacks, and says so in the error it leaves.
uint32_t WindowsApi::AdjustTokenPrivileges(Handle token, const Luid& luid, uint32_t attributes) {
    SimulatedWindows& os = Sim(*this, __func__);
    const Object* opened = os.Opened(token, Object::Token);
    if (os.Fails())
        return os.injectedError;
    if (opened == nullptr || (opened->access & TOKEN_ADJUST_PRIVILEGES) == 0)
        return opened == nullptr ? ERROR_INVALID_HANDLE : ERROR_ACCESS_DENIED;
    const bool shutdown = luid.lowPart == kShutdownPrivilege.lowPart && luid.highPart == 0;
    if (shutdown && !os.holdsShutdownPrivilege)
        return ERROR_NOT_ALL_ASSIGNED;
    os.shutdownEnabled = shutdown ? attributes == 2 : os.shutdownEnabled; // SE_PRIVILEGE_ENABLED
    return 0;
}

// A forced restart (EWX_REBOOT | EWX_FORCE), for a reason of the application's, not planned.
uint32_t WindowsApi::ExitWindowsEx(uint32_t flags, uint32_t reason) {
    SimulatedWindows& os = Sim(*this, __func__);
    if (os.Fails())
        return os.injectedError;
    if (!os.shutdownEnabled || !os.restartStarts)
        return 1314; // ERROR_PRIVILEGE_NOT_HELD
    os.restarted = flags == 6 && reason == 0x40000;
    return 0;
}

} // namespace korvel
