// Placeholder until the dialog lands: the run goes on as after "Далее" with nothing
// chosen.
#include "provider/config_dialog.h"

namespace korvel {

void ShowConfigDialog(WindowsApi&, ModuleHandle, SetupOptions&) {}

} // namespace korvel
