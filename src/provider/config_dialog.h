// The configuration dialog: installation language and security level of the CSP
// provider.
#pragma once

#include "common/run_options.h"
#include "os/windows_api.h"
#include "resource.h"

#include <cstdint>

namespace korvel {

// What the dialog procedure keeps from one message to the next.
struct ConfigDialogState {
    WindowsApi& os;
    SetupOptions& setup;
    Handle icon = nullptr;
    bool cancelled = false;
};

intptr_t ConfigDialogProc(ConfigDialogState& state, WindowHandle dialog, uint32_t message,
                          uintptr_t wParam, intptr_t lParam);

// Shows the modal dialog; "Далее" appends the choices to `setup`. Returns false when the
// user cancelled it, and the run then ends; true otherwise, also when the dialog could not
// be shown, and the run goes on as if nothing had been chosen.
bool ShowConfigDialog(WindowsApi& os, SetupOptions& setup);

} // namespace korvel
