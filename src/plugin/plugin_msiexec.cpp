#include "plugin/plugin_msiexec.h"

#include "common/message_catalogue.h"
#include "exec/install_log.h"
#include "exec/run_and_wait.h"
#include "os/windows_constants.h"
#include "plugin/find_package.h"
#include "system/reboot_marker.h"

namespace korvel {

namespace {

std::u16string FileNameOf(const std::u16string& path) {
    const size_t slash = path.rfind(u'\\');
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

// The system's own msiexec.exe: the search for a bare "msiexec" would look first in the
// folder of this elevated program, usually a download folder.
Answer<std::u16string> SystemMsiexecPath(WindowsApi& os) {
    Answer<std::u16string> folder = os.GetSystemDirectoryW();
    folder.value += u"\\msiexec.exe";
    return folder;
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
            os.MessageBoxW(LoadMessage(os, IDS_PACKAGE_NOT_FOUND),
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
    os.MsiSourceListClearAllW(productCode);
    os.MsiSourceListSetInfoW(productCode, MSIINSTALLCONTEXT_MACHINE, MSICODE_PRODUCT,
                             u"PackageName", packageName);

    const Answer<std::u16string> msiexec = SystemMsiexecPath(os);
    const Answer<uint32_t> run = msiexec.error != 0 ? Answer<uint32_t>{msiexec.error}
                                                    : RunAndWait(os, commandLine, msiexec.value);
    if (run.error != 0 || !NeedsRestart(run.value))
        return ResultOf(run);
    // Without the marker the restart is not offered, but the installation stands.
    CreateRebootMarker(os);
    return 0;
}

} // namespace korvel
