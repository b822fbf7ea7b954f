#include "provider/install_provider.h"

#include "common/failure_report.h"
#include "exec/install_log.h"
#include "exec/run_and_wait.h"
#include "os/windows_constants.h"

namespace korvel {

namespace {

// Exit codes of a provider's setup after which the run goes on; 1602 is the user
// cancelling the provider's own installation, which does not stop the plug-in.
bool IsAcceptedExitCode(uint32_t exitCode) {
    return exitCode == 0 || exitCode == 3 || exitCode == 4 || exitCode == ERROR_INSTALL_USEREXIT;
}

// The installer options (basic interface, verbose log at `logPath`) and the pass-through text
// inside "-args", then the fixed switches.
std::u16string ProviderCommandLine(const std::u16string& kind, const std::u16string& args,
                                   const std::u16string& logPath, bool silent, bool reinstall) {
    const std::u16string installerOptions = u"/qb /Lv! \"\"\"" + logPath + u"\"\"\" " + args;
    std::u16string commandLine =
        kind + u"\\Setup.exe -args \"" + installerOptions + u"\" -noreboot -root";
    if (silent)
        commandLine += u" -silent";
    if (reinstall)
        commandLine += u" -reinstall";
    return commandLine;
}

} // namespace

uint32_t InstallProvider(WindowsApi& os, const std::u16string& kind, std::u16string args,
                         bool silent, bool reinstall) {
    // Without a log the provider is still installed; the log is only for diagnosis, and
    // MakeLogPath has told the user already.
    std::u16string logPath;
    MakeLogPath(os, kind, silent, logPath);
    const Answer<uint32_t> run =
        RunAndWait(os, ProviderCommandLine(kind, args, logPath, silent, reinstall));
    // A setup that never ran (a missing folder gives ERROR_PATH_NOT_FOUND, 3) installed
    // nothing, whatever its code would mean as an exit code.
    if (run.error == 0 && IsAcceptedExitCode(run.value))
        return 0;
    const uint32_t result = ResultOf(run);
    if (!silent) {
        // An error box has only an OK button.
        os.MessageBoxW(ComposeFailureReport(os, IDS_PROVIDER_FAILED, result, logPath), u"",
                       MB_ICONERROR);
    }
    return result;
}

} // namespace korvel
