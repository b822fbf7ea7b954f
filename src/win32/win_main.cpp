// The entry point of korvel-plugin-setup.exe, and the program's only way out: every path of
// the run returns its exit code here, and the C runtime ends the process with it once
// wWinMain returns.
#include "driver/main_flow.h"
#include "win32/common_controls.h"
#include "win32/process_hardening.h"

#include <windows.h>

namespace {

// The real Windows: the seam's members are defined on it by the other files of this folder.
class Windows final : public korvel::WindowsApi {};

// One per process, as the configuration dialog adds to what the command line chose.
korvel::SetupOptions setupOptions;

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandTail, int) {
    korvel::RestrictSearchPaths();
    korvel::InitializeCommonControls();
    Windows windows;
    const std::u16string tail = commandTail ? reinterpret_cast<const char16_t*>(commandTail) : u"";
    return static_cast<int>(korvel::RunSetup(windows, setupOptions, tail));
}
