#include "provider/config_dialog.h"

#include "common/message_catalogue.h"
#include "os/windows_constants.h"

#include <vector>

namespace korvel {

namespace {

const std::vector<int> kIntroPanel = {IDC_INTRO_FRAME, IDC_INTRO};
const std::vector<int> kOptionsPanel = {IDC_RUSSIAN, IDC_ENGLISH,        IDC_KC1,        IDC_KC2,
                                        IDC_KC3,     IDC_LANGUAGE_FRAME, IDC_LEVEL_FRAME};

struct Choice {
    int button;
    const char16_t* word;
};

const std::vector<Choice> kLevels = {{IDC_KC1, u"kc1*"}, {IDC_KC2, u"kc2*"}, {IDC_KC3, u"kc3*"}};
const std::vector<Choice> kLanguages = {{IDC_RUSSIAN, u"rus*"}, {IDC_ENGLISH, u"eng*"}};

intptr_t OnInitDialog(ConfigDialogState& state, WindowHandle dialog) {
    WindowsApi& os = state.os;
    state.icon = os.LoadImageW(IDI_SETUP, IMAGE_ICON, 32, 32, 0);
    // WM_SETICON answers with the icon it replaces, of which the dialog has none.
    if (state.icon != nullptr)
        os.SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<intptr_t>(state.icon));
    const bool russian =
        os.GetSystemDefaultUILanguage() == MAKELANGID(LANG_RUSSIAN, SUBLANG_RUSSIAN_RUSSIA);
    // The buttons are the template's own: checking them cannot fail.
    os.CheckDlgButton(dialog, russian ? IDC_RUSSIAN : IDC_ENGLISH, BST_CHECKED);
    os.CheckDlgButton(dialog, IDC_KC1, BST_CHECKED);
    return TRUE;
}

void ShowPanel(WindowsApi& os, WindowHandle dialog, const std::vector<int>& panel, int cmdShow) {
    // ShowWindow answers whether the control was visible before, which does not matter.
    for (const int id : panel)
        os.ShowWindow(os.GetDlgItem(dialog, id), cmdShow);
}

// The button's caption is the only record of which panel is shown.
intptr_t OnOptions(WindowsApi& os, WindowHandle dialog) {
    const bool toOptions =
        os.GetDlgItemTextW(dialog, IDC_OPTIONS, 10) == LoadMessage(os, IDS_OPTIONS);
    ShowPanel(os, dialog, toOptions ? kIntroPanel : kOptionsPanel, SW_HIDE);
    ShowPanel(os, dialog, toOptions ? kOptionsPanel : kIntroPanel, SW_SHOW);
    // The button is the template's own: setting its caption cannot fail.
    os.SetDlgItemTextW(dialog, IDC_OPTIONS, LoadMessage(os, toOptions ? IDS_HIDE : IDS_OPTIONS));
    return TRUE;
}

void AppendChecked(WindowsApi& os, WindowHandle dialog, const std::vector<Choice>& choices,
                   std::u16string& selection) {
    for (const Choice& choice : choices) {
        if (os.IsDlgButtonChecked(dialog, choice.button) == BST_CHECKED)
            selection += choice.word;
    }
}

intptr_t OnNext(ConfigDialogState& state, WindowHandle dialog) {
    AppendChecked(state.os, dialog, kLevels, state.setup.kcSelection);
    AppendChecked(state.os, dialog, kLanguages, state.setup.langSelection);
    // Ending a dialog from its own procedure cannot fail.
    state.os.EndDialog(dialog, 0);
    return TRUE;
}

// The run ends once the dialog has closed: no provider, no plug-in and no restart follow.
intptr_t OnCancel(ConfigDialogState& state, WindowHandle dialog) {
    state.cancelled = true;
    // As above.
    state.os.EndDialog(dialog, 0);
    return TRUE;
}

intptr_t OnCommand(ConfigDialogState& state, WindowHandle dialog, int id) {
    switch (id) {
    case IDC_OPTIONS:
        return OnOptions(state.os, dialog);
    case IDC_NEXT:
        return OnNext(state, dialog);
    case IDCANCEL:
        return OnCancel(state, dialog);
    }
    return FALSE;
}

void OnDestroy(ConfigDialogState& state) {
    // The dialog is gone; an icon that will not go is released with the process.
    if (state.icon != nullptr)
        state.os.DestroyIcon(state.icon);
    state.icon = nullptr;
}

} // namespace

intptr_t ConfigDialogProc(ConfigDialogState& state, WindowHandle dialog, uint32_t message,
                          uintptr_t wParam, intptr_t) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(state, dialog);
    case WM_COMMAND:
        return OnCommand(state, dialog, LOWORD(wParam));
    case WM_DESTROY:
        OnDestroy(state);
        return FALSE;
    }
    return FALSE;
}

bool ShowConfigDialog(WindowsApi& os, SetupOptions& setup) {
    ConfigDialogState state{os, setup};
    // A dialog that cannot be created leaves the choices as they are, and the run goes on.
    os.DialogBoxParamW(
        IDD_CONFIG,
        [&state](WindowHandle dialog, uint32_t message, uintptr_t wParam, intptr_t lParam) {
            return ConfigDialogProc(state, dialog, message, wParam, lParam);
        },
        0);
    return !state.cancelled;
}

} // namespace korvel
