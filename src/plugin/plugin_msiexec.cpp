#include "plugin/plugin_msiexec.h"

#include "common/last_error.h"
#include "common/message_catalogue.h"
#include "exec/install_log.h"
#include "exec/run_and_wait.h"
#include "os/windows_constants.h"
#include "plugin/find_package.h"
#include "system/reboot_marker.h"

#include <vector>

namespace korvel {

namespace {

std::u16string FileNameOf(const std::u16string& path) {
    const size_t slash = path.rfind(u'\\');
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

// The system's own msiexec.exe: the search for a bare "msiexec" would look first in the
// folder of this elevated program, usually a download folder.
uint32_t SystemMsiexecPath(WindowsApi& os, std::u16string& path) {
    std::vector<char16_t> buffer(MAX_PATH);
    uint32_t length = os.GetSystemDirectoryW(buffer.data(), static_cast<uint32_t>(buffer.size()));
    if (length >= buffer.size()) {
        buffer.resize(length);
        length = os.GetSystemDirectoryW(buffer.data(), static_cast<uint32_t>(buffer.size()));
    }
    if (length == 0 || length >= buffer.size())
        return LastErrorOr(os, ERROR_PATH_NOT_FOUND);
    path.assign(buffer.data(), length);
    path += u"\\msiexec.exe";
    return 0;
}

bool NeedsRestart(uint32_t exitCode) {
    return exitCode == ERROR_SUCCESS_REBOOT_REQUIRED ||
           exitCode == ERROR_SUCCESS_RESTART_REQUIRED || exitCode == ERROR_SUCCESS_REBOOT_INITIATED;
}

} // namespace

uint32_t RunPluginMsiexec(WindowsApi& os, const std::u16string& productCode,
                          const std::u16string& packageMask, const std::u16string& properties,
                          bool silent, std::u16string& logPath) {
    std::u16string packagePath;
    if (const uint32_t result = FindPackage(os, packageMask, packagePath)) {
        if (!silent) {
            // An error box has only an OK button.
            os.MessageBoxW(nullptr, LoadMessage(os, IDS_PACKAGE_NOT_FOUND),
                           LoadMessage(os, IDS_ERROR_CAPTION), MB_OK | MB_ICONERROR);
        }
        return result;
    }
    const std::u16string packageName = FileNameOf(packagePath);
    std::u16string newLogPath;
    if (const uint32_t result = MakeLogPath(os, packageName, silent, newLogPath))
        return result;
    logPath = newLogPath;

    const std::u16string commandLine =
        u"msiexec /i \"" + packagePath + u"\" /Lv! \"" + logPath + u"\" REBOOT=R " + properties;
    // Both fail for a product not yet installed, and nothing then needs its source list.
    os.MsiSourceListClearAllW(productCode, nullptr, 0);
    os.MsiSourceListSetInfoW(productCode, nullptr, MSIINSTALLCONTEXT_MACHINE, MSICODE_PRODUCT,
                             u"PackageName", packageName);

    std::u16string msiexec;
    bool exited = false;
    uint32_t result = SystemMsiexecPath(os, msiexec);
    if (result == 0)
        result = RunAndWait(os, commandLine, msiexec, &exited);
    if (!exited || !NeedsRestart(result))
        return result;
    // Without the marker the restart is not offered, but the installation stands.
    CreateRebootMarker(os);
    return 0;
}

} // namespace korvel
