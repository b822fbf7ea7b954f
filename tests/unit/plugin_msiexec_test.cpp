#include "exec/install_log.h"
#include "exec/run_and_wait.h"
#include "machine.h"
#include "plugin/plugin_msiexec.h"
#include "string_table.h"
#include "table_rows.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

using sim::SimulatedWindows;

const std::u16string kMask = u"tavexcom*x64*";
const std::u16string kLog = u"C:\\Temp\\tavexcom-x64.msi_2016-02-01-09-07-05.log";

std::u16string Text(uint16_t id) {
    return sim::Catalogue().at(id);
}

struct ExitCodeRow {
    uint32_t msiexecExit;
    uint32_t result;
    bool marker;
};

void PrintTo(const ExitCodeRow& row, std::ostream* out) {
    *out << row.msiexecExit;
}

class MsiexecExitCode : public testing::TestWithParam<ExitCodeRow> {};

TEST_P(MsiexecExitCode, MapsRestartNeedsToTheMarker) {
    SimulatedWindows os;
    test::AddPackage(os, u"tavexcom-x64.msi", u"1.0");
    test::AddMsiexec(os, GetParam().msiexecExit);
    std::u16string logPath;
    EXPECT_EQ(RunPluginMsiexec(os, kPluginProductCode, kMask, u" /qb", false, logPath),
              GetParam().result);
    EXPECT_EQ(os.HasKey(32, u"HKCU\\Software\\NeedBstrReboot"), GetParam().marker);
    EXPECT_EQ(logPath, kLog);
    EXPECT_TRUE(os.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, MsiexecExitCode,
                         testing::Values(ExitCodeRow{0, 0, false}, ExitCodeRow{3010, 0, true},
                                         ExitCodeRow{3011, 0, true}, ExitCodeRow{1641, 0, true},
                                         ExitCodeRow{1602, 1602, false},
                                         ExitCodeRow{1603, 1603, false},
                                         ExitCodeRow{0xC0000005u, 0xC0000005u, false}));

TEST(PluginMsiexec, RunsTheSystemMsiexecWithTheCommandPieceByPiece) {
    SimulatedWindows os;
    os.currentDirectory = u"C:\\Program Files\\dist";
    os.AddFolder(os.currentDirectory);
    os.AddFolder(u"C:\\Program Files\\dist\\pkg");
    os.AddFile(u"C:\\Program Files\\dist\\pkg\\TAVEXCOM-x64-2.msi");
    os.packages[u"C:\\Program Files\\dist\\pkg\\TAVEXCOM-x64-2.msi"].productVersion = u"1.0";
    os.environment[u"TMP"] = u"C:\\My Temp\\";
    test::InstallPluginProduct(os, u"1.0");
    test::AddMsiexec(os, 0);
    os.AddProgram(u"C:\\dist\\msiexec.exe", {}); // planted beside the program: never run
    std::u16string logPath;
    ASSERT_EQ(RunPluginMsiexec(os, kPluginProductCode, kMask, u"", true, logPath), 0u);
    ASSERT_EQ(os.processes.size(), 1u);
    EXPECT_EQ(os.processes[0].applicationName, test::kMsiexec);
    EXPECT_EQ(os.processes[0].creationFlags, CREATE_NO_WINDOW);
    EXPECT_EQ(os.processes[0].commandLine,
              u"msiexec /i \"C:\\Program Files\\dist\\pkg\\TAVEXCOM-x64-2.msi\" /Lv! "
              u"\"C:\\My Temp\\\\TAVEXCOM-x64-2.msi_2016-02-01-09-07-05.log\" REBOOT=R ");
    EXPECT_EQ(logPath, u"C:\\My Temp\\\\TAVEXCOM-x64-2.msi_2016-02-01-09-07-05.log");
    EXPECT_TRUE(os.products[kPluginProductCode].sourceListCleared);
    EXPECT_EQ(os.products[kPluginProductCode].packageName, u"TAVEXCOM-x64-2.msi");
    EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "MsiSourceListSetInfoW 4 0"), 1);
    EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "MsiSourceListClearAllW"), 1);
    EXPECT_EQ(os.standardOutput, u"2016-02-01-09-07-05\n");
    EXPECT_EQ(os.OpenHandleCount(), 0u);
}

struct StopRow {
    const char* name;
    bool package, tmpSet, msiexecPresent, silent;
    uint32_t result;
    std::vector<uint16_t> messages;
    bool logPathHandedBack;
};

void PrintTo(const StopRow& row, std::ostream* out) {
    *out << row.name;
}

class PluginMsiexecStop : public testing::TestWithParam<StopRow> {};

TEST_P(PluginMsiexecStop, ReportsAndReturnsTheCode) {
    const StopRow& row = GetParam();
    SimulatedWindows os;
    if (row.package)
        test::AddPackage(os, u"tavexcom-x64.msi", u"1.0");
    if (!row.tmpSet)
        os.environment.erase(u"TMP");
    if (row.msiexecPresent)
        test::AddMsiexec(os, 0);
    std::u16string logPath = u"earlier";
    EXPECT_EQ(RunPluginMsiexec(os, kPluginProductCode, kMask, u" /qb", row.silent, logPath),
              row.result);
    EXPECT_EQ(logPath, row.logPathHandedBack ? kLog : u"earlier");
    std::vector<sim::MessageBoxRecord> expected;
    for (uint16_t message : row.messages)
        expected.push_back({Text(message), Text(129), MB_ICONERROR});
    EXPECT_EQ(os.boxes, expected);
    EXPECT_TRUE(os.processes.empty());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, PluginMsiexecStop, testing::Values(
    StopRow{"NoPackage", false, true, true, false, ERROR_NO_DATA, {139}, false},
    StopRow{"NoPackageSilent", false, true, true, true, ERROR_NO_DATA, {}, false},
    StopRow{"NoTmp", true, false, true, false, ERROR_ENVVAR_NOT_FOUND, {144}, false},
    StopRow{"NoTmpSilent", true, false, true, true, ERROR_ENVVAR_NOT_FOUND, {}, false},
    StopRow{"MsiexecCannotStart", true, true, false, false, ERROR_FILE_NOT_FOUND, {}, true}
), RowName<StopRow>);
// clang-format on

TEST(MakeLogPath, AnEmptyTmpIsAnErrorNotSuccess) {
    SimulatedWindows os;
    os.environment[u"TMP"] = u"";
    std::u16string logPath = u"earlier";
    EXPECT_EQ(MakeLogPath(os, u"csp", true, logPath), ERROR_ENVVAR_NOT_FOUND);
    EXPECT_EQ(logPath, u"earlier");
}

TEST(MakeLogPath, ReadsALongTmpWholeAndNamesByTheMoment) {
    SimulatedWindows os;
    const std::u16string folder = u"D:\\" + std::u16string(400, u'x');
    os.environment[u"TMP"] = folder;
    os.localTime = {2015, 3, 3, 14, 5, 9};
    std::u16string first, second;
    ASSERT_EQ(MakeLogPath(os, u"csp", false, first), 0u);
    ASSERT_EQ(MakeLogPath(os, u"csp", false, second), 0u);
    EXPECT_EQ(first, folder + u"\\csp_2015-03-03-14-05-09.log");
    EXPECT_EQ(second, first);
    EXPECT_EQ(os.standardOutput, u"2015-03-03-14-05-09\n2015-03-03-14-05-09\n");
}

TEST(RunAndWait, ReturnsTheExitCodeBitForBitAndClosesBothHandles) {
    for (const uint32_t exitCode : {0u, 3010u, 0x80070005u}) {
        SimulatedWindows os;
        os.AddProgram(u"C:\\dist\\child.exe", {exitCode, nullptr});
        const std::u16string commandLine = u"child.exe /x";
        EXPECT_EQ(RunAndWait(os, commandLine), exitCode);
        EXPECT_EQ(commandLine, u"child.exe /x");
        EXPECT_EQ(os.OpenHandleCount(), 0u);
    }
}

TEST(RunAndWait, ReturnsTheStartErrorWithoutWaiting) {
    SimulatedWindows os;
    EXPECT_EQ(RunAndWait(os, u"missing.exe"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RunAndWait(os, u"csp\\Setup.exe -args"), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "WaitForSingleObject"), 0);
}

} // namespace
} // namespace korvel
