#include "driver/main_flow.h"
#include "os/windows_constants.h"
#include "simulated_windows.h"
#include "string_table.h"
#include "table_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace korvel {
namespace {

using sim::ProcessExit;
using sim::SimulatedWindows;

std::u16string Text(uint16_t id) {
    return sim::Catalogue().at(id);
}

const std::u16string kProduct = u"Korvel ЭЦП Browser plug-in";

// Stands in for the operations the run hands its work to, and records what it asked of
// them, in order.
struct ScriptedOperations {
    std::map<std::u16string, uint32_t> providerResults;
    uint32_t pluginResult = 0;
    std::u16string pluginLogPath;
    bool markerSet = false;
    bool rebootStarts = true;
    std::vector<std::string> steps;
    std::vector<std::u16string> providerArgs;

    SetupOperations Operations() {
        SetupOperations operations;
        operations.showConfigDialog = [this](WindowsApi&, ModuleHandle, SetupOptions&) {
            steps.push_back("dialog");
        };
        operations.installProvider = [this](WindowsApi&, const std::u16string& kind,
                                            std::u16string args, bool silent, bool reinstall) {
            steps.push_back("provider " + sim::ToUtf8(kind) + (silent ? " silent" : "") +
                            (reinstall ? " reinstall" : ""));
            providerArgs.push_back(args);
            return providerResults[kind];
        };
        operations.installPlugin = [this](WindowsApi&, const std::u16string& args, bool silent,
                                          std::u16string& logPath, bool reinstall) {
            steps.push_back("plugin [" + sim::ToUtf8(args) + "]" + (silent ? " silent" : "") +
                            (reinstall ? " reinstall" : ""));
            logPath = pluginLogPath;
            return pluginResult;
        };
        operations.isRebootMarkerSet = [this](WindowsApi&, bool& set) {
            steps.push_back("marker?");
            set = markerSet;
            return markerSet ? 0u : 2u;
        };
        operations.deleteRebootMarker = [this](WindowsApi& os) {
            steps.push_back("delete marker after " + std::to_string(Boxes(os)) + " boxes");
            return 0u;
        };
        operations.requestReboot = [this](WindowsApi&) {
            steps.push_back("reboot");
            return rebootStarts;
        };
        return operations;
    }

    static size_t Boxes(WindowsApi& os) { return static_cast<SimulatedWindows&>(os).boxes.size(); }
};

struct Outcome {
    uint32_t exitCode;
    bool endedInside;
};

Outcome RunProgram(SimulatedWindows& os, const std::u16string& tail, ScriptedOperations& scripted) {
    os.commandLine = u"korvel-plugin-setup.exe " + tail;
    SetupOptions setup;
    try {
        return {RunSetup(os, setup, nullptr, tail, scripted.Operations()), false};
    } catch (const ProcessExit& exit) {
        return {exit.code, true};
    }
}

struct SelectionRow {
    const char16_t* tail;
    uint16_t question, restartComputer, restartBrowser;
    std::vector<std::string> providers;
};
void PrintTo(const SelectionRow& row, std::ostream* out) {
    PrintTail(row.tail, out);
}

class ProviderSelection : public testing::TestWithParam<SelectionRow> {};

TEST_P(ProviderSelection, ChoosesTheQuestionAndTheResultTexts) {
    const SelectionRow& row = GetParam();
    for (const bool markerSet : {false, true}) {
        SimulatedWindows os;
        ScriptedOperations scripted;
        scripted.markerSet = markerSet;
        os.answers = {IDYES, IDNO};
        const Outcome outcome = RunProgram(os, row.tail, scripted);
        EXPECT_EQ(outcome.exitCode, 0u);
        const std::vector<sim::MessageBoxRecord> expected = {
            {Text(row.question), kProduct, MB_YESNO},
            markerSet ? sim::MessageBoxRecord{Text(row.restartComputer), kProduct, 0x34}
                      : sim::MessageBoxRecord{Text(row.restartBrowser), kProduct, MB_OK}};
        EXPECT_EQ(os.boxes, expected);
        std::vector<std::string> providers;
        std::copy_if(scripted.steps.begin(), scripted.steps.end(), std::back_inserter(providers),
                     [](const std::string& step) { return step.rfind("provider", 0) == 0; });
        EXPECT_EQ(providers, row.providers);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProviderSelection,
    testing::Values(SelectionRow{u"", 103, 108, 110, {}},
                    SelectionRow{u"-csp", 102, 107, 109, {"provider csp"}},
                    SelectionRow{u"-ucsp", 122, 123, 124, {"provider ucsp"}},
                    SelectionRow{u"-ucsp -csp", 125, 126, 127, {"provider csp", "provider ucsp"}}));

// One row per way the run can end once the user has confirmed; `boxes` lists what the
// user sees after the question, `steps` what the run asked of its operations.
struct EndingRow {
    const char* name;
    const char16_t* tail;
    uint32_t pluginResult;
    bool markerSet;
    std::vector<int> answers;
    bool rebootStarts;
    uint32_t exitCode;
    std::vector<sim::MessageBoxRecord> boxes;
    std::vector<std::string> steps;
};
void PrintTo(const EndingRow& row, std::ostream* out) {
    PrintTail(row.tail, out);
}

class RunEnding : public testing::TestWithParam<EndingRow> {};

TEST_P(RunEnding, GivesTheExitCodeAndTheBoxes) {
    const EndingRow& row = GetParam();
    SimulatedWindows os;
    ScriptedOperations scripted;
    scripted.pluginResult = row.pluginResult;
    scripted.markerSet = row.markerSet;
    scripted.rebootStarts = row.rebootStarts;
    os.answers.assign(row.answers.begin(), row.answers.end());
    const bool silent = std::u16string(row.tail).find(u"-silent") != std::u16string::npos;
    EXPECT_EQ(RunProgram(os, row.tail, scripted).exitCode, row.exitCode);
    std::vector<sim::MessageBoxRecord> expected;
    if (!silent)
        expected.push_back({Text(103), kProduct, MB_YESNO});
    expected.insert(expected.end(), row.boxes.begin(), row.boxes.end());
    EXPECT_EQ(os.boxes, expected);
    EXPECT_EQ(scripted.steps, row.steps);
}

const std::u16string kFailure1603 = Text(106) + u": 1603.\n";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, RunEnding, testing::Values(
    EndingRow{"NoRestartNeeded", u"", 0, false, {}, true, 0,
              {{Text(110), kProduct, MB_OK}}, {"plugin []", "marker?"}},
    EndingRow{"NoRestartKeepsMarker", u"-norestart", 0, true, {}, true, 0,
              {{Text(110), kProduct, MB_OK}}, {"plugin []", "marker?"}},
    EndingRow{"RestartAccepted", u"", 0, true, {IDYES, IDYES}, true, 0,
              {{Text(108), kProduct, 0x34}},
              {"plugin []", "marker?", "delete marker after 1 boxes", "reboot"}},
    EndingRow{"RestartDeclinedStillDeletesMarker", u"", 0, true, {IDYES, IDNO}, true, 0,
              {{Text(108), kProduct, 0x34}}, {"plugin []", "marker?", "delete marker after 1 boxes"}},
    EndingRow{"RestartFails", u"", 0, true, {}, false, 7,
              {{Text(108), kProduct, 0x34}, {Text(111), kProduct, MB_OK}},
              {"plugin []", "marker?", "delete marker after 1 boxes", "reboot"}},
    EndingRow{"SilentRestartWithoutAsking", u"-silent", 0, true, {}, true, 0, {},
              {"plugin [] silent", "marker?", "delete marker after 0 boxes", "reboot"}},
    EndingRow{"SilentRestartFails", u"-silent", 0, true, {}, false, 7, {},
              {"plugin [] silent", "marker?", "delete marker after 0 boxes", "reboot"}},
    EndingRow{"PluginCancelled", u"", 1602, true, {}, true, 1602, {}, {"plugin []"}},
    EndingRow{"PluginCancelledSilent", u"-silent", 1602, false, {}, true, 1602, {},
              {"plugin [] silent"}},
    EndingRow{"PluginFailedWithoutLog", u"", 1603, true, {}, true, 1603,
              {{kFailure1603, kProduct, MB_ICONERROR}}, {"plugin []"}},
    EndingRow{"PluginFailedSilent", u"-silent", 1603, false, {}, true, 1603, {},
              {"plugin [] silent"}},
    EndingRow{"PluginFailureShownUnsigned", u"", 3221225477u, false, {}, true, 3221225477u,
              {{Text(106) + u": 3221225477.\n", kProduct, MB_ICONERROR}}, {"plugin []"}},
    EndingRow{"ArgumentsReachThePlugin", u"-reinstall -TavexArgs A=1", 0, false, {}, true, 0,
              {{Text(110), kProduct, MB_OK}}, {"plugin [ A=1 ] reinstall", "marker?"}}
), RowName<EndingRow>);
// clang-format on

TEST(PluginFailure, NamesTheLogWhenItExists) {
    SimulatedWindows os;
    ScriptedOperations scripted;
    scripted.pluginResult = 1603;
    scripted.pluginLogPath = u"C:\\Temp Dir\\tavexcom-x64.msi_2016-02-01-09-07-05.log";
    os.AddFile(scripted.pluginLogPath);
    EXPECT_EQ(RunProgram(os, u"", scripted).exitCode, 1603u);
    ASSERT_EQ(os.boxes.size(), 2u);
    EXPECT_EQ(os.boxes[1].text, kFailure1603 + u"Install log: " + scripted.pluginLogPath);
}

TEST(Confirmation, AnsweredNoEndsBeforeAnyWork) {
    SimulatedWindows os;
    ScriptedOperations scripted;
    os.answers = {IDNO};
    EXPECT_EQ(RunProgram(os, u"-csp -ucsp", scripted).exitCode, 0u);
    EXPECT_EQ(os.boxes.size(), 1u);
    EXPECT_TRUE(scripted.steps.empty());
}

TEST(Confirmation, AnythingButNoGoesOn) {
    SimulatedWindows os;
    ScriptedOperations scripted;
    os.answers = {IDOK};
    EXPECT_EQ(RunProgram(os, u"", scripted).exitCode, 0u);
    EXPECT_EQ(scripted.steps.front(), "plugin []");
}

struct DialogRow {
    const char16_t* tail;
    bool shown;
};
void PrintTo(const DialogRow& row, std::ostream* out) {
    PrintTail(row.tail, out);
}

class ConfigDialogRequest : public testing::TestWithParam<DialogRow> {};

TEST_P(ConfigDialogRequest, IsShownOnlyWithCspAndNotSilent) {
    SimulatedWindows os;
    ScriptedOperations scripted;
    RunProgram(os, GetParam().tail, scripted);
    const bool shown = !scripted.steps.empty() && scripted.steps.front() == "dialog";
    EXPECT_EQ(shown, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Table, ConfigDialogRequest,
                         testing::Values(DialogRow{u"-csp -selectDlg", true},
                                         DialogRow{u"-selectDlg -ucsp -csp", true},
                                         DialogRow{u"-selectDlg", false},
                                         DialogRow{u"-ucsp -selectDlg", false},
                                         DialogRow{u"-csp -selectDlg -silent", false}));

TEST(Providers, RunInOrderWithTheirArgumentsBeforeThePlugin) {
    SimulatedWindows os;
    ScriptedOperations scripted;
    RunProgram(os, u"-ucsp -csp -UCSPArgs U -CSPArgs C -silent -reinstall", scripted);
    EXPECT_EQ(scripted.steps, (std::vector<std::string>{"provider csp silent reinstall",
                                                        "provider ucsp silent reinstall",
                                                        "plugin [] silent reinstall", "marker?"}));
    EXPECT_EQ(scripted.providerArgs, (std::vector<std::u16string>{u"C ", u"U "}));
}

TEST(Providers, AFailureEndsTheRunWithItsCodeAndNothingMore) {
    for (const char16_t* failing : {u"csp", u"ucsp"}) {
        SimulatedWindows os;
        ScriptedOperations scripted;
        scripted.providerResults[failing] = 1603;
        EXPECT_EQ(RunProgram(os, u"-csp -ucsp", scripted).exitCode, 1603u);
        EXPECT_EQ(scripted.steps.back(), "provider " + sim::ToUtf8(failing));
        EXPECT_EQ(os.boxes.size(), 1u) << "only the question";
    }
}

struct RefusalRow {
    const char* name;
    const char16_t* tail;
    bool administrator;
    uint32_t major, minor;
    uint16_t servicePack;
    uint32_t exitCode;
    std::vector<uint16_t> messages;
};
void PrintTo(const RefusalRow& row, std::ostream* out) {
    PrintTail(row.tail, out);
}

class Refusal : public testing::TestWithParam<RefusalRow> {};

TEST_P(Refusal, EndsBeforeAnythingIsAskedOrInstalled) {
    const RefusalRow& row = GetParam();
    SimulatedWindows os;
    ScriptedOperations scripted;
    os.administrator = row.administrator;
    os.version = {0, row.major, row.minor, row.servicePack};
    EXPECT_EQ(RunProgram(os, row.tail, scripted).exitCode, row.exitCode);
    std::vector<sim::MessageBoxRecord> expected;
    for (uint16_t message : row.messages)
        expected.push_back({Text(message), kProduct, MB_ICONERROR});
    EXPECT_EQ(os.boxes, expected);
    EXPECT_TRUE(scripted.steps.empty());
    EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "MsiSetInternalUI(2)"), 0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, Refusal, testing::Values(
    RefusalRow{"NotAdministrator", u"", false, 6, 1, 1, 1, {101}},
    RefusalRow{"NotAdministratorSilent", u"-silent", false, 6, 1, 1, 1, {}},
    RefusalRow{"NotAdministratorOnOldWindows", u"", false, 4, 0, 0, 1, {101}},
    RefusalRow{"Windows2000Sp3", u"", true, 5, 0, 3, 3, {117}},
    RefusalRow{"WindowsXpSp1Silent", u"-silent", true, 5, 1, 1, 4, {}},
    RefusalRow{"WindowsNt4EvenSilent", u"-silent", true, 4, 0, 6, 6, {116}}
), RowName<RefusalRow>);
// clang-format on

TEST(MainFlow, SwitchesTheInstallerInterfaceOffBeforeTheQuestion) {
    SimulatedWindows os;
    ScriptedOperations scripted;
    RunProgram(os, u"", scripted);
    const auto ui = std::find(os.calls.begin(), os.calls.end(), "MsiSetInternalUI(2)");
    const auto box = std::find(os.calls.begin(), os.calls.end(), "MessageBoxW");
    EXPECT_LT(ui, box);
}

TEST(MainFlow, WithAnEmptyTailDoesNotReadTheCommandLine) {
    SimulatedWindows os;
    ScriptedOperations scripted;
    os.commandLine = u"korvel-plugin-setup.exe -bogus";
    SetupOptions setup;
    EXPECT_EQ(RunSetup(os, setup, nullptr, u"", scripted.Operations()), 0u);
    EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "GetCommandLineW"), 0);
}

TEST(MainFlow, HelpEndsTheProcessBeforeTheRightsTest) {
    SimulatedWindows os;
    ScriptedOperations scripted;
    os.administrator = false;
    const Outcome outcome = RunProgram(os, u"-help", scripted);
    EXPECT_TRUE(outcome.endedInside);
    EXPECT_EQ(outcome.exitCode, 0u);
    EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "IsUserAnAdmin"), 0);
}

TEST(MainFlow, AMissingMessageShowsTheTextLoadedBefore) {
    SimulatedWindows os;
    ScriptedOperations scripted;
    auto entries = sim::Catalogue();
    entries.erase(110);
    os.stringBlocks = sim::BuildStringBlocks(entries);
    RunProgram(os, u"", scripted);
    ASSERT_EQ(os.boxes.size(), 2u);
    EXPECT_EQ(os.boxes[1].text, Text(103));
}

} // namespace
} // namespace korvel
