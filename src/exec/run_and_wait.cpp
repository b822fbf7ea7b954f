#include "exec/run_and_wait.h"

#include "os/windows_constants.h"

namespace korvel {

Answer<uint32_t> RunAndWait(WindowsApi& os, const std::u16string& commandLine,
                            const std::u16string& applicationName) {
    const Answer<Handle> child = os.CreateProcessW(applicationName, commandLine, CREATE_NO_WINDOW);
    if (child.error != 0)
        return {child.error};
    // An exit code that cannot be read must not pass for success.
    const uint32_t waitError = os.WaitForSingleObject(child.value, INFINITE);
    const Answer<uint32_t> exit =
        waitError != 0 ? Answer<uint32_t>{waitError} : os.GetExitCodeProcess(child.value);
    // The result is known; a handle that will not close is released with the process.
    os.CloseHandle(child.value);
    return exit;
}

uint32_t ResultOf(const Answer<uint32_t>& run) {
    return run.error != 0 ? run.error : run.value;
}

} // namespace korvel
