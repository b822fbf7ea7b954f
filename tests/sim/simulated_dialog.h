// The dialogs of the simulated Windows: controls made from the program's templates,
// what the user does to them, and how the dialog procedure answered.
#pragma once

#include "dialog_template.h"
#include "os/windows_api.h"

#include <cstdint>
#include <set>
#include <vector>

namespace korvel::sim {

// One thing that happens to a shown dialog: the user clicks control `clickedId`, or,
// when that is 0, Windows sends the message.
struct DialogInput {
    int clickedId = 0;
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

// An auto radio button checks itself and unchecks the others of its group, then the
// dialog gets WM_COMMAND with the control's id. Escape and the close box come to a
// dialog as a click on IDCANCEL. Clicking a hidden or missing control is a test's mistake.
DialogInput Click(int id);
DialogInput Send(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);

struct DeliveredMessage {
    uint32_t message;
    uintptr_t wParam;
    intptr_t result;
    std::vector<DialogControl> controls; // as the procedure left them
};

struct SimulatedDialog {
    ModuleHandle instance = nullptr;
    uint16_t templateName = 0;
    WindowHandle parent = nullptr;
    intptr_t initParam = 0;
    WindowHandle window = nullptr;
    std::vector<DialogControl> controls;
    Handle bigIcon = nullptr;
    bool ended = false;
    intptr_t result = 0;
    bool destroyed = false;
    std::vector<DeliveredMessage> messages; // the procedure returned from

    DialogControl* Control(int id);
    DialogControl* ControlWindow(WindowHandle control);
    void Press(DialogControl& control);
};

// What the controls look like, for assertions.
std::set<int> VisibleControls(const std::vector<DialogControl>& controls);
std::set<int> CheckedControls(const std::vector<DialogControl>& controls);
std::u16string ControlText(const std::vector<DialogControl>& controls, int id);

} // namespace korvel::sim
