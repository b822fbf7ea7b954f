// The dialog model, and the simulated Windows' user-interface calls that reach it.
#include "simulated_dialog.h"

#include "os/windows_constants.h"
#include "simulated_windows.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace korvel::sim {

DialogInput Click(int id) {
    return {id, WM_COMMAND, static_cast<uintptr_t>(id), 0};
}

DialogInput Send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return {0, message, wParam, lParam};
}

DialogControl* SimulatedDialog::Control(int id) {
    const auto found =
        std::find_if(controls.begin(), controls.end(),
                     [id](const DialogControl& control) { return control.id == id; });
    return found == controls.end() ? nullptr : &*found;
}

DialogControl* SimulatedDialog::ControlWindow(WindowHandle control) {
    const auto found =
        std::find_if(controls.begin(), controls.end(),
                     [control](const DialogControl& each) { return each.window == control; });
    return found == controls.end() ? nullptr : &*found;
}

// A group runs from a control that starts one to the next that does.
void SimulatedDialog::Press(DialogControl& control) {
    if (control.kind != "AUTORADIOBUTTON")
        return;
    const size_t at = static_cast<size_t>(&control - controls.data());
    size_t first = at;
    while (first > 0 && !controls[first].startsGroup)
        --first;
    for (size_t i = first; i < controls.size() && (i == first || !controls[i].startsGroup); ++i) {
        if (controls[i].kind == "AUTORADIOBUTTON")
            controls[i].check = i == at ? BST_CHECKED : BST_UNCHECKED;
    }
}

std::set<int> VisibleControls(const std::vector<DialogControl>& controls) {
    std::set<int> ids;
    for (const DialogControl& control : controls) {
        if (control.visible)
            ids.insert(control.id);
    }
    return ids;
}

std::set<int> CheckedControls(const std::vector<DialogControl>& controls) {
    std::set<int> ids;
    for (const DialogControl& control : controls) {
        if (control.check == BST_CHECKED)
            ids.insert(control.id);
    }
    return ids;
}

std::u16string ControlText(const std::vector<DialogControl>& controls, int id) {
    for (const DialogControl& control : controls) {
        if (control.id == id)
            return control.text;
    }
    return u"";
}

uint16_t SimulatedWindows::GetSystemDefaultUILanguage() {
    Record("GetSystemDefaultUILanguage");
    return systemDefaultUILanguage;
}

// A null instance finds the program's own template, as FindResourceW does. The modal
// loop takes the test's inputs until the procedure ends the dialog.
intptr_t SimulatedWindows::DialogBoxParamW(ModuleHandle instance, uint16_t templateName,
                                           WindowHandle parent, const DialogProcedure& dialogFunc,
                                           intptr_t initParam) {
    if (Enter("DialogBoxParamW " + std::to_string(templateName))) {
        Fail(ERROR_NOT_ENOUGH_MEMORY);
        return -1;
    }
    const auto found = dialogTemplates.find(templateName);
    if (found == dialogTemplates.end() || (instance != nullptr && instance != kProgramModule)) {
        Fail(1814); // ERROR_RESOURCE_NAME_NOT_FOUND
        return -1;
    }
    dialog.emplace();
    dialog->instance = instance;
    dialog->templateName = templateName;
    dialog->parent = parent;
    dialog->initParam = initParam;
    dialog->window = NewHandle();
    dialog->controls = found->second;
    for (DialogControl& control : dialog->controls)
        control.window = NewHandle();
    const WindowHandle focus = dialog->controls.empty() ? nullptr : dialog->controls[0].window;
    Deliver(dialogFunc, WM_INITDIALOG, reinterpret_cast<uintptr_t>(focus), initParam);
    while (!dialog->ended) {
        if (dialogInputs.empty())
            throw std::logic_error("the dialog waits for the user, and the test has no more input");
        const DialogInput input = dialogInputs.front();
        dialogInputs.pop_front();
        Deliver(dialogFunc, input);
    }
    Deliver(dialogFunc, WM_DESTROY, 0, 0);
    dialog->destroyed = true;
    return dialog->result;
}

void SimulatedWindows::Deliver(const DialogProcedure& procedure, const DialogInput& input) {
    if (input.clickedId == 0) {
        Deliver(procedure, input.message, input.wParam, input.lParam);
        return;
    }
    DialogControl* control = dialog->Control(input.clickedId);
    if (control == nullptr || !control->visible)
        throw std::logic_error("the user cannot click control " + std::to_string(input.clickedId));
    dialog->Press(*control);
    Deliver(procedure, WM_COMMAND, input.wParam, reinterpret_cast<intptr_t>(control->window));
}

void SimulatedWindows::Deliver(const DialogProcedure& procedure, uint32_t message, uintptr_t wParam,
                               intptr_t lParam) {
    const intptr_t result = procedure(dialog->window, message, wParam, lParam);
    dialog->messages.push_back({message, wParam, result, dialog->controls});
}

DialogControl* SimulatedWindows::DialogItem(WindowHandle dialogWindow, int id) {
    if (!dialog || dialog->destroyed || dialog->window != dialogWindow)
        return nullptr;
    return dialog->Control(id);
}

bool SimulatedWindows::EndDialog(WindowHandle dialogWindow, intptr_t result) {
    if (Enter("EndDialog"))
        return Fail(ERROR_INVALID_HANDLE) == 0;
    if (!dialog || dialog->destroyed || dialog->window != dialogWindow)
        return false;
    dialog->ended = true;
    dialog->result = result;
    return true;
}

Handle SimulatedWindows::LoadImageW(ModuleHandle instance, uint16_t name, uint32_t type, int cx,
                                    int cy, uint32_t load) {
    if (Enter("LoadImageW " + std::to_string(name) + " " + std::to_string(type) + " " +
              std::to_string(cx) + "x" + std::to_string(cy) + " " + std::to_string(load))) {
        Fail(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (instance != kProgramModule || type != IMAGE_ICON || !iconResources.count(name))
        return nullptr;
    const Handle icon = NewHandle();
    icons_.insert(icon);
    return icon;
}

bool SimulatedWindows::DestroyIcon(Handle icon) {
    if (Enter("DestroyIcon")) {
        icons_.erase(icon);
        return Fail(ERROR_INVALID_HANDLE) == 0;
    }
    return icons_.erase(icon) != 0;
}

intptr_t SimulatedWindows::SendMessageW(WindowHandle window, uint32_t message, uintptr_t wParam,
                                        intptr_t lParam) {
    if (Enter("SendMessageW"))
        return 0;
    if (!dialog || dialog->destroyed || window != dialog->window || message != WM_SETICON ||
        wParam != ICON_BIG)
        return 0;
    return reinterpret_cast<intptr_t>(
        std::exchange(dialog->bigIcon, reinterpret_cast<Handle>(lParam)));
}

WindowHandle SimulatedWindows::GetDlgItem(WindowHandle dialogWindow, int id) {
    if (Enter("GetDlgItem")) {
        Fail(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const DialogControl* control = DialogItem(dialogWindow, id);
    return control ? control->window : nullptr;
}

bool SimulatedWindows::ShowWindow(WindowHandle window, int cmdShow) {
    Record("ShowWindow");
    DialogControl* control = dialog && !dialog->destroyed ? dialog->ControlWindow(window) : nullptr;
    if (control == nullptr)
        return false;
    return std::exchange(control->visible, cmdShow != SW_HIDE);
}

bool SimulatedWindows::CheckDlgButton(WindowHandle dialogWindow, int id, uint32_t check) {
    if (Enter("CheckDlgButton"))
        return Fail(ERROR_INVALID_HANDLE) == 0;
    DialogControl* control = DialogItem(dialogWindow, id);
    if (control == nullptr)
        return false;
    control->check = check;
    return true;
}

uint32_t SimulatedWindows::IsDlgButtonChecked(WindowHandle dialogWindow, int id) {
    if (Enter("IsDlgButtonChecked"))
        return BST_UNCHECKED;
    const DialogControl* control = DialogItem(dialogWindow, id);
    return control ? control->check : BST_UNCHECKED;
}

uint32_t SimulatedWindows::GetDlgItemTextW(WindowHandle dialogWindow, int id, char16_t* string,
                                           int maxCount) {
    if (Enter("GetDlgItemTextW")) {
        Fail(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (maxCount <= 0)
        return 0;
    const DialogControl* control = DialogItem(dialogWindow, id);
    const std::u16string text = control ? control->text : u"";
    const size_t copied = std::min(text.size(), static_cast<size_t>(maxCount - 1));
    std::copy_n(text.begin(), copied, string);
    string[copied] = u'\0';
    return static_cast<uint32_t>(copied);
}

bool SimulatedWindows::SetDlgItemTextW(WindowHandle dialogWindow, int id,
                                       const std::u16string& string) {
    if (Enter("SetDlgItemTextW"))
        return Fail(ERROR_INVALID_HANDLE) == 0;
    DialogControl* control = DialogItem(dialogWindow, id);
    if (control == nullptr)
        return false;
    control->text = string;
    return true;
}

} // namespace korvel::sim
