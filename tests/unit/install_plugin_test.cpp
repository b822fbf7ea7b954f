#include "machine.h"
#include "string_table.h"
#include "table_rows.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

using sim::SimulatedWindows;

const std::u16string kCommandPrefix =
    u"msiexec /i \"C:\\dist\\packages\\tavexcom-x64.msi\" /Lv! "
    u"\"C:\\Temp\\tavexcom-x64.msi_2016-02-01-09-07-05.log\" REBOOT=R ";
const std::u16string kArgs = u" A=1 ";
const std::u16string kReinstall = u"REINSTALL=ALL REINSTALLMODE=vomus /qb";
const std::u16string kFeature = u" ADDLOCAL=NPTAVEX";

struct DecisionRow {
    const char* name;
    const char16_t* installed; // installed version; nullptr: not installed
    int32_t state;
    bool featureAbsent, reinstall, silent;
    std::vector<int> answers;
    std::optional<std::u16string> properties; // handed to msiexec; none: not started
    std::vector<sim::MessageBoxRecord> boxes;
};

void PrintTo(const DecisionRow& row, std::ostream* out) {
    *out << row.name;
}

std::u16string Text(uint16_t id) {
    return sim::Catalogue().at(id);
}

class PluginDecision : public testing::TestWithParam<DecisionRow> {};

TEST_P(PluginDecision, HandsTheRightPropertiesToMsiexec) {
    const DecisionRow& row = GetParam();
    SimulatedWindows os;
    test::AddPackage(os, u"tavexcom-x64.msi", u"2.0.13");
    test::AddMsiexec(os, 0);
    if (row.installed) {
        test::InstallPluginProduct(os, row.installed,
                                   row.featureAbsent ? INSTALLSTATE_ABSENT : INSTALLSTATE_DEFAULT);
        os.products[kPluginProductCode].state = row.state;
    }
    os.answers.assign(row.answers.begin(), row.answers.end());
    std::u16string logPath;
    EXPECT_EQ(InstallPlugin(os, kArgs, row.silent, logPath, row.reinstall), 0u);
    if (row.properties) {
        ASSERT_EQ(os.processes.size(), 1u);
        EXPECT_EQ(os.processes[0].commandLine, kCommandPrefix + *row.properties);
        EXPECT_EQ(logPath, u"C:\\Temp\\tavexcom-x64.msi_2016-02-01-09-07-05.log");
    } else {
        EXPECT_TRUE(os.processes.empty());
        EXPECT_EQ(logPath, u"");
    }
    EXPECT_EQ(os.boxes, row.boxes);
    EXPECT_EQ(os.OpenHandleCount(), 0u);
}

const sim::MessageBoxRecord kAskReinstall{Text(147), Text(128), MB_YESNO};
const sim::MessageBoxRecord kRefusal{Text(150), Text(128), MB_ICONERROR};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, PluginDecision, testing::Values(
    DecisionRow{"NotInstalled", nullptr, 0, false, false, false, {}, u" /qb" + kArgs, {}},
    DecisionRow{"AdvertisedCountsAsNotInstalled", u"2.0.13", 1, true, true, false, {}, u" /qb" + kArgs, {}},
    DecisionRow{"OtherUserCountsAsNotInstalled", u"2.0.13", 2, false, false, true, {}, u" /qb" + kArgs, {}},
    DecisionRow{"Upgrade", u"2.0.12", 5, false, false, false, {}, kReinstall + kArgs, {}},
    DecisionRow{"UpgradeAddsFeature", u"2.0.12", 5, true, false, true, {}, kReinstall + kFeature + kArgs, {}},
    DecisionRow{"SameVersionReinstallAsked", u"2.0.13", 5, false, true, false, {}, kReinstall + kArgs, {}},
    DecisionRow{"SameVersionReinstallSilent", u"2.0.13", 5, true, true, true, {}, kReinstall + kFeature + kArgs, {}},
    DecisionRow{"SameVersionSilentDoesNothing", u"2.0.13", 5, true, false, true, {}, std::nullopt, {}},
    DecisionRow{"SameVersionAnsweredYes", u"2.0.13", 5, false, false, false, {IDYES}, kReinstall + kArgs, {kAskReinstall}},
    DecisionRow{"SameVersionAnsweredNo", u"2.0.13", 5, false, false, false, {IDNO}, kArgs, {kAskReinstall}},
    DecisionRow{"SameVersionAnsweredNoAddsFeature", u"2.0.13", 5, true, false, false, {IDNO}, kFeature + kArgs, {kAskReinstall}},
    DecisionRow{"LaterInstalledRefused", u"2.0.14", 5, false, true, false, {}, std::nullopt, {kRefusal}},
    DecisionRow{"LaterInstalledSilentReinstalls", u"2.0.14", 5, true, false, true, {}, kReinstall + kFeature + kArgs, {}}
), RowName<DecisionRow>);
// clang-format on

TEST(PluginDecision, AFailedComparisonInstallsNothingAndIsReportedEvenSilent) {
    SimulatedWindows os;
    test::InstallPluginProduct(os, u"2.0.13");
    test::AddMsiexec(os, 0);
    std::u16string logPath;
    EXPECT_EQ(InstallPlugin(os, kArgs, true, logPath, true), ERROR_NO_DATA);
    EXPECT_TRUE(os.processes.empty());
    EXPECT_EQ(logPath, u"");
    EXPECT_EQ(os.boxes, (std::vector<sim::MessageBoxRecord>{{Text(139), Text(129), MB_ICONERROR}}));
}

struct ArchitectureRow {
    const char* name;
    bool hasIsWow64Process, callFails, wow64;
    const char16_t* package;
};

void PrintTo(const ArchitectureRow& row, std::ostream* out) {
    *out << row.name;
}

class Architecture : public testing::TestWithParam<ArchitectureRow> {};

TEST_P(Architecture, ChoosesThePackage) {
    const ArchitectureRow& row = GetParam();
    SimulatedWindows os;
    os.hasIsWow64Process = row.hasIsWow64Process;
    os.isWow64ProcessFails = row.callFails;
    os.wow64 = row.wow64;
    test::AddPackage(os, u"tavexcom-win32.msi", u"1.0");
    test::AddPackage(os, u"tavexcom-x64.msi", u"1.0");
    test::AddMsiexec(os, 0);
    std::u16string logPath;
    ASSERT_EQ(InstallPlugin(os, u"", true, logPath, false), 0u);
    ASSERT_EQ(os.processes.size(), 1u);
    EXPECT_NE(os.processes[0].commandLine.find(row.package), std::u16string::npos);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, Architecture, testing::Values(
    ArchitectureRow{"Wow64", true, false, true, u"\\tavexcom-x64.msi\""},
    ArchitectureRow{"Native32", true, false, false, u"\\tavexcom-win32.msi\""},
    ArchitectureRow{"NoIsWow64Process", false, false, true, u"\\tavexcom-win32.msi\""},
    ArchitectureRow{"IsWow64ProcessFails", true, true, true, u"\\tavexcom-win32.msi\""}
), RowName<ArchitectureRow>);
// clang-format on

} // namespace
} // namespace korvel
