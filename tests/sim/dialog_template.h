// Dialog templates read from their resource source, so that the simulated dialogs and
// the program share one copy of the controls.
#pragma once

#include "os/windows_api.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace korvel::sim {

struct DialogControl {
    std::string kind; // the resource statement: PUSHBUTTON, AUTORADIOBUTTON, LTEXT, ...
    int id = 0;
    std::u16string text;
    bool visible = true;
    bool startsGroup = false;
    // The state of a shown dialog's control.
    uint32_t check = 0;
    WindowHandle window = nullptr;
};

// The controls of every DIALOGEX in UTF-8 resource source, by template name, in the
// template's order and with the styles the resource compiler gives them.
std::map<uint16_t, std::vector<DialogControl>> ReadDialogTemplates(const std::string& path);

// The program's templates, from res/dialog.rc.
const std::map<uint16_t, std::vector<DialogControl>>& DialogTemplates();

} // namespace korvel::sim
