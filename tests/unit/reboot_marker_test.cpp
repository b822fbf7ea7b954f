#include "driver/main_flow.h"
#include "machine.h"
#include "string_table.h"
#include "system/reboot_marker.h"
#include "table_rows.h"

#include <gtest/gtest.h>

namespace korvel::sim {

void PrintTo(const RegistryCall& call, std::ostream* out) {
    *out << call.operation << ' ' << ToUtf8(call.subKey) << " 0x" << std::hex << call.samDesired;
}

} // namespace korvel::sim

namespace korvel {
namespace {

using sim::RegistryCall;
using sim::SimulatedWindows;

const std::u16string kMarker = u"HKCU\\Software\\NeedBstrReboot";

TEST(RebootMarker, LivesInThe32BitViewThroughItsThreeOperations) {
    SimulatedWindows os;
    bool set = true;
    EXPECT_EQ(IsRebootMarkerSet(os, set), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(set);
    EXPECT_EQ(CreateRebootMarker(os), 0u);
    EXPECT_EQ(CreateRebootMarker(os), 0u);
    EXPECT_TRUE(os.HasKey(32, kMarker));
    EXPECT_FALSE(os.HasKey(64, kMarker));
    EXPECT_EQ(IsRebootMarkerSet(os, set), 0u);
    EXPECT_TRUE(set);
    EXPECT_EQ(DeleteRebootMarker(os), 0u);
    EXPECT_FALSE(os.HasKey(32, kMarker));
    EXPECT_EQ(DeleteRebootMarker(os), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(os.HasKey(32, u"HKCU\\Software"));
    EXPECT_EQ(os.OpenHandleCount(), 0u);
    EXPECT_EQ(os.registryCalls,
              (std::vector<RegistryCall>{{"open", u"Software\\NeedBstrReboot", 0x20219},
                                         {"create", u"Software\\NeedBstrReboot", 0x2021F},
                                         {"create", u"Software\\NeedBstrReboot", 0x2021F},
                                         {"open", u"Software\\NeedBstrReboot", 0x20219},
                                         {"open", u"Software", 0x2021F},
                                         {"delete", u"NeedBstrReboot", 0x200},
                                         {"open", u"Software", 0x2021F},
                                         {"delete", u"NeedBstrReboot", 0x200}}));
}

TEST(RebootMarker, IsDeletedInTheDefaultViewWhereRegDeleteKeyExIsMissing) {
    SimulatedWindows os;
    os.hasRegDeleteKeyEx = false;
    CreateRebootMarker(os);
    EXPECT_EQ(DeleteRebootMarker(os), 0u);
    EXPECT_EQ(os.registryCalls.back().operation, "delete default view");
    EXPECT_FALSE(os.HasKey(32, kMarker));
}

struct RebootRow {
    const char* name;
    bool openToken, lookup, privilege, restartStarts;
    bool started;
    bool exitWindowsCalled;
};

void PrintTo(const RebootRow& row, std::ostream* out) {
    *out << row.name;
}

class Reboot : public testing::TestWithParam<RebootRow> {};

TEST_P(Reboot, StartsOnlyWithTheShutdownPrivilege) {
    const RebootRow& row = GetParam();
    SimulatedWindows os;
    os.canOpenProcessToken = row.openToken;
    os.knowsShutdownPrivilege = row.lookup;
    os.holdsShutdownPrivilege = row.privilege;
    os.restartStarts = row.restartStarts;
    EXPECT_EQ(RequestReboot(os), row.started);
    using Restart = std::pair<uint32_t, uint32_t>;
    EXPECT_EQ(os.restarts, (row.exitWindowsCalled ? std::vector<Restart>{{6u, 0x40000u}}
                                                  : std::vector<Restart>{}));
    EXPECT_EQ(os.OpenHandleCount(), 0u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, Reboot, testing::Values(
    RebootRow{"Started", true, true, true, true, true, true},
    RebootRow{"ExitWindowsFails", true, true, true, false, false, true},
    RebootRow{"NoPrivilegeHeld", true, true, false, true, false, false},
    RebootRow{"PrivilegeUnknown", true, false, true, true, false, false},
    RebootRow{"TokenDenied", false, true, true, true, false, false}
), RowName<RebootRow>);
// clang-format on

// The whole run on a machine where msiexec asks for a restart.
TEST(RestartOffer, FollowsAPluginInstallationThatNeedsARestart) {
    for (const int answer : {IDYES, IDNO}) {
        SimulatedWindows os;
        test::AddPackage(os, u"tavexcom-x64.msi", u"1.0");
        test::AddMsiexec(os, ERROR_SUCCESS_REBOOT_REQUIRED);
        os.answers = {IDYES, answer};
        SetupOptions setup;
        EXPECT_EQ(RunSetup(os, setup, nullptr, u""), 0u);
        ASSERT_EQ(os.boxes.size(), 2u);
        EXPECT_EQ(os.boxes[1].text, sim::Catalogue().at(108));
        EXPECT_EQ(os.boxes[1].style, 0x34u);
        EXPECT_FALSE(os.HasKey(32, kMarker));
        EXPECT_EQ(os.restarts.size(), answer == IDYES ? 1u : 0u);
        EXPECT_EQ(os.OpenHandleCount(), 0u);
    }
}

TEST(RestartOffer, IsLeftForALaterRunWithNoRestart) {
    SimulatedWindows os;
    test::AddPackage(os, u"tavexcom-x64.msi", u"1.0");
    test::AddMsiexec(os, ERROR_SUCCESS_RESTART_REQUIRED);
    os.commandLine = u"korvel-plugin-setup.exe -norestart";
    SetupOptions setup;
    EXPECT_EQ(RunSetup(os, setup, nullptr, u"-norestart"), 0u);
    ASSERT_EQ(os.boxes.size(), 2u);
    EXPECT_EQ(os.boxes[1].text, sim::Catalogue().at(110));
    EXPECT_TRUE(os.HasKey(32, kMarker));
}

// A silent run cannot ask: the need an earlier run left restarts Windows at once, closing
// programs without asking them, even when this run had nothing to install.
TEST(RestartOffer, LeftByAnEarlierRunRestartsASilentRunThatInstallsNothing) {
    SimulatedWindows os;
    test::AddPackage(os, u"tavexcom-x64.msi", u"1.0");
    test::InstallPluginProduct(os, u"1.0");
    test::AddMsiexec(os, 0);
    os.AddKey(32, kMarker);
    os.commandLine = u"korvel-plugin-setup.exe -silent";
    SetupOptions setup;
    EXPECT_EQ(RunSetup(os, setup, nullptr, u"-silent"), 0u);
    EXPECT_TRUE(os.processes.empty());
    EXPECT_TRUE(os.boxes.empty());
    EXPECT_FALSE(os.HasKey(32, kMarker));
    using Restart = std::pair<uint32_t, uint32_t>;
    EXPECT_EQ(os.restarts, (std::vector<Restart>{{EWX_REBOOT | EWX_FORCE, 0x40000u}}));
}

} // namespace
} // namespace korvel
