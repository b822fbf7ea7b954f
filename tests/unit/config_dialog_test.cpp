#include "provider/config_dialog.h"

#include "driver/command_line.h"
#include "driver/main_flow.h"
#include "os/windows_constants.h"
#include "simulated_windows.h"
#include "table_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <vector>

namespace korvel {
namespace {

using sim::Click;
using sim::DeliveredMessage;
using sim::DialogInput;
using sim::Send;
using sim::SimulatedWindows;

const std::set<int> kIntroShown = {IDC_NEXT, IDCANCEL, IDC_INTRO_FRAME, IDC_OPTIONS, IDC_INTRO};
const std::set<int> kOptionsShown = {IDC_NEXT,        IDCANCEL,   IDC_RUSSIAN, IDC_ENGLISH,
                                     IDC_KC1,         IDC_KC2,    IDC_KC3,     IDC_LANGUAGE_FRAME,
                                     IDC_LEVEL_FRAME, IDC_OPTIONS};
const std::u16string kOptions = u"Опции";
const std::u16string kHide = u"Скрыть";

// The exit code when the run ends with the dialog.
std::optional<uint32_t> Show(SimulatedWindows& os, SetupOptions& setup,
                             const std::vector<DialogInput>& inputs) {
    os.dialogInputs.assign(inputs.begin(), inputs.end());
    if (!ShowConfigDialog(os, sim::kProgramModule, setup))
        return 0;
    return std::nullopt;
}

size_t CallIndex(const SimulatedWindows& os, const std::string& call) {
    return static_cast<size_t>(std::find(os.calls.begin(), os.calls.end(), call) -
                               os.calls.begin());
}

size_t CallCount(const SimulatedWindows& os, const std::string& call) {
    return static_cast<size_t>(std::count(os.calls.begin(), os.calls.end(), call));
}

// The template as the simulated dialogs read it from res/dialog.rc: the order is the tab
// order and makes the radio groups.
TEST(ConfigDialogTemplate, HasItsControlsInOrderWithTheOptionsHidden) {
    struct Expected {
        const char* kind;
        int id;
        bool visible;
        bool startsGroup;
        std::u16string text;
    };
    const std::vector<Expected> expected = {
        {"DEFPUSHBUTTON", IDC_NEXT, true, false, u"Далее"},
        {"PUSHBUTTON", IDCANCEL, true, false, u"Отмена"},
        {"AUTORADIOBUTTON", IDC_RUSSIAN, false, true, u"Русский"},
        {"AUTORADIOBUTTON", IDC_ENGLISH, false, false, u"English"},
        {"AUTORADIOBUTTON", IDC_KC1, false, true, u"KC1"},
        {"AUTORADIOBUTTON", IDC_KC2, false, false, u"KC2"},
        {"AUTORADIOBUTTON", IDC_KC3, false, false, u"KC3"},
        {"GROUPBOX", IDC_LANGUAGE_FRAME, false, false, u"Язык установки:"},
        {"GROUPBOX", IDC_LEVEL_FRAME, false, false, u"Уровень безопасности:"},
        {"GROUPBOX", IDC_INTRO_FRAME, true, false, u"KORVEL - ключевое слово в защите информации"},
        {"PUSHBUTTON", IDC_OPTIONS, true, false, kOptions},
        {"LTEXT", IDC_INTRO, true, true,
         u"www.korvel.ru\n\nБлагодарим за выбор Korvel CSP.\n"
         u"Для продолжения установки нажимте \"Далее\",\n"
         u"для установки специфических настроек - \"Опции\".\n"
         u"Если вы не знаете, что выбирать, нажмите \"Далее\"."},
    };
    const std::vector<sim::DialogControl>& controls = sim::DialogTemplates().at(IDD_CONFIG);
    ASSERT_EQ(controls.size(), expected.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        EXPECT_EQ(controls[i].kind, expected[i].kind) << i;
        EXPECT_EQ(controls[i].id, expected[i].id) << i;
        EXPECT_EQ(controls[i].visible, expected[i].visible) << i;
        EXPECT_EQ(controls[i].startsGroup, expected[i].startsGroup) << i;
        EXPECT_EQ(controls[i].text, expected[i].text) << i;
    }
}

struct LanguageRow {
    const char* name;
    uint16_t systemLanguage;
    int languageButton;
    const char16_t* languageWord;
};
void PrintTo(const LanguageRow& row, std::ostream* out) {
    *out << row.name;
}

class InitialChoice : public testing::TestWithParam<LanguageRow> {};

TEST_P(InitialChoice, FollowsTheSystemLanguageWithTheFirstLevel) {
    const LanguageRow& row = GetParam();
    SimulatedWindows os;
    os.systemDefaultUILanguage = row.systemLanguage;
    SetupOptions setup;
    Show(os, setup, {Click(IDC_NEXT)});
    const DeliveredMessage& init = os.dialog->messages.front();
    EXPECT_EQ(init.message, WM_INITDIALOG);
    EXPECT_EQ(init.result, TRUE);
    EXPECT_EQ(sim::CheckedControls(init.controls), (std::set<int>{row.languageButton, IDC_KC1}));
    EXPECT_EQ(sim::VisibleControls(init.controls), kIntroShown);
    EXPECT_EQ(sim::ControlText(init.controls, IDC_OPTIONS), kOptions);
    EXPECT_EQ(setup.kcSelection, u"kc1*");
    EXPECT_EQ(setup.langSelection, row.languageWord);
}

INSTANTIATE_TEST_SUITE_P(
    Table, InitialChoice,
    testing::Values(LanguageRow{"Russian", 0x0419, IDC_RUSSIAN, u"rus*"},
                    LanguageRow{"English", 0x0409, IDC_ENGLISH, u"eng*"},
                    LanguageRow{"RussianMoldova", 0x0819, IDC_ENGLISH, u"eng*"},
                    LanguageRow{"RussianNeutral", 0x0019, IDC_ENGLISH, u"eng*"}),
    RowName<LanguageRow>);

TEST(ConfigDialog, IsTemplate141OfTheGivenModuleWithoutOwner) {
    SimulatedWindows os;
    SetupOptions setup;
    EXPECT_EQ(Show(os, setup, {Click(IDC_NEXT)}), std::nullopt);
    ASSERT_TRUE(os.dialog);
    EXPECT_EQ(os.dialog->instance, sim::kProgramModule);
    EXPECT_EQ(os.dialog->templateName, 141);
    EXPECT_EQ(os.dialog->parent, nullptr);
    EXPECT_EQ(os.dialog->initParam, 0);
    EXPECT_EQ(os.dialog->result, 0);
}

TEST(ConfigDialog, ShowsTheProgramsIconAndDestroysItWithTheDialog) {
    SimulatedWindows os;
    SetupOptions setup;
    Show(os, setup, {Click(IDC_NEXT)});
    EXPECT_EQ(CallCount(os, "GetModuleHandleW"), 1u);
    EXPECT_EQ(CallCount(os, "LoadImageW 100 1 32x32 0"), 1u);
    EXPECT_NE(os.dialog->bigIcon, nullptr);
    EXPECT_EQ(os.OpenHandleCount(), 0u);
    const DeliveredMessage& last = os.dialog->messages.back();
    EXPECT_EQ(last.message, WM_DESTROY);
    EXPECT_EQ(last.result, FALSE);
    EXPECT_LT(CallIndex(os, "EndDialog"), CallIndex(os, "DestroyIcon"));
}

TEST(ConfigDialog, WithoutItsIconShowsNoneAndStillWorks) {
    SimulatedWindows os;
    os.iconResources.clear();
    SetupOptions setup;
    Show(os, setup, {Click(IDC_NEXT)});
    EXPECT_EQ(os.dialog->bigIcon, nullptr);
    EXPECT_EQ(CallCount(os, "SendMessageW"), 0u);
    EXPECT_EQ(CallCount(os, "DestroyIcon"), 0u);
    EXPECT_EQ(setup.kcSelection, u"kc1*");
}

TEST(ConfigDialog, ThatCannotBeCreatedLeavesTheChoicesAlone) {
    SimulatedWindows os;
    os.dialogTemplates.clear();
    SetupOptions setup;
    setup.kcSelection = u"*kc2*";
    EXPECT_EQ(Show(os, setup, {}), std::nullopt);
    EXPECT_EQ(CallCount(os, "DialogBoxParamW 141"), 1u);
    EXPECT_EQ(setup.kcSelection, u"*kc2*");
    EXPECT_EQ(setup.langSelection, u"");
}

TEST(OptionsButton, SwapsThePanelsAndBackKeepingTheChoices) {
    SimulatedWindows os;
    SetupOptions setup;
    Show(os, setup,
         {Click(IDC_OPTIONS), Click(IDC_KC3), Click(IDC_ENGLISH), Click(IDC_OPTIONS),
          Click(IDC_NEXT)});
    const std::vector<DeliveredMessage>& messages = os.dialog->messages;
    ASSERT_EQ(messages.size(), 7u);
    const DeliveredMessage& opened = messages[1];
    EXPECT_EQ(opened.result, TRUE);
    EXPECT_EQ(sim::VisibleControls(opened.controls), kOptionsShown);
    EXPECT_EQ(sim::ControlText(opened.controls, IDC_OPTIONS), kHide);
    const DeliveredMessage& closed = messages[4];
    EXPECT_EQ(closed.result, TRUE);
    EXPECT_EQ(sim::VisibleControls(closed.controls), kIntroShown);
    EXPECT_EQ(sim::ControlText(closed.controls, IDC_OPTIONS), kOptions);
    EXPECT_EQ(sim::CheckedControls(closed.controls), (std::set<int>{IDC_ENGLISH, IDC_KC3}));
    EXPECT_EQ(setup.kcSelection, u"kc3*");
    EXPECT_EQ(setup.langSelection, u"eng*");
}

TEST(NextButton, AddsToWhatTheCommandLineChose) {
    SimulatedWindows os;
    os.commandLine = u"korvel-plugin-setup.exe -csp -KC kc2";
    SetupOptions setup;
    RunOptions options;
    ParseCommandLine(os, setup, options);
    Show(os, setup, {Click(IDC_OPTIONS), Click(IDC_KC3), Click(IDC_NEXT)});
    EXPECT_EQ(setup.kcSelection, u"*kc2*kc3*");
    EXPECT_EQ(setup.langSelection, u"rus*");
    EXPECT_EQ(os.dialog->messages.back().message, WM_DESTROY);
}

struct CancelRow {
    const char* name;
    std::vector<DialogInput> inputs;
};
void PrintTo(const CancelRow& row, std::ostream* out) {
    *out << row.name;
}

class CancelButton : public testing::TestWithParam<CancelRow> {};

TEST_P(CancelButton, EndsTheRunWithZeroChoosingNothing) {
    SimulatedWindows os;
    SetupOptions setup;
    setup.kcSelection = u"*kc2*";
    EXPECT_EQ(Show(os, setup, GetParam().inputs), 0u);
    EXPECT_TRUE(os.dialog->ended);
    EXPECT_EQ(CallCount(os, "EndDialog"), 1u);
    EXPECT_EQ(setup.kcSelection, u"*kc2*");
    EXPECT_EQ(setup.langSelection, u"");
}

INSTANTIATE_TEST_SUITE_P(Table, CancelButton,
                         testing::Values(CancelRow{"AtOnce", {Click(IDCANCEL)}},
                                         CancelRow{"AfterChoosing",
                                                   {Click(IDC_OPTIONS), Click(IDC_KC2),
                                                    Click(IDCANCEL)}}),
                         RowName<CancelRow>);

struct UnhandledRow {
    const char* name;
    DialogInput input;
};
void PrintTo(const UnhandledRow& row, std::ostream* out) {
    *out << row.name;
}

class UnhandledMessage : public testing::TestWithParam<UnhandledRow> {};

TEST_P(UnhandledMessage, IsAnsweredFalseAndChangesNothing) {
    SimulatedWindows os;
    SetupOptions setup;
    Show(os, setup, {GetParam().input, Click(IDC_NEXT)});
    const std::vector<DeliveredMessage>& messages = os.dialog->messages;
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[1].result, FALSE);
    EXPECT_EQ(sim::VisibleControls(messages[1].controls), kIntroShown);
    EXPECT_EQ(sim::ControlText(messages[1].controls, IDC_OPTIONS), kOptions);
    EXPECT_EQ(setup.kcSelection, u"kc1*");
    EXPECT_EQ(setup.langSelection, u"rus*");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, UnhandledMessage, testing::Values(
    UnhandledRow{"Close", Send(0x0010)},
    UnhandledRow{"Paint", Send(0x000F)},
    UnhandledRow{"CommandForTheIntroduction", Send(WM_COMMAND, IDC_INTRO)},
    UnhandledRow{"CommandForAFrame", Send(WM_COMMAND, IDC_LEVEL_FRAME)},
    UnhandledRow{"CommandForOk", Send(WM_COMMAND, IDOK)},
    UnhandledRow{"CommandOfAMenu", Send(WM_COMMAND, 0)}
), RowName<UnhandledRow>);
// clang-format on

TEST(RadioButtonClick, IsAnsweredFalse) {
    SimulatedWindows os;
    SetupOptions setup;
    Show(os, setup, {Click(IDC_OPTIONS), Click(IDC_KC2), Click(IDC_ENGLISH), Click(IDC_NEXT)});
    EXPECT_EQ(os.dialog->messages[2].result, FALSE);
    EXPECT_EQ(os.dialog->messages[3].result, FALSE);
    EXPECT_EQ(setup.kcSelection, u"kc2*");
    EXPECT_EQ(setup.langSelection, u"eng*");
}

TEST(ConfigDialogInTheRun, WithCspAndSelectDlgStopsInTheDialogWhenCancelled) {
    SimulatedWindows os;
    os.commandLine = u"korvel-plugin-setup.exe -csp -selectDlg";
    os.dialogInputs = {Click(IDCANCEL)};
    SetupOptions setup;
    EXPECT_EQ(RunSetup(os, setup, sim::kProgramModule, u"-csp -selectDlg"), 0u);
    EXPECT_EQ(CallCount(os, "DialogBoxParamW 141"), 1u);
    EXPECT_EQ(os.boxes.size(), 1u) << "only the question";
    EXPECT_TRUE(os.processes.empty());
}

} // namespace
} // namespace korvel
