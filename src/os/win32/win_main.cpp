// The entry point of korvel-plugin-setup.exe.
#include "driver/main_flow.h"
#include "os/win32/common_controls.h"
#include "os/win32/process_hardening.h"
#include "os/win32/win32_api.h"

#include <windows.h>

namespace {

// One per process: the help and the dialog reach it from anywhere in the run.
korvel::SetupOptions setupOptions;

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandTail, int) {
    korvel::RestrictSearchPaths();
    korvel::InitializeCommonControls();
    korvel::Win32Api windows;
    const std::u16string tail = commandTail ? reinterpret_cast<const char16_t*>(commandTail) : u"";
    return static_cast<int>(korvel::RunSetup(windows, setupOptions, instance, tail));
}
