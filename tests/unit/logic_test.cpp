// What no run shows whole from outside: the plug-in's plan, the version order, the choices the
// command line and the dialog record, the version limits and the marker's operations.
#include "driver/command_line.h"
#include "exec/install_log.h"
#include "os/windows_constants.h"
#include "plugin/compare_version.h"
#include "plugin/find_package.h"
#include "plugin/install_plugin.h"
#include "plugin/plugin_plan.h"
#include "provider/config_dialog.h"
#include "resource_source.h"
#include "simulated_windows.h"
#include "system/prerequisites.h"
#include "system/reboot_marker.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

using sim::Text;
using Plan = PluginPlan;
using Args = std::vector<Text>;

TEST(PluginPlan, FollowsFromWhatIsInstalledTheVersionsAndTheOptions) {
    // The product's state (5 installed, 1 advertised, 2 another user's, -1 unknown), the order
    // of the versions, -reinstall, -silent, the answer; whether it is asked, and the plan.
    const std::tuple<int32_t, VersionOrder, bool, bool, bool, bool, Plan> rows[] = {
        {-1, 0, true, true, false, false, Plan::Fresh},
        {1, 0, false, false, false, false, Plan::Fresh},
        {2, -1, false, false, false, false, Plan::Fresh},
        {5, 1, false, false, false, false, Plan::Upgrade},
        {5, 1, true, true, false, false, Plan::Upgrade},
        {5, 0, true, false, false, false, Plan::Reinstall},
        {5, 0, true, true, false, false, Plan::Reinstall},
        {5, 0, false, true, false, false, Plan::Nothing},
        {5, 0, false, false, true, true, Plan::Reinstall},
        {5, 0, false, false, false, true, Plan::AddMissingFeature},
        {5, -1, true, false, false, false, Plan::Refuse},
        {5, -1, false, true, false, false, Plan::Reinstall},
    };
    for (const auto& [state, order, reinstall, silent, accepted, asked, plan] : rows) {
        const PluginFacts facts{state, order, reinstall, silent, accepted};
        EXPECT_EQ(PlanPluginInstallation(facts), plan) << state << order << reinstall << silent;
        EXPECT_EQ(AsksReinstall(facts), asked) << state << order << reinstall << silent;
    }
    const Text reinstall = u"REINSTALL=ALL REINSTALLMODE=vomus /qb";
    const std::tuple<Plan, bool, Text> properties[] = {
        {Plan::Fresh, true, u" /qb A"},
        {Plan::Upgrade, false, reinstall + u" A"},
        {Plan::Reinstall, true, reinstall + u" ADDLOCAL=NPTAVEX A"},
        {Plan::AddMissingFeature, false, u" A"},
        {Plan::AddMissingFeature, true, u" ADDLOCAL=NPTAVEX A"},
    };
    for (const auto& [plan, featureAbsent, text] : properties)
        EXPECT_EQ(PluginProperties(plan, featureAbsent, u" A"), text);
}

TEST(VersionOrder, ComparesUnitByUnitAndAPrefixIsTheSmaller) {
    const std::tuple<Text, Text, VersionOrder> rows[] = {
        {u"2.0.14", u"2.0.13", 1}, {u"2.0.13", u"2.0.14", -1}, {u"2.0.9", u"2.0.13", 1},
        {u"1.0", u"1.0.0", -1},    {u"1.0.0", u"1.0", 1},      {u"", u"1.0", -1},
        {u"1.1.0", u"1.1.0", 0},   {u"1.1.0", u"1.1.1", -1},   {u"1.1.a", u"1.1.A", 1},
        {u"\uFFFF", u"1", 1},
    };
    for (const auto& [newer, installed, order] : rows)
        EXPECT_EQ(CompareVersionTexts(newer, installed), order) << test::ToUtf8(newer);
}

TEST(CommandLine, ShowsTheHelpForAnythingItDoesNotAccept) {
    for (const Args& args : std::vector<Args>{{u"-?"},
                                              {u""},
                                              {u"/csp"},
                                              {u"-sil"},
                                              {u"-REINSTALL"},
                                              {u"-TavexArgs=A"},
                                              {u"-TavexArgs"},
                                              {u"--HELP"},
                                              {u"/Help"},
                                              {u"-CSPArgs", u"X", u"-csp"},
                                              {u"-KC", u"kc2"},
                                              {u"-csp", u"-CSPArgs"},
                                              {u"-csp", u"-UCSPArgs", u"X"},
                                              {u"-\u0441sp"},
                                              {u"-silenx"},
                                              {u"-csq"}}) {
        sim::SimulatedWindows os;
        os.args.insert(os.args.end(), args.begin(), args.end());
        SetupOptions setup;
        RunOptions options;
        EXPECT_EQ(ParseCommandLine(os, setup, options), 0u) << test::ToUtf8(args[0]);
        EXPECT_EQ(os.boxes.size(), 1u);
    }
}

TEST(CommandLine, TakesItsOptionsInAnyCaseButReinstall) {
    sim::SimulatedWindows os;
    os.args.insert(os.args.end(), {u"-CSP", u"-Ucsp", u"-SELECTDLG", u"-Silent", u"-NoRestart",
                                   u"-reinstall", u"-TAVEXARGS", u"A=1"});
    SetupOptions setup;
    RunOptions options;
    EXPECT_EQ(ParseCommandLine(os, setup, options), std::nullopt);
    EXPECT_TRUE(setup.installCsp && setup.installUcsp && setup.showConfigDialog);
    EXPECT_TRUE(options.silent && options.noRestart && options.reinstall);
    EXPECT_EQ(options.pluginArgs, u" A=1 ");
}

TEST(ConfigDialog, CollectsTheChoicesAndSwapsItsPanels) {
    // After "-csp": the arguments, the clicks, the system's language; what is recorded.
    const std::tuple<Args, std::deque<int>, uint16_t, Text, Text> rows[] = {
        {{}, {IDC_NEXT}, 0x0419, u"kc1*", u"rus*"},
        {{u"-KC", u"kc2"}, {IDC_OPTIONS, IDC_KC3, IDC_NEXT}, 0x0419, u"*kc2*kc3*", u"rus*"},
        {{u"-Lang", u"x"}, {IDC_OPTIONS, IDC_ENGLISH, IDC_NEXT}, 0x0419, u"kc1*", u"*x*eng*"},
        {{}, {IDC_OPTIONS, IDC_KC2, IDC_OPTIONS, IDC_NEXT}, 0x0819, u"kc2*", u"eng*"},
        {{}, {IDC_KC3, IDC_NEXT}, 0x0409, u"kc1*", u"eng*"},
        {{u"-KC", u"kc2"}, {IDC_OPTIONS, IDC_KC2, IDCANCEL}, 0x0409, u"*kc2*", u""},
    };
    for (const auto& [args, clicks, language, kc, lang] : rows) {
        sim::SimulatedWindows os;
        os.args.push_back(u"-csp");
        os.args.insert(os.args.end(), args.begin(), args.end());
        os.uiLanguage = language;
        os.clicks = clicks;
        SetupOptions setup;
        RunOptions options;
        EXPECT_EQ(ParseCommandLine(os, setup, options), std::nullopt);
        EXPECT_EQ(ShowConfigDialog(os, setup), clicks.back() != IDCANCEL);
        EXPECT_EQ(setup.kcSelection, kc);
        EXPECT_EQ(setup.langSelection, lang);
        EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "LoadImageW 32x32"), 1);
        EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "SendMessageW WM_SETICON"), 1);
        EXPECT_TRUE(os.handles.empty()) << "the icon is destroyed with the dialog";
        // The options button's caption is the only record of the panel shown.
        const bool shown = std::count(clicks.begin(), clicks.end(), IDC_OPTIONS) % 2;
        for (const sim::Control& control : os.dialog) {
            const bool intro = control.id == IDC_INTRO_FRAME || control.id == IDC_INTRO;
            const bool panel = control.id >= IDC_RUSSIAN && control.id <= IDC_INTRO;
            EXPECT_TRUE(!panel || control.visible == (shown != intro)) << control.id;
            EXPECT_TRUE(control.id != IDC_OPTIONS ||
                        test::ToUtf8(control.text) ==
                            test::Message(shown ? IDS_HIDE : IDS_OPTIONS));
        }
    }
}

TEST(WindowsVersion, AdmitsFromTheServicePacksItNeeds) {
    // Major, minor, service pack, -silent; the exit code and the boxes shown.
    const std::tuple<uint32_t, uint32_t, uint16_t, bool, uint32_t, size_t> rows[] = {
        {5, 0, 3, false, 3, 1}, {5, 0, 4, false, 0, 0}, {5, 1, 1, true, 4, 0},
        {5, 1, 2, false, 0, 0}, {5, 1, 3, false, 0, 0}, {5, 2, 1, true, 5, 0},
        {5, 2, 2, false, 0, 0}, {5, 3, 0, false, 0, 0}, {6, 0, 0, false, 0, 0},
        {4, 90, 9, true, 6, 1},
    };
    for (const auto& [major, minor, servicePack, silent, exitCode, boxes] : rows) {
        sim::SimulatedWindows os;
        os.version = OsVersionInfoEx{major, minor, servicePack};
        EXPECT_EQ(CheckWindowsVersion(os, silent), exitCode) << major << "." << minor;
        EXPECT_EQ(os.boxes.size(), boxes);
    }
    sim::SimulatedWindows unreadable;
    unreadable.failing = "GetVersionExW";
    EXPECT_EQ(CheckWindowsVersion(unreadable, true), 2u);
    EXPECT_TRUE(unreadable.boxes.empty());
}

TEST(RebootMarker, IsOneKeyCreatedOnceAndDeletedOnce) {
    constexpr uint32_t kFileNotFound = 2;
    sim::SimulatedWindows os;
    bool set = true;
    EXPECT_EQ(IsRebootMarkerSet(os, set), kFileNotFound);
    EXPECT_FALSE(set);
    EXPECT_EQ(DeleteRebootMarker(os), kFileNotFound);
    EXPECT_EQ(CreateRebootMarker(os), 0u);
    EXPECT_EQ(CreateRebootMarker(os), 0u);
    EXPECT_EQ(IsRebootMarkerSet(os, set), 0u);
    EXPECT_TRUE(set);
    EXPECT_EQ(DeleteRebootMarker(os), 0u);
    EXPECT_FALSE(os.HasKey(u"Software\\NeedBstrReboot"));
    EXPECT_TRUE(os.HasKey(u"Software")) << "the parent stays";
    EXPECT_TRUE(os.handles.empty());
}

TEST(Logs, MadeInOneSecondUnderOneNameAreOne) {
    sim::SimulatedWindows os;
    Text first, second;
    EXPECT_EQ(MakeLogPath(os, u"csp", true, first), 0u);
    EXPECT_EQ(MakeLogPath(os, u"csp", true, second), 0u);
    EXPECT_EQ(first, u"C:\\tmp\\csp_2016-02-01-09-07-05.log");
    EXPECT_EQ(second, first);
}

// In the first folder that holds a match, whatever its kind; the version only from a package.
TEST(Packages, AreTheFirstMatchOfTheFirstFolderThatHoldsOne) {
    sim::SimulatedWindows os;
    os.AddFile(u"C:\\dist\\a\\readme.txt");
    os.AddFile(u"C:\\dist\\b\\tavexcom-notes.txt");
    os.AddFile(u"C:\\dist\\b\\tavexcom-x64", FILE_ATTRIBUTE_DIRECTORY);
    os.AddFile(u"C:\\dist\\b\\tavexcom-x64.msi");
    os.packages[u"C:\\dist\\b\\tavexcom-x64.msi"].version = u"1.1.0";
    os.products[kPluginProductCode].version = u"1.0.0";
    Text path;
    EXPECT_EQ(FindPackage(os, u"tavexcom*x64*", path), 0u);
    EXPECT_EQ(path, u"C:\\dist\\b\\tavexcom-x64");
    VersionOrder order = 0;
    EXPECT_EQ(ComparePackageVersion(os, kPluginProductCode, order), 0u);
    EXPECT_EQ(order, 1);
}

} // namespace
} // namespace korvel
