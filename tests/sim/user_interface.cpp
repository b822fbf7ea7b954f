// The user interface of the simulated Windows: boxes answered from a list, and the dialog made
// from the program's template and clicked from a list until its procedure ends it.
#include "simulated_windows.h"

#include "resource.h"
#include "resource_source.h"

namespace korvel {

using namespace sim;

// Windows' own values, not the program's names for them.
constexpr uint32_t ERROR_INVALID_HANDLE = 6, WM_DESTROY = 0x02, WM_INITDIALOG = 0x110,
                   WM_COMMAND = 0x111, BST_CHECKED = 1;
constexpr int IDCANCEL = 2;

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

// Yes (6) to MB_YESNO (4), else OK (1), once the answers run out.
int WindowsApi::MessageBoxW(const Text& text, const Text& caption, uint32_t type) {
    SimulatedWindows& os = Sim(*this, __func__);
    if (os.Fails())
        return 0;
    os.boxes.push_back({caption, text, type});
    return Next(os.answers, (type & 0xF) == 4 ? 6 : 1);
}

// Escape once the clicks run out; what is hidden cannot be clicked.
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
        // A dialog that stays open after Escape would wait forever.
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
    const bool icon = !os.Fails() && name == IDI_SETUP && type == 1; // IMAGE_ICON
    os.calls.push_back("LoadImageW " + std::to_string(cx) + "x" + std::to_string(cy));
    return icon ? os.Open({Object::Icon}) : nullptr;
}

uint32_t WindowsApi::DestroyIcon(Handle icon) {
    return Sim(*this, __func__).Close(icon, Object::Icon);
}

// WM_SETICON (0x80) with ICON_BIG (1) is recorded as such.
intptr_t WindowsApi::SendMessageW(WindowHandle window, uint32_t message, uintptr_t wParam,
                                  intptr_t lParam) {
    SimulatedWindows& os = static_cast<SimulatedWindows&>(*this);
    const bool bigIcon = window == &os && message == 0x80 && wParam == 1 &&
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
        control->visible = cmdShow == 5; // SW_SHOW
    return wasVisible;
}

uint32_t WindowsApi::CheckDlgButton(WindowHandle dialog, int id, uint32_t check) {
    SimulatedWindows& os = Sim(*this, __func__);
    Control* button = os.Item(dialog, id);
    if (os.Fails() || button == nullptr)
        return button ? os.injectedError : ERROR_INVALID_HANDLE;
    if (check == BST_CHECKED)
        os.Check(*button);
    else
        button->checked = false;
    return 0;
}

uint32_t WindowsApi::IsDlgButtonChecked(WindowHandle dialog, int id) {
    SimulatedWindows& os = Sim(*this, __func__);
    const Control* button = os.Item(dialog, id);
    return !os.Fails() && button != nullptr && button->checked ? BST_CHECKED : 0;
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
    if (os.Fails() || control == nullptr)
        return control ? os.injectedError : ERROR_INVALID_HANDLE;
    control->text = text;
    return 0;
}

Control* sim::SimulatedWindows::Item(WindowHandle window, int id) {
    for (Control& control : dialog) {
        if (window == this && control.id == id)
            return &control;
    }
    return nullptr;
}

// A radio button's group runs from the control that starts one to the next that does.
void sim::SimulatedWindows::Check(Control& button) {
    size_t first = static_cast<size_t>(&button - dialog.data());
    while (button.radio && first > 0 && !dialog[first].startsGroup)
        --first;
    for (size_t i = first;
         button.radio && i < dialog.size() && (i == first || !dialog[i].startsGroup); ++i)
        dialog[i].checked = false;
    button.checked = true;
}

} // namespace korvel
