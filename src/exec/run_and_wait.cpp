#include "exec/run_and_wait.h"

#include "os/windows_constants.h"

#include <vector>

namespace korvel {

uint32_t RunAndWait(WindowsApi& os, const std::u16string& commandLine,
                    const std::u16string& applicationName, bool* started) {
    // CreateProcessW may write into the command line it is given.
    std::vector<char16_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(u'\0');
    ProcessInformation child;
    const bool running =
        os.CreateProcessW(applicationName.empty() ? nullptr : applicationName.c_str(),
                          writable.data(), CREATE_NO_WINDOW, child);
    if (started)
        *started = running;
    if (!running)
        return os.GetLastError();
    uint32_t exitCode = 0;
    os.WaitForSingleObject(child.process, INFINITE);
    os.GetExitCodeProcess(child.process, exitCode);
    os.CloseHandle(child.process);
    os.CloseHandle(child.thread);
    return exitCode;
}

} // namespace korvel
