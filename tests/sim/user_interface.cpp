// The user interface of the simulated Windows: boxes answered from a list, and the dialog made
// from the program's template and clicked from a list until its procedure ends it.
#include "simulated_windows.h"

#include "resource.h"
#include "resource_source.h"

namespace korvel {

using namespace sim;

// Windows' own values, not the program's names for them.
constexpr uint32_t ERROR_INVALID_HANDLE = 6, MB_YESNO = 4, WM_DESTROY = 0x02, WM_SETICON = 0x80;
constexpr uint32_t WM_INITDIALOG = 0x110, WM_COMMAND = 0x111, IMAGE_ICON = 1, BST_CHECKED = 1;
constexpr int IDOK = 1, IDCANCEL = 2, IDYES = 6, SW_SHOW = 5;
constexpr uintptr_t ICON_BIG = 1;

static int Next(std::deque<int>& queue, int otherwise) {
    const int next = queue.empty() ? otherwise : queue.front();
    if (!queue.empty())
        queue.pop_front();
    return next;
}

std::optional<Text> WindowsApi::LoadStringW(uint16_t id) {
    SimulatedWindows& os = Sim(*this, __func__);
    if (os.Fails() || os.strings.count(id) == 0)
        return std::nullopt;
    return os.strings.at(id);
}

int WindowsApi::MessageBoxW(const Text& text, const Text& caption, uint32_t type) {
    SimulatedWindows& os = Sim(*this, __func__);
    if (os.Fails())
        return 0;
    os.boxes.push_back({caption, text, type});
    return Next(os.answers, (type & 0xF) == MB_YESNO ? IDYES : IDOK);
}

// Escape once the clicks run out; a dialog that stays open after it would wait forever.
intptr_t WindowsApi::DialogBoxParamW(uint16_t templateName, const DialogProcedure& dialogFunc,
                                     intptr_t initParam) {
    SimulatedWindows& os = Sim(*this, __func__);
    if (os.Fails() || templateName != IDD_CONFIG)
        return -1;
    os.dialog.clear();
    for (const test::DialogControl& control : test::DialogControls())
        os.dialog.push_back({control.id, control.text, control.visible, control.startsGroup,
                             control.kind == "AUTORADIOBUTTON"});
    os.dialogEnded = false;
    dialogFunc(&os, WM_INITDIALOG, 0, initParam);
    os.boxes.push_back({test::FromUtf8(test::DialogCaption())});
    while (!os.dialogEnded) {
        const int id = Next(os.clicks, IDCANCEL);
        Control* clicked = os.Item(&os, id);
        if (id != IDCANCEL && (clicked == nullptr || !clicked->visible))
            continue;
        if (clicked != nullptr && clicked->radio)
            os.Check(*clicked);
        dialogFunc(&os, WM_COMMAND, static_cast<uintptr_t>(id), 0);
        if (id == IDCANCEL && os.clicks.empty())
            break;
    }
    for (const Control& control : os.dialog) {
        if (control.checked)
            os.boxes.back().checked.push_back(control.id);
    }
    dialogFunc(&os, WM_DESTROY, 0, 0);
    return 0;
}

uint32_t WindowsApi::EndDialog(WindowHandle dialog, intptr_t) {
    SimulatedWindows& os = Sim(*this, __func__);
    if (os.Fails())
        return os.injectedError;
    os.dialogEnded = os.dialogEnded || dialog == &os;
    return dialog == &os ? 0 : ERROR_INVALID_HANDLE;
}

// The size asked for is recorded: Windows would scale any.
Handle WindowsApi::LoadImageW(uint16_t name, uint32_t type, int cx, int cy, uint32_t) {
    SimulatedWindows& os = Sim(*this, __func__);
    const bool icon = !os.Fails() && name == IDI_SETUP && type == IMAGE_ICON;
    os.calls.push_back("LoadImageW " + std::to_string(cx) + "x" + std::to_string(cy));
    return icon ? os.Open({Object::Icon}) : nullptr;
}

uint32_t WindowsApi::DestroyIcon(Handle icon) {
    return Sim(*this, __func__).Close(icon, Object::Icon);
}

intptr_t WindowsApi::SendMessageW(WindowHandle window, uint32_t message, uintptr_t wParam,
                                  intptr_t lParam) {
    SimulatedWindows& os = static_cast<SimulatedWindows&>(*this);
    const bool bigIcon = window == &os && message == WM_SETICON && wParam == ICON_BIG &&
                         os.Opened(reinterpret_cast<Handle>(lParam), Object::Icon) != nullptr;
    Sim(*this, bigIcon ? "SendMessageW WM_SETICON" : __func__);
    return 0;
}

WindowHandle WindowsApi::GetDlgItem(WindowHandle dialog, int id) {
    SimulatedWindows& os = Sim(*this, __func__);
    return os.Fails() ? nullptr : os.Item(dialog, id);
}

bool WindowsApi::ShowWindow(WindowHandle window, int cmdShow) {
    auto* control = static_cast<Control*>(window);
    const bool wasVisible = control != nullptr && control->visible;
    if (!Sim(*this, __func__).Fails() && control != nullptr)
        control->visible = cmdShow == SW_SHOW;
    return wasVisible;
}

uint32_t WindowsApi::CheckDlgButton(WindowHandle dialog, int id, uint32_t check) {
    SimulatedWindows& os = Sim(*this, __func__);
    Control* button = os.Item(dialog, id);
    if (os.Fails())
        return os.injectedError;
    if (button != nullptr && check == BST_CHECKED)
        os.Check(*button);
    else if (button != nullptr)
        button->checked = false;
    return button != nullptr ? 0 : ERROR_INVALID_HANDLE;
}

uint32_t WindowsApi::IsDlgButtonChecked(WindowHandle dialog, int id) {
    SimulatedWindows& os = Sim(*this, __func__);
    const Control* button = os.Item(dialog, id);
    return !os.Fails() && button != nullptr && button->checked ? BST_CHECKED : 0; // BST_UNCHECKED
}

Text WindowsApi::GetDlgItemTextW(WindowHandle dialog, int id, int maxCount) {
    SimulatedWindows& os = Sim(*this, __func__);
    const Control* control = os.Item(dialog, id);
    if (os.Fails() || control == nullptr || maxCount <= 0)
        return u"";
    return control->text.substr(0, static_cast<size_t>(maxCount - 1));
}

uint32_t WindowsApi::SetDlgItemTextW(WindowHandle dialog, int id, const Text& text) {
    SimulatedWindows& os = Sim(*this, __func__);
    Control* control = os.Item(dialog, id);
    if (os.Fails())
        return os.injectedError;
    if (control != nullptr)
        control->text = text;
    return control != nullptr ? 0 : ERROR_INVALID_HANDLE;
}

namespace sim {

Control* SimulatedWindows::Item(WindowHandle window, int id) {
    for (Control& control : dialog) {
        if (window == this && control.id == id)
            return &control;
    }
    return nullptr;
}

// A radio button's group runs from the control that starts one to the next that does.
void SimulatedWindows::Check(Control& button) {
    size_t first = static_cast<size_t>(&button - dialog.data());
    while (button.radio && first > 0 && !dialog[first].startsGroup)
        --first;
    for (size_t i = first;
         button.radio && i < dialog.size() && (i == first || !dialog[i].startsGroup); ++i)
        dialog[i].checked = false;
    button.checked = true;
}

} // namespace sim

} // namespace korvel
