#include "driver/main_flow.h"
#include "machine.h"
#include "resource.h"
#include "string_table.h"
#include "table_rows.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace korvel {
namespace {

using sim::MessageBoxRecord;
using sim::SimulatedWindows;

std::u16string Text(uint16_t id) {
    return sim::Catalogue().at(id);
}

const std::u16string kProduct = u"Korvel ЭЦП Browser plug-in";
const std::u16string kMarker = u"HKCU\\Software\\NeedBstrReboot";
const std::u16string kCspSetup = u"C:\\dist\\csp\\Setup.exe";
const std::u16string kUcspSetup = u"C:\\dist\\ucsp\\Setup.exe";

// A distribution folder with the plug-in's package and both providers' setups, and the
// system's msiexec ending with `msiexecExit`.
void Distribution(SimulatedWindows& os, uint32_t msiexecExit = 0) {
    test::AddPackage(os, u"tavexcom-x64.msi", u"1.1");
    test::AddMsiexec(os, msiexecExit);
    os.AddFolder(u"C:\\dist\\csp");
    os.AddProgram(kCspSetup, {});
    os.AddFolder(u"C:\\dist\\ucsp");
    os.AddProgram(kUcspSetup, {});
}

uint32_t RunProgram(SimulatedWindows& os, const std::u16string& tail) {
    os.commandLine = u"korvel-plugin-setup.exe " + tail;
    SetupOptions setup;
    return RunSetup(os, setup, sim::kProgramModule, tail);
}

std::vector<std::u16string> Programs(const SimulatedWindows& os) {
    std::vector<std::u16string> programs;
    for (const sim::ProcessRecord& process : os.processes)
        programs.push_back(process.program);
    return programs;
}

size_t CallIndex(const SimulatedWindows& os, const std::string& call) {
    return static_cast<size_t>(std::find(os.calls.begin(), os.calls.end(), call) -
                               os.calls.begin());
}

struct SelectionRow {
    const char16_t* tail;
    uint16_t question, restartComputer, restartBrowser;
    std::vector<std::u16string> providers;
};
void PrintTo(const SelectionRow& row, std::ostream* out) {
    PrintTail(row.tail, out);
}

class ProviderSelection : public testing::TestWithParam<SelectionRow> {};

TEST_P(ProviderSelection, ChoosesTheQuestionAndTheResultTexts) {
    const SelectionRow& row = GetParam();
    for (const bool markerSet : {false, true}) {
        SimulatedWindows os;
        Distribution(os);
        if (markerSet)
            os.AddKey(32, kMarker);
        os.answers = {IDYES, IDNO};
        EXPECT_EQ(RunProgram(os, row.tail), 0u);
        const std::vector<MessageBoxRecord> expected = {
            {Text(row.question), kProduct, MB_YESNO},
            markerSet ? MessageBoxRecord{Text(row.restartComputer), kProduct, 0x34}
                      : MessageBoxRecord{Text(row.restartBrowser), kProduct, MB_OK}};
        EXPECT_EQ(os.boxes, expected);
        std::vector<std::u16string> programs = row.providers;
        programs.push_back(test::kMsiexec);
        EXPECT_EQ(Programs(os), programs);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProviderSelection,
    testing::Values(SelectionRow{u"", 103, 108, 110, {}},
                    SelectionRow{u"-csp", 102, 107, 109, {kCspSetup}},
                    SelectionRow{u"-ucsp", 122, 123, 124, {kUcspSetup}},
                    SelectionRow{u"-ucsp -csp", 125, 126, 127, {kCspSetup, kUcspSetup}}));

// One row per way the run can end once the user has confirmed; `boxes` lists what the
// user sees after the question.
struct EndingRow {
    const char* name;
    const char16_t* tail;
    uint32_t msiexecExit;
    bool markerBefore;
    std::vector<int> answers;
    bool restartStarts;
    uint32_t exitCode;
    std::vector<MessageBoxRecord> boxes;
    bool markerAfter;
    bool restartRequested;
};
void PrintTo(const EndingRow& row, std::ostream* out) {
    PrintTail(row.tail, out);
}

class RunEnding : public testing::TestWithParam<EndingRow> {};

TEST_P(RunEnding, GivesTheExitCodeAndTheBoxes) {
    const EndingRow& row = GetParam();
    SimulatedWindows os;
    Distribution(os);
    // A child that writes no log, so that a failure report has no log line.
    os.AddProgram(test::kMsiexec, {row.msiexecExit, nullptr});
    if (row.markerBefore)
        os.AddKey(32, kMarker);
    os.restartStarts = row.restartStarts;
    os.answers.assign(row.answers.begin(), row.answers.end());
    const bool silent = std::u16string(row.tail).find(u"-silent") != std::u16string::npos;
    EXPECT_EQ(RunProgram(os, row.tail), row.exitCode);
    std::vector<MessageBoxRecord> expected;
    if (!silent)
        expected.push_back({Text(103), kProduct, MB_YESNO});
    expected.insert(expected.end(), row.boxes.begin(), row.boxes.end());
    EXPECT_EQ(os.boxes, expected);
    EXPECT_EQ(os.HasKey(32, kMarker), row.markerAfter);
    EXPECT_EQ(!os.restarts.empty(), row.restartRequested);
    EXPECT_EQ(Programs(os), std::vector<std::u16string>{test::kMsiexec});
}

const std::u16string kFailure1603 = Text(106) + u": 1603.\n";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, RunEnding, testing::Values(
    EndingRow{"NoRestartNeeded", u"", 0, false, {}, true, 0,
              {{Text(110), kProduct, MB_OK}}, false, false},
    EndingRow{"NoRestartKeepsMarker", u"-norestart", 0, true, {}, true, 0,
              {{Text(110), kProduct, MB_OK}}, true, false},
    EndingRow{"RestartAccepted", u"", 0, true, {IDYES, IDYES}, true, 0,
              {{Text(108), kProduct, 0x34}}, false, true},
    EndingRow{"RestartNeededNowIsOffered", u"", 3010, false, {IDYES, IDYES}, true, 0,
              {{Text(108), kProduct, 0x34}}, false, true},
    EndingRow{"RestartDeclinedStillDeletesMarker", u"", 0, true, {IDYES, IDNO}, true, 0,
              {{Text(108), kProduct, 0x34}}, false, false},
    EndingRow{"RestartFails", u"", 0, true, {}, false, 7,
              {{Text(108), kProduct, 0x34}, {Text(111), kProduct, MB_OK}}, false, true},
    EndingRow{"SilentRestartWithoutAsking", u"-silent", 0, true, {}, true, 0, {}, false, true},
    EndingRow{"SilentRestartFails", u"-silent", 0, true, {}, false, 7, {}, false, true},
    EndingRow{"PluginCancelled", u"", 1602, true, {}, true, 1602, {}, true, false},
    EndingRow{"PluginCancelledSilent", u"-silent", 1602, false, {}, true, 1602, {}, false, false},
    EndingRow{"PluginFailedWithoutLog", u"", 1603, true, {}, true, 1603,
              {{kFailure1603, kProduct, MB_ICONERROR}}, true, false},
    EndingRow{"PluginFailedSilent", u"-silent", 1603, false, {}, true, 1603, {}, false, false},
    EndingRow{"PluginFailureShownUnsigned", u"", 3221225477u, false, {}, true, 3221225477u,
              {{Text(106) + u": 3221225477.\n", kProduct, MB_ICONERROR}}, false, false}
), RowName<EndingRow>);
// clang-format on

TEST(Restart, TheMarkerIsDeletedBeforeTheQuestion) {
    SimulatedWindows os;
    Distribution(os, 3010);
    os.answers = {IDYES, IDNO};
    EXPECT_EQ(RunProgram(os, u""), 0u);
    ASSERT_EQ(os.boxes.size(), 2u);
    EXPECT_FALSE(os.HasKey(32, kMarker));
    const size_t deleted = CallIndex(os, "RegDeleteKeyExW");
    const auto question = std::find(os.calls.begin() + static_cast<std::ptrdiff_t>(deleted),
                                    os.calls.end(), "MessageBoxW");
    EXPECT_NE(question, os.calls.end());
}

TEST(PluginArguments, ReachTheInstallationWithTheReinstallRequest) {
    SimulatedWindows os;
    Distribution(os);
    test::InstallPluginProduct(os, u"1.1");
    EXPECT_EQ(RunProgram(os, u"-reinstall -TavexArgs A=1"), 0u);
    ASSERT_EQ(os.processes.size(), 1u);
    const std::u16string& commandLine = os.processes[0].commandLine;
    const std::u16string tail = u" REBOOT=R REINSTALL=ALL REINSTALLMODE=vomus /qb A=1 ";
    EXPECT_EQ(commandLine.substr(commandLine.size() - tail.size()), tail);
    EXPECT_EQ(os.boxes.size(), 2u) << "no reinstallation question";
}

TEST(PluginFailure, NamesTheLogWhenItExists) {
    SimulatedWindows os;
    Distribution(os, 1603);
    os.environment[u"TMP"] = u"C:\\Temp Dir";
    os.AddFolder(u"C:\\Temp Dir");
    EXPECT_EQ(RunProgram(os, u""), 1603u);
    ASSERT_EQ(os.boxes.size(), 2u);
    EXPECT_EQ(os.boxes[1].text, kFailure1603 + u"Install log: " +
                                    u"C:\\Temp Dir\\tavexcom-x64.msi_2016-02-01-09-07-05.log");
}

TEST(Confirmation, AnsweredNoEndsBeforeAnyWork) {
    SimulatedWindows os;
    Distribution(os);
    os.answers = {IDNO};
    EXPECT_EQ(RunProgram(os, u"-csp -ucsp"), 0u);
    EXPECT_EQ(os.boxes.size(), 1u);
    EXPECT_TRUE(os.processes.empty());
}

TEST(Confirmation, AnythingButNoGoesOn) {
    SimulatedWindows os;
    Distribution(os);
    os.answers = {IDOK};
    EXPECT_EQ(RunProgram(os, u""), 0u);
    EXPECT_EQ(Programs(os), std::vector<std::u16string>{test::kMsiexec});
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
    Distribution(os);
    os.dialogInputs = {sim::Click(IDC_NEXT)};
    RunProgram(os, GetParam().tail);
    EXPECT_EQ(os.dialog.has_value(), GetParam().shown);
    if (GetParam().shown) {
        EXPECT_LT(CallIndex(os, "DialogBoxParamW 141"), CallIndex(os, "CreateProcessW"));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ConfigDialogRequest,
                         testing::Values(DialogRow{u"-csp -selectDlg", true},
                                         DialogRow{u"-selectDlg -ucsp -csp", true},
                                         DialogRow{u"-selectDlg", false},
                                         DialogRow{u"-ucsp -selectDlg", false},
                                         DialogRow{u"-csp -selectDlg -silent", false}));

TEST(Providers, RunInOrderWithTheirArgumentsBeforeThePlugin) {
    SimulatedWindows os;
    Distribution(os);
    RunProgram(os, u"-ucsp -csp -UCSPArgs U -CSPArgs C -silent -reinstall");
    EXPECT_EQ(Programs(os), (std::vector<std::u16string>{kCspSetup, kUcspSetup, test::kMsiexec}));
    ASSERT_EQ(os.processes.size(), 3u);
    const auto endsWith = [](const std::u16string& text, const std::u16string& end) {
        return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
    };
    EXPECT_TRUE(endsWith(os.processes[0].commandLine, u" C \" -noreboot -root -silent -reinstall"));
    EXPECT_TRUE(endsWith(os.processes[1].commandLine, u" U \" -noreboot -root -silent -reinstall"));
}

TEST(Providers, AFailureEndsTheRunWithItsCodeAndNothingMore) {
    for (const std::u16string& failing : {kCspSetup, kUcspSetup}) {
        SimulatedWindows os;
        Distribution(os);
        os.AddProgram(failing, {1603, nullptr});
        EXPECT_EQ(RunProgram(os, u"-csp -ucsp"), 1603u);
        EXPECT_EQ(os.processes.back().program, failing);
        EXPECT_EQ(os.processes.size(), failing == kCspSetup ? 1u : 2u);
        ASSERT_EQ(os.boxes.size(), 2u) << "the question and the provider's own report";
        EXPECT_EQ(os.boxes[1].caption, u"");
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
    Distribution(os);
    os.administrator = row.administrator;
    os.version = {0, row.major, row.minor, row.servicePack};
    EXPECT_EQ(RunProgram(os, row.tail), row.exitCode);
    std::vector<MessageBoxRecord> expected;
    for (uint16_t message : row.messages)
        expected.push_back({Text(message), kProduct, MB_ICONERROR});
    EXPECT_EQ(os.boxes, expected);
    EXPECT_TRUE(os.processes.empty());
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
    Distribution(os);
    RunProgram(os, u"");
    EXPECT_LT(CallIndex(os, "MsiSetInternalUI(2)"), CallIndex(os, "MessageBoxW"));
}

TEST(MainFlow, WithAnEmptyTailDoesNotReadTheCommandLine) {
    SimulatedWindows os;
    Distribution(os);
    os.commandLine = u"korvel-plugin-setup.exe -bogus";
    SetupOptions setup;
    EXPECT_EQ(RunSetup(os, setup, nullptr, u""), 0u);
    EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "GetCommandLineW"), 0);
}

TEST(MainFlow, HelpEndsTheRunBeforeTheRightsTest) {
    SimulatedWindows os;
    Distribution(os);
    os.administrator = false;
    EXPECT_EQ(RunProgram(os, u"-help"), 0u);
    ASSERT_EQ(os.boxes.size(), 1u);
    EXPECT_EQ(os.boxes[0].caption, u"Справка");
    EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "IsUserAnAdmin"), 0);
    EXPECT_TRUE(os.processes.empty());
}

TEST(MainFlow, AMissingMessageShowsTheTextLoadedBefore) {
    SimulatedWindows os;
    Distribution(os);
    auto entries = sim::Catalogue();
    entries.erase(110);
    os.stringBlocks = sim::BuildStringBlocks(entries);
    RunProgram(os, u"");
    ASSERT_EQ(os.boxes.size(), 2u);
    EXPECT_EQ(os.boxes[1].text, Text(103));
}

// Windows can fail to wait for a child or to report its exit code; neither may pass for
// a successful installation.
TEST(ChildResult, AFailedWaitOrExitCodeQueryEndsTheRunWithItsError) {
    for (const char* failing : {"WaitForSingleObject", "GetExitCodeProcess"}) {
        SimulatedWindows os;
        Distribution(os);
        os.failingCall = failing;
        EXPECT_EQ(RunProgram(os, u""), ERROR_INVALID_HANDLE) << failing;
        ASSERT_EQ(os.boxes.size(), 2u) << failing;
        EXPECT_EQ(os.boxes[1].text.rfind(Text(106) + u": 6.\n", 0), 0u) << failing;
        EXPECT_EQ(os.boxes[1].style, MB_ICONERROR);
        EXPECT_EQ(os.OpenHandleCount(), 0u);
    }
}

TEST(ChildResult, AFailedWaitForAProviderIsItsFailure) {
    SimulatedWindows os;
    Distribution(os);
    os.failingCall = "GetExitCodeProcess";
    EXPECT_EQ(RunProgram(os, u"-csp"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(Programs(os), std::vector<std::u16string>{kCspSetup});
    ASSERT_EQ(os.boxes.size(), 2u);
    EXPECT_EQ(os.boxes[1].text.rfind(Text(105) + u": 6.\n", 0), 0u);
}

} // namespace
} // namespace korvel
