#include "exec/run_and_wait.h"

#include "common/last_error.h"
#include "os/windows_constants.h"

#include <vector>

namespace korvel {

namespace {

// The child's exit code once it has ended, or the error that kept it from being known:
// an unread exit code must not pass for success.
uint32_t WaitForExitCode(WindowsApi& os, Handle process, bool& exited) {
    uint32_t exitCode = 0;
    if (os.WaitForSingleObject(process, INFINITE) == WAIT_FAILED ||
        !os.GetExitCodeProcess(process, exitCode))
        return LastErrorOr(os, ERROR_INVALID_HANDLE);
    exited = true;
    return exitCode;
}

} // namespace

uint32_t RunAndWait(WindowsApi& os, const std::u16string& commandLine,
                    const std::u16string& applicationName, bool* exited) {
    // CreateProcessW may write into the command line it is given.
    std::vector<char16_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(u'\0');
    ProcessInformation child;
    bool childExited = false;
    uint32_t result = 0;
    if (!os.CreateProcessW(applicationName.empty() ? nullptr : applicationName.c_str(),
                           writable.data(), CREATE_NO_WINDOW, child)) {
        result = LastErrorOr(os, ERROR_FILE_NOT_FOUND);
    } else {
        result = WaitForExitCode(os, child.process, childExited);
        // The result is known; a handle that will not close is released with the process.
        os.CloseHandle(child.process);
        os.CloseHandle(child.thread);
    }
    if (exited)
        *exited = childExited;
    return result;
}

} // namespace korvel
