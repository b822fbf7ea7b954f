// The configuration dialog: installation language and security level of the CSP
// provider.
#pragma once

#include "driver/command_line.h"
#include "os/windows_api.h"

namespace korvel {

// Shows the modal dialog; "Далее" appends the choices to `setup`, cancelling ends the
// process with exit code 0.
void ShowConfigDialog(WindowsApi& os, ModuleHandle instance, SetupOptions& setup);

} // namespace korvel
