// What no run shows from outside: the choices the command line and the dialog record, the
// text rules, and the edges of reading Windows' answers.
#include "common/message_catalogue.h"
#include "driver/command_line.h"
#include "os/windows_constants.h"
#include "plugin/find_package.h"
#include "provider/config_dialog.h"
#include "resource_source.h"
#include "scenario.h"
#include "simulated_windows.h"
#include "system/prerequisites.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

using sim::Text;

TEST(ConfigDialog, CollectsTheChoicesAndSwapsItsPanels) {
    struct Row {
        Text args;
        std::deque<int> clicks;
        uint16_t language;
        Text kc, lang;
    };
    const Row rows[] = {
        {u"-csp -KC kc2 -kc kc3 -Lang rus", {IDC_NEXT}, 0x0419, u"*kc2**kc3*kc1*", u"*rus*rus*"},
        {u"-csp", {IDC_OPTIONS, IDC_KC3, IDC_ENGLISH, IDC_NEXT}, 0x0419, u"kc3*", u"eng*"},
        {u"-csp", {IDC_KC2, IDC_OPTIONS, IDC_OPTIONS, IDC_NEXT}, 0x0819, u"kc1*", u"eng*"},
        {u"-csp -KC kc2", {IDC_OPTIONS, IDC_KC2, IDCANCEL}, 0x0409, u"*kc2*", u""},
    };
    for (const Row& row : rows) {
        sim::SimulatedWindows os;
        os.commandLine = u"setup.exe " + row.args;
        os.uiLanguage = row.language;
        os.dialogClicks = row.clicks;
        SetupOptions setup;
        RunOptions options;
        EXPECT_EQ(ParseCommandLine(os, setup, options), std::nullopt);
        EXPECT_EQ(ShowConfigDialog(os, sim::kProgramModule, setup), row.clicks.back() != IDCANCEL);
        EXPECT_EQ(setup.kcSelection, row.kc);
        EXPECT_EQ(setup.langSelection, row.lang);
        EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "SendMessageW WM_SETICON"), 1);
        // The options button's caption is the only record of the panel shown.
        const bool shown = std::count(row.clicks.begin(), row.clicks.end(), IDC_OPTIONS) % 2;
        for (const sim::Control& control : os.dialogControls) {
            const bool intro = control.id == IDC_INTRO_FRAME || control.id == IDC_INTRO;
            if (control.id >= IDC_RUSSIAN && control.id <= IDC_INTRO)
                EXPECT_EQ(control.visible, shown != intro) << control.id;
            if (control.id == IDC_OPTIONS)
                EXPECT_EQ(test::ToUtf8(control.text),
                          test::Message(shown ? IDS_HIDE : IDS_OPTIONS));
        }
    }
}

TEST(CommandLine, ShowsTheHelpForAnythingItDoesNotAccept) {
    for (const char16_t* args : {u"-?", u"\"\"", u"/csp", u"-sil", u"-REINSTALL", u"-TavexArgs=A",
                                 u"-TavexArgs", u"--HELP", u"/Help", u"-CSPArgs X -csp", u"-KC kc2",
                                 u"-csp -CSPArgs", u"-csp -UCSPArgs X", u"-\u0441sp"}) {
        sim::SimulatedWindows os;
        os.commandLine = Text(u"setup.exe ") + args;
        SetupOptions setup;
        RunOptions options;
        EXPECT_EQ(ParseCommandLine(os, setup, options), 0u) << test::ToUtf8(args);
        EXPECT_EQ(os.boxes.size(), 1u);
    }
}

TEST(MessageCatalogue, FindsOnlyWhatItsBlockHolds) {
    sim::SimulatedWindows os;
    Text text = u"before";
    for (const MessageId absent : {115, 132, 140, 141, 2000})
        EXPECT_FALSE(LoadMessage(os, absent, text)) << absent;
    EXPECT_EQ(text, u"before");
    EXPECT_TRUE(LoadMessage(os, IDS_OPTIONS, text));
    EXPECT_TRUE(LoadMessage(os, IDS_HIDE, text));
    EXPECT_EQ(test::ToUtf8(text), test::Message(IDS_HIDE));
    // The last entry of its block claims one unit more than the block holds.
    os.DamageMessage(IDS_LATER_PLUGIN_INSTALLED, 16 - IDS_LATER_PLUGIN_INSTALLED % 16);
    EXPECT_FALSE(LoadMessage(os, IDS_LATER_PLUGIN_INSTALLED, text));
    os.DamageMessage(IDS_ASK_REINSTALL_PLUGIN, 300);
    EXPECT_FALSE(LoadMessage(os, IDS_LATER_PLUGIN_INSTALLED, text));
}

TEST(WindowsVersion, AdmitsFromTheServicePacksItNeeds) {
    struct Row {
        uint32_t major, minor;
        uint16_t servicePack;
        uint32_t exitCode;
    };
    // The service packs just before and at each limit; those before run as scenarios.
    for (const Row& row :
         {Row{5, 0, 3, 3}, Row{5, 1, 2, 0}, Row{5, 2, 2, 0}, Row{6, 0, 0, 0}, Row{4, 90, 9, 6}}) {
        sim::SimulatedWindows os;
        os.version = {0, row.major, row.minor, row.servicePack};
        EXPECT_EQ(CheckWindowsVersion(os, true), row.exitCode) << row.major << "." << row.minor;
        EXPECT_EQ(os.boxes.size(), row.exitCode == 6 ? 1u : 0u);
    }
}

TEST(Packages, AreFoundWhateverTheKindOfTheMatchAndTheFolderLength) {
    sim::SimulatedWindows os;
    os.currentDirectory = u"C:\\" + Text(300, u'd');
    os.AddFolder(os.currentDirectory + u"\\p\\tavexcom-win32");
    Text path;
    EXPECT_EQ(FindPackage(os, u"tavexcom*win32*", path), 0u);
    EXPECT_EQ(path, os.currentDirectory + u"\\p\\tavexcom-win32");
}

} // namespace
} // namespace korvel
