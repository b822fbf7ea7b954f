#include "driver/main_flow.h"
#include "machine.h"
#include "provider/install_provider.h"
#include "string_table.h"
#include "table_rows.h"

#include "os/windows_constants.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

using sim::SimulatedWindows;

const std::u16string kLog = u"C:\\Temp\\csp_2016-02-01-09-07-05.log";

struct CommandRow {
    const char16_t* kind;
    const char16_t* args;
    bool tmpSet, silent, reinstall;
    const char16_t* commandLine;
};

void PrintTo(const CommandRow& row, std::ostream* out) {
    *out << sim::ToUtf8(row.commandLine);
}

class ProviderCommand : public testing::TestWithParam<CommandRow> {};

TEST_P(ProviderCommand, IsBuiltPieceByPiece) {
    const CommandRow& row = GetParam();
    SimulatedWindows os;
    if (!row.tmpSet)
        os.environment.erase(u"TMP");
    os.AddFolder(u"C:\\dist\\" + std::u16string(row.kind));
    os.AddProgram(u"C:\\dist\\" + std::u16string(row.kind) + u"\\Setup.exe", {});
    EXPECT_EQ(InstallProvider(os, row.kind, row.args, row.silent, row.reinstall), 0u);
    ASSERT_EQ(os.processes.size(), 1u);
    EXPECT_EQ(os.processes[0].commandLine, row.commandLine);
    EXPECT_EQ(os.processes[0].applicationName, u"");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, ProviderCommand, testing::Values(
    CommandRow{u"csp", u"", true, false, false,
               u"csp\\Setup.exe -args \"/qb /Lv! \"\"\"C:\\Temp\\csp_2016-02-01-09-07-05.log\"\"\" \" -noreboot -root"},
    CommandRow{u"ucsp", u"A B ", true, false, false,
               u"ucsp\\Setup.exe -args \"/qb /Lv! \"\"\"C:\\Temp\\ucsp_2016-02-01-09-07-05.log\"\"\" A B \" -noreboot -root"},
    CommandRow{u"csp", u"X=\"1 2\" ", true, true, true,
               u"csp\\Setup.exe -args \"/qb /Lv! \"\"\"C:\\Temp\\csp_2016-02-01-09-07-05.log\"\"\" X=\"1 2\" \" -noreboot -root -silent -reinstall"},
    CommandRow{u"csp", u"", false, true, false,
               u"csp\\Setup.exe -args \"/qb /Lv! \"\"\"\"\"\" \" -noreboot -root -silent"},
    CommandRow{u"ucsp", u"", true, false, true,
               u"ucsp\\Setup.exe -args \"/qb /Lv! \"\"\"C:\\Temp\\ucsp_2016-02-01-09-07-05.log\"\"\" \" -noreboot -root -reinstall"}
));
// clang-format on

struct JudgementRow {
    const char* name;
    bool setupPresent;
    uint32_t exitCode;
    bool logWritten, silent;
    uint32_t result;
    const char16_t* report; // after message 105; nullptr: no box
};

void PrintTo(const JudgementRow& row, std::ostream* out) {
    *out << row.name;
}

class ProviderResult : public testing::TestWithParam<JudgementRow> {};

TEST_P(ProviderResult, IsJudgedAndReported) {
    const JudgementRow& row = GetParam();
    SimulatedWindows os;
    os.AddFolder(u"C:\\dist\\csp");
    if (row.setupPresent) {
        os.AddProgram(u"C:\\dist\\csp\\Setup.exe",
                      {row.exitCode, [&](SimulatedWindows& machine, const sim::ProcessRecord&) {
                           if (row.logWritten)
                               machine.AddFile(kLog);
                           return std::nullopt;
                       }});
    }
    EXPECT_EQ(InstallProvider(os, u"csp", u"", row.silent, false), row.result);
    std::vector<sim::MessageBoxRecord> expected;
    if (row.report)
        expected.push_back({sim::Catalogue().at(105) + row.report, u"", MB_ICONERROR});
    EXPECT_EQ(os.boxes, expected);
    EXPECT_EQ(os.OpenHandleCount(), 0u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, ProviderResult, testing::Values(
    JudgementRow{"Success", true, 0, true, false, 0, nullptr},
    JudgementRow{"ExitCode3", true, 3, true, false, 0, nullptr},
    JudgementRow{"ExitCode4", true, 4, false, false, 0, nullptr},
    JudgementRow{"CancelledByUser", true, 1602, true, false, 0, nullptr},
    JudgementRow{"RestartNeededIsAFailure", true, 3010, false, false, 3010, u": 3010.\n"},
    JudgementRow{"FailureWithLog", true, 1603, true, false, 1603,
                 u": 1603.\nInstall log: C:\\Temp\\csp_2016-02-01-09-07-05.log"},
    JudgementRow{"FailureSilent", true, 1603, true, true, 1603, nullptr},
    JudgementRow{"CrashShownUnsigned", true, 3221225477u, false, false, 3221225477u, u": 3221225477.\n"},
    JudgementRow{"SetupMissing", false, 0, false, false, ERROR_FILE_NOT_FOUND, u": 2.\n"},
    JudgementRow{"SetupMissingSilent", false, 0, false, true, ERROR_FILE_NOT_FOUND, nullptr}
), RowName<JudgementRow>);
// clang-format on

// The level and the language are recorded, but nothing hands them on to the provider.
TEST(ProviderCommand, CarriesNeitherTheLevelNorTheLanguageOfTheCommandLine) {
    SimulatedWindows os;
    test::AddPackage(os, u"tavexcom-x64.msi", u"1.0");
    test::AddMsiexec(os, 0);
    os.AddFolder(u"C:\\dist\\csp");
    os.AddProgram(u"C:\\dist\\csp\\Setup.exe", {});
    const std::u16string tail = u"-csp -KC kc2 -Lang eng -silent";
    os.commandLine = u"korvel-plugin-setup.exe " + tail;
    SetupOptions setup;
    EXPECT_EQ(RunSetup(os, setup, nullptr, tail), 0u);
    EXPECT_EQ(setup.kcSelection, u"*kc2*");
    EXPECT_EQ(setup.langSelection, u"*eng*");
    ASSERT_EQ(os.processes.size(), 2u);
    EXPECT_EQ(os.processes[0].commandLine, u"csp\\Setup.exe -args \"/qb /Lv! \"\"\"" + kLog +
                                               u"\"\"\" \" -noreboot -root -silent");
}

TEST(ProviderResult, AFolderThatIsNotThereIsAFailureNotSuccess) {
    SimulatedWindows os;
    EXPECT_EQ(InstallProvider(os, u"ucsp", u"", false, false), ERROR_PATH_NOT_FOUND);
    ASSERT_EQ(os.boxes.size(), 1u);
    EXPECT_EQ(os.boxes[0].text, sim::Catalogue().at(105) + u": 3.\n");
}

TEST(ProviderResult, GoesAheadWithoutTmpAndTellsOnce) {
    SimulatedWindows os;
    os.environment.erase(u"TMP");
    os.AddFolder(u"C:\\dist\\csp");
    os.AddProgram(u"C:\\dist\\csp\\Setup.exe", {1603, nullptr});
    EXPECT_EQ(InstallProvider(os, u"csp", u"", false, false), 1603u);
    ASSERT_EQ(os.boxes.size(), 2u);
    EXPECT_EQ(os.boxes[0].text, sim::Catalogue().at(144));
    EXPECT_EQ(os.boxes[1].text, sim::Catalogue().at(105) + u": 1603.\n");
}

} // namespace
} // namespace korvel
