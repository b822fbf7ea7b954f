// The entry point of korvel-plugin-setup.exe, and the program's only way out: every path of
// the run returns its exit code here, and the C runtime ends the process with it once
// wWinMain returns.
#include "driver/main_flow.h"
#include "win32/common_controls.h"
#include "win32/process_hardening.h"
#include "win32/win32_api.h"

#include <windows.h>

namespace {

// One per process, as the configuration dialog adds to what the command line chose.
korvel::SetupOptions setupOptions;

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandTail, int) {
    korvel::RestrictSearchPaths();
    korvel::InitializeCommonControls();
    korvel::Win32Api windows;
    const std::u16string tail = commandTail ? reinterpret_cast<const char16_t*>(commandTail) : u"";
    return static_cast<int>(korvel::RunSetup(windows, setupOptions, instance, tail));
}
