// The configuration dialog: installation language and security level of the CSP
// provider.
#pragma once

#include "driver/command_line.h"
#include "os/windows_api.h"

#include <cstdint>

namespace korvel {

// The program's icon, the dialog template and its controls, as res/ numbers them.
constexpr uint16_t IDI_SETUP = 100;
constexpr uint16_t IDD_CONFIG = 141;
constexpr int IDC_NEXT = 140;
constexpr int IDC_RUSSIAN = 1006;
constexpr int IDC_ENGLISH = 1007;
constexpr int IDC_KC1 = 1008;
constexpr int IDC_KC2 = 1009;
constexpr int IDC_KC3 = 1010;
constexpr int IDC_INTRO_FRAME = 1011;
constexpr int IDC_LANGUAGE_FRAME = 1012;
constexpr int IDC_LEVEL_FRAME = 1013;
constexpr int IDC_INTRO = 1014;
constexpr int IDC_OPTIONS = 1015;

// What the dialog procedure keeps from one message to the next.
struct ConfigDialogState {
    WindowsApi& os;
    SetupOptions& setup;
    Handle icon = nullptr;
};

intptr_t ConfigDialogProc(ConfigDialogState& state, WindowHandle dialog, uint32_t message,
                          uintptr_t wParam, intptr_t lParam);

// Shows the modal dialog; "Далее" appends the choices to `setup`, cancelling ends the
// process with exit code 0. When the dialog cannot be shown the run goes on as if
// nothing had been chosen.
void ShowConfigDialog(WindowsApi& os, ModuleHandle instance, SetupOptions& setup);

} // namespace korvel
