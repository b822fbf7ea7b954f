// The scenarios: what a run shows, starts and leaves behind, for each machine it meets.
#include "resource.h"
#include "resource_source.h"
#include "scenario.h"
#include "simulated_windows.h"

#include <deque>

namespace korvel::test {

namespace {

using std::string;

constexpr uint32_t kYesNoButtons = 0x04, kError = 0x10, kInformation = 0x40;

Box Make(uint16_t caption, uint16_t message, uint32_t style) {
    return {Message(caption), Message(message), style};
}

Box Report(uint16_t message, const string& caption, uint32_t code, const string& log) {
    string text = Message(message) + ": " + std::to_string(code) + ".\n";
    if (!log.empty())
        text += "Install log: {log:" + log + "}";
    return {caption, text, kError};
}

const auto Ask = [](uint16_t id) { return Make(IDS_PRODUCT_NAME, id, kYesNoButtons); };
const auto AskRestart = [](uint16_t id) { return Make(IDS_PRODUCT_NAME, id, 0x34); };
const auto Tell = [](uint16_t id) { return Make(IDS_PRODUCT_NAME, id, 0); };
const auto Refuse = [](uint16_t id) { return Make(IDS_PRODUCT_NAME, id, kError); };
const auto Error = [](uint16_t id) { return Make(IDS_ERROR_CAPTION, id, kError); };
Box PluginFailed(uint32_t code, const string& log = "") {
    return Report(IDS_PLUGIN_FAILED, Message(IDS_PRODUCT_NAME), code, log);
}
Box ProviderFailed(uint32_t code, const string& log = "") {
    return Report(IDS_PROVIDER_FAILED, "", code, log);
}

// The first line, that of "-?", and the first of each line only the providers named before
// bring, which it has or not.
Box Help(bool csp, bool ucsp) {
    const string with = csp ? "" : "!";
    return {
        "Справка",
        std::nullopt,
        kInformation,
        {"Установщик Korvel ЭЦП Browser plug-in.", "  -?\t\t вывести данную справку",
         with + "  -cspargs \"<args>\"     дополнителные параметры командной",
         (ucsp ? "" : "!") + string("  -ucspargs \"<args>\"   дополнительные параметры командной"),
         with + "  -selectDlg\t вывести диалог выбора конфигурации",
         with + "  -KC\t\t уровень KC Korvel CSP", with + "  -Lang\t\t язык Korvel CSP"}};
}

const auto Dialog = [](std::vector<int> checked) {
    return Box{DialogCaption(), std::nullopt, 0, {}, checked};
};

string Msiexec(const string& properties, const string& arch = "x64",
               const string& folder = "packages", const string& name = "") {
    const string package = name.empty() ? "tavexcom-" + arch + ".msi" : name;
    return "msiexec /i \"{dist}\\" + folder + "\\" + package + "\" /Lv! \"{log:" + package +
           "}\" REBOOT=R " + properties;
}

string Setup(const string& kind, const string& args = "", const string& switches = "") {
    return kind + "\\Setup.exe -args \"/qb /Lv! \"\"\"{log:" + kind + "}\"\"\" " + args +
           "\" -noreboot -root" + switches;
}

using Os = sim::SimulatedWindows;
using Hook = std::function<void(Os&)>;

constexpr uint32_t kInjected = sim::kInjectedError;
const string kFresh = " /qb", kReinstall = "REINSTALL=ALL REINSTALLMODE=vomus /qb";
const Box kAsk = Ask(IDS_ASK_PLUGIN), kInstalled = Tell(IDS_RESTART_BROWSER_PLUGIN);
const Box kLater = Make(IDS_UPDATE_CAPTION, IDS_LATER_PLUGIN_INSTALLED, kError);
const Box kReinstallQuestion = Make(IDS_UPDATE_CAPTION, IDS_ASK_REINSTALL_PLUGIN, kYesNoButtons);
const Strings kSilent = {"-silent"}, kYesOk = {"yes", "ok"}, kYesOkOk = {"yes", "ok", "ok"},
              kYesNo = {"yes", "no"};

Scenario Row(string name, Machine machine, Strings args, Strings answers, Outcome expect,
             Where where = Where::Both) {
    return {name, machine, args, answers, expect, where};
}

// A row that only the simulated Windows can make happen runs there only.
Scenario Row(string name, Machine machine, Strings args, Strings answers, Outcome expect,
             Hook simulate) {
    return {name, machine, args, answers, expect, Where::Simulated, simulate};
}

// The plug-in installed through msiexec with `properties`, after the providers.
Outcome Installs(const string& properties, std::vector<Box> boxes = {}, Strings providers = {},
                 const string& version = "1.1.0") {
    providers.push_back(Msiexec(properties));
    return {boxes, providers, 0, version};
}

Outcome Ends(uint32_t exitCode, std::vector<Box> boxes = {}, Strings children = {},
             const string& version = "") {
    return {boxes, children, exitCode, version};
}

Machine Installed(const string& build, std::vector<Package> packages = {Package{}}) {
    return {.packages = packages, .installed = build};
}

Machine Providers(std::vector<Provider> providers) {
    return {.providers = providers};
}

Hook Failing(const string& call) {
    return [call](Os& os) { os.failing = call; };
}

// The package's msiexec ends with `result`, which no test package gives.
Hook InstallerEnds(uint32_t result) {
    return [result](Os& os) { os.packages.begin()->second.result = result; };
}

template <class Value> Hook Set(Value Os::*field, Value value) {
    return [field, value](Os& os) { os.*field = value; };
}

const Machine kReboot = {.packages = {{.build = "1.1.0-reboot"}}};
const Box kRestart = AskRestart(IDS_RESTART_PLUGIN);
const Box kCspAsk = Ask(IDS_ASK_PLUGIN_CSP), kUcspAsk = Ask(IDS_ASK_PLUGIN_UCSP);
const Box kBothAsk = Ask(IDS_ASK_PLUGIN_CSP_UCSP), kCspDone = Tell(IDS_RESTART_BROWSER_PLUGIN_CSP);
const Box kUcspDone = Tell(IDS_RESTART_BROWSER_PLUGIN_UCSP);

// Under a drive's root, a folder as long as the path of the program in it may be (MAX_PATH
// with the terminator), so that its package's path is longer; and a TMP longer still.
const string kLongFolder = string(116, 'd') + "\\" + string(115, 'e');
const string kLongTmp = string(120, 't') + "\\" + string(120, 'u') + "\\" + string(120, 'v');

const std::vector<Scenario> kTable = {
    // The command line.
    Row("help_then_csp", {}, {"-help", "-csp"}, {}, Ends(0, {Help(false, false)})),
    Row("csp_then_help", {}, {"-csp", "-help", "-ucsp"}, {}, Ends(0, {Help(true, false)})),
    Row("help_even_silent", {}, {"-csp", "-ucsp", "-silent", "-x"}, {},
        Ends(0, {Help(true, true)})),
    Row("declined", {}, {}, {"no"}, Ends(0, {kAsk})),
    Row("anything_but_no_goes_on", {}, {}, {}, Installs(kFresh, {kAsk, kInstalled}),
        Set(&Os::answers, std::deque<int>{1, 1})),
    Row("plugin_args", {}, {"-TavexArgs", "A=1", "-tavexargs", "B=\"2 3\"", "-silent"}, {},
        Installs(kFresh + " A=1  B=\"2 3\" ")),
    Row("value_taken_whole", {}, {"-TavexArgs", "-silent"}, kYesOk,
        Installs(kFresh + " -silent ", {kAsk, kInstalled})),

    // Which package, for which Windows.
    Row("fresh_silent", {.packages = {{.arch = "win32"}, {}}}, kSilent, {}, Installs(kFresh)),
    Row("fresh_silent_32_bit_windows",
        {.packages = {{.build = "1.0.0"}, {.arch = "win32"}}, .bits32 = true}, kSilent, {},
        Ends(0, {}, {Msiexec(kFresh, "win32")}, "1.1.0")),
    Row("without_is_wow64_process", {.packages = {{}, {.arch = "win32"}}}, kSilent, {},
        Ends(0, {}, {Msiexec(kFresh, "win32")}, "1.1.0"), Set(&Os::wow64, std::optional<bool>{})),
    Row("no_package_asked", {.packages = {}}, {}, kYesOkOk,
        Ends(232, {kAsk, Error(IDS_PACKAGE_NOT_FOUND), PluginFailed(232)})),
    Row("other_architecture_only", {.packages = {{.arch = "win32"}}}, kSilent, {}, Ends(232)),
    Row("package_in_dot_folder", {.packages = {{.folder = ".packages"}}}, kSilent, {}, Ends(232)),
    Row("package_beside_the_program", {.packages = {{.folder = ""}}}, kSilent, {}, Ends(232)),
    Row("package_two_levels_down", {.packages = {{.folder = "packages\\x64"}}}, kSilent, {},
        Ends(232)),
    Row("first_folder_wins", {.packages = {{.folder = "a"}, {.build = "1.0.0", .folder = "b"}}},
        kSilent, {}, Ends(0, {}, {Msiexec(kFresh, "x64", "a")}, "1.1.0")),
    Row("started_from_another_folder", {.startedAbove = true}, kSilent, {}, Ends(232)),
    Row("spaces_in_folder_names",
        {.packages = {{.folder = "plug-in packages"}}, .tmp = "temp files"}, kSilent, {},
        Ends(0, {}, {Msiexec(kFresh, "x64", "plug-in packages")}, "1.1.0")),
    Row("long_start_folder", {.folder = kLongFolder}, kSilent, {}, Installs(kFresh)),
    Row("planted_msiexec", {.planted = "msiexec.exe"}, kSilent, {}, Installs(kFresh)),
    Row("planted_msi_dll", {.planted = "msi.dll"}, kSilent, {}, Installs(kFresh), Where::Wine),
    // Wine's message boxes and dialogs load it by name, from beside a program that leaves
    // its library search as it is.
    Row("planted_uxtheme_dll", {.providers = {{"csp"}}, .planted = "uxtheme.dll"},
        {"-csp", "-selectDlg"}, {"yes", "next", "ok"},
        Installs(kFresh, {kCspAsk, Dialog({IDC_ENGLISH, IDC_KC1}), kCspDone}, {Setup("csp")}),
        Where::Wine),

    // What is installed decides.
    Row("upgrade_silent", Installed("1.0.0"), kSilent, {}, Installs(kReinstall)),
    // Wine's msiexec adds no feature together with REINSTALL=ALL.
    Row("upgrade_adds_the_feature", {.installed = "1.0.0", .featureAbsent = true}, kSilent, {},
        Installs(kReinstall + " ADDLOCAL=NPTAVEX"), Where::Simulated),
    Row("package_name_in_capitals", Installed("1.0.0", {{.name = "TAVEXCOM-X64.MSI"}}), kSilent, {},
        Ends(0, {}, {Msiexec(kReinstall, "x64", "packages", "TAVEXCOM-X64.MSI")}, "1.1.0")),
    Row("upgrade_that_fails",
        Installed("1.0.0", {{.build = "1.1.0-failing", .name = "tavexcom-x64-1.1.0.msi"}}), kSilent,
        {"ok"},
        Ends(1603, {Box{std::nullopt, "This package never installs."}},
             {Msiexec(kReinstall, "x64", "packages", "tavexcom-x64-1.1.0.msi")}, "1.0.0")),
    Row("same_version_silent", Installed("1.1.0"), kSilent, {}, Ends(0, {}, {}, "1.1.0")),
    Row("same_version_reinstall_accepted", Installed("1.1.0"), {}, {"yes", "yes", "ok"},
        Installs(kReinstall, {kAsk, kReinstallQuestion, kInstalled})),
    Row("same_version_reinstall_declined", Installed("1.1.0"), {}, {"yes", "no", "ok"},
        Installs("", {kAsk, kReinstallQuestion, kInstalled})),
    // A question that cannot be shown is not answered yes.
    Row("reinstall_question_that_fails", Installed("1.1.0"), {}, {}, Installs(""),
        Failing("MessageBoxW")),
    Row("feature_absent_reinstall_declined", {.installed = "1.1.0", .featureAbsent = true},
        {"-TavexArgs", "A=1"}, {"yes", "no", "ok"},
        Installs(" ADDLOCAL=NPTAVEX A=1 ", {kAsk, kReinstallQuestion, kInstalled})),
    Row("reinstall_option", Installed("1.1.0"), {"-reinstall", "-TavexArgs", "A=1"}, kYesOk,
        Installs(kReinstall + " A=1 ", {kAsk, kInstalled})),
    Row("reinstall_option_silent", Installed("1.1.0"), {"-reinstall", "-silent"}, {},
        Installs(kReinstall)),
    Row("versions_compare_as_text", Installed("1.9.0", {{.build = "1.10.0"}}), {}, kYesOkOk,
        Ends(0, {kAsk, kLater, kInstalled}, {}, "1.9.0")),
    Row("earlier_package_silent", Installed("1.1.0", {{.build = "1.0.0"}}), kSilent, {},
        Installs(kReinstall, {}, {}, "1.0.0")),
    Row("installed_no_package_silent", Installed("1.1.0", {}), kSilent, {},
        Ends(232, {Error(IDS_PACKAGE_NOT_FOUND)}, {}, "1.1.0")),
    // The version read is the first package's, whatever its architecture: here the earlier.
    Row("version_from_the_first_package",
        Installed("1.1.0", {{.build = "1.0.0", .arch = "win32"}, {}}), kSilent, {},
        Installs(kReinstall)),
    Row("package_without_version_is_earlier", Installed("1.0.0", {{.build = "1.1.0-unversioned"}}),
        {}, kYesOkOk, Ends(0, {kAsk, kLater, kInstalled}, {}, "1.0.0")),
    Row("advertised_counts_as_not_installed", Installed("1.1.0"), kSilent, {}, Installs(kFresh),
        [](Os& os) { os.products.begin()->second.state = 1; }),
    Row("installed_version_unreadable", Installed("1.0.0"), kSilent, {},
        Ends(kInjected, {Error(IDS_INSTALLED_VERSION_UNREADABLE)}, {}, "1.0.0"),
        Failing("MsiGetProductInfoW")),
    Row("package_cannot_open", Installed("1.0.0"), kSilent, {},
        Ends(kInjected, {Error(IDS_PACKAGE_CANNOT_OPEN)}, {}, "1.0.0"),
        Failing("MsiOpenPackageExW")),
    Row("package_version_unreadable", Installed("1.0.0"), kSilent, {},
        Ends(kInjected, {Error(IDS_PACKAGE_VERSION_UNREADABLE)}, {}, "1.0.0"),
        Failing("MsiGetPropertyW")),
    Row("missing_message_shows_the_text_before", {}, {}, kYesOk,
        Installs(kFresh, {kAsk, {Message(IDS_PRODUCT_NAME), Message(IDS_ASK_PLUGIN), 0}}),
        [](Os& os) { os.strings.erase(IDS_RESTART_BROWSER_PLUGIN); }),

    // How the installer ends, and the restart.
    Row("restart_needed_norestart", kReboot, {"-silent", "-norestart"}, {},
        {.children = {Msiexec(kFresh)}, .version = "1.1.0", .marker = true}),
    Row("restart_declined", kReboot, {}, kYesNo, Installs(kFresh, {kAsk, kRestart})),
    Row("restart_needed_again", {.packages = kReboot.packages, .marker = true}, {}, kYesNo,
        Installs(kFresh, {kAsk, kRestart})),
    Row("restart_needed_3011", {}, kSilent, {}, {{}, {Msiexec(kFresh)}, 0, "1.1.0", false, true},
        InstallerEnds(3011)),
    Row("restart_needed_1641", {}, {"-norestart", "-silent"}, {},
        {{}, {Msiexec(kFresh)}, 0, "1.1.0", true}, InstallerEnds(1641)),
    // A box that cannot be shown answers neither yes nor no.
    Row("boxes_that_fail", {.marker = true}, {}, {}, Installs(kFresh), Failing("MessageBoxW")),
    Row("marker_left_restart_declined", {.marker = true}, {}, kYesNo,
        Installs(kFresh, {kAsk, kRestart})),
    Row("marker_left_norestart", {.marker = true}, {"-norestart"}, kYesOk,
        {{kAsk, kInstalled}, {Msiexec(kFresh)}, 0, "1.1.0", true}),
    // These two: Wine ends every process of the prefix on a restart.
    Row("restart_accepted", kReboot, {}, {"yes", "yes"},
        {{kAsk, kRestart}, {Msiexec(kFresh)}, 0, "1.1.0", false, true}, Where::Simulated),
    Row("silent_restart_with_nothing_installed", {.installed = "1.1.0", .marker = true}, kSilent,
        {}, {.version = "1.1.0", .restart = true}, Where::Simulated),
    Row("restart_fails", {.marker = true}, {}, {"yes", "yes", "ok"},
        Ends(7, {kAsk, kRestart, Tell(IDS_RESTART_FAILED)}, {Msiexec(kFresh)}, "1.1.0"),
        Set(&Os::restartStarts, false)),
    Row("no_shutdown_privilege_silent", {.marker = true}, kSilent, {},
        Ends(7, {}, {Msiexec(kFresh)}, "1.1.0"), Set(&Os::holdsShutdownPrivilege, false)),
    Row("marker_deleted_without_reg_delete_key_ex", {.marker = true}, {}, kYesNo,
        Installs(kFresh, {kAsk, kRestart}), Set(&Os::hasRegDeleteKeyEx, false)),
    Row("msiexec_fails", {.packages = {{.build = "1.1.0-failing"}}}, {}, kYesOkOk,
        Ends(1603,
             {kAsk, Box{std::nullopt, "This package never installs."},
              PluginFailed(1603, "tavexcom-x64.msi")},
             {Msiexec(kFresh)})),
    Row("plugin_cancelled", {.packages = {{.build = "1.1.0-cancelled"}}}, {}, {"yes"},
        Ends(1602, {kAsk}, {Msiexec(kFresh)})),
    Row("plugin_failure_shown_unsigned", {}, {}, kYesOk,
        Ends(3221225477u, {kAsk, PluginFailed(3221225477u, "tavexcom-x64.msi")}, {Msiexec(kFresh)}),
        InstallerEnds(3221225477u)),
    // The log was named, but msiexec never wrote it.
    Row("msiexec_cannot_start", {}, {}, kYesOk, Ends(kInjected, {kAsk, PluginFailed(kInjected)}),
        Failing("CreateProcessW")),
    Row("exit_code_unreadable", {}, {}, kYesOk,
        Ends(kInjected, {kAsk, PluginFailed(kInjected, "tavexcom-x64.msi")}, {Msiexec(kFresh)},
             "1.1.0"),
        Failing("GetExitCodeProcess")),
    Row("tmp_taken_as_it_is", {.tmp = "temp\\"}, kSilent, {}, Installs(kFresh), Where::Simulated),
    Row("long_tmp", {.tmp = kLongTmp}, kSilent, {}, Installs(kFresh)),
    Row("tmp_unset", {.tmp = std::nullopt}, {}, kYesOkOk,
        Ends(203, {kAsk, Error(IDS_ENVIRONMENT_UNREADABLE), PluginFailed(203)})),
    Row("tmp_empty", {.tmp = ""}, {}, kYesOkOk,
        Ends(203, {kAsk, Error(IDS_ENVIRONMENT_UNREADABLE), PluginFailed(203)})),
    Row("tmp_unset_provider_goes_on", {.providers = {{"csp"}}, .tmp = std::nullopt},
        {"-csp", "-silent"}, {},
        Ends(203, {}, {R"(csp\Setup.exe -args "/qb /Lv! """""" " -noreboot -root -silent)"})),

    // Windows versions.
    Row("windows_nt4_silent", {.windows = "nt40"}, kSilent, {},
        Ends(6, {Refuse(IDS_WINDOWS_TOO_OLD)})),
    Row("windows_2000_sp4", {.windows = "win2k"}, kSilent, {}, Installs(kFresh)),
    Row("windows_2000_before_sp4_silent", {.windows = "5.0"}, kSilent, {}, Ends(3)),
    Row("windows_xp_before_sp2", {.windows = "5.1"}, {}, {"ok"},
        Ends(4, {Refuse(IDS_NEED_WINDOWS_XP_SP2)})),
    Row("windows_2003_before_sp2", {.windows = "5.2"}, {}, {"ok"},
        Ends(5, {Refuse(IDS_NEED_WINDOWS_2003_SP2)})),
    Row("windows_version_unreadable", {}, {}, {}, Ends(2, {Refuse(IDS_VERSION_UNREADABLE)}),
        Failing("GetVersionExW")),
    Row("not_administrator_before_the_version", {.windows = "nt40"}, {}, {},
        Ends(1, {Refuse(IDS_NEED_ADMINISTRATOR)}), Set(&Os::administrator, false)),
    Row("not_administrator_silent", {}, kSilent, {}, Ends(1), Set(&Os::administrator, false)),

    // The providers.
    Row("providers_silent_with_args", Providers({{"csp"}, {"ucsp"}}),
        {"-ucsp", "-CSP", "-silent", "-reinstall", "-UCSPArgs", "B=2", "-CSPArgs", "A=1",
         "-CSPArgs", "C=3", "-KC", "kc2"},
        {},
        Installs(kFresh, {},
                 {Setup("csp", "A=1 C=3 ", " -silent -reinstall"),
                  Setup("ucsp", "B=2 ", " -silent -reinstall")})),
    Row("csp_reinstall", Providers({{"csp"}}), {"-csp", "-reinstall", "-Lang", "rus"}, kYesOk,
        Installs(kFresh, {kCspAsk, kCspDone}, {Setup("csp", "", " -reinstall")})),
    Row("ucsp_restart_offered", {.packages = kReboot.packages, .providers = {{"ucsp"}}}, {"-ucsp"},
        kYesNo, Installs(kFresh, {kUcspAsk, AskRestart(IDS_RESTART_PLUGIN_UCSP)}, {Setup("ucsp")})),
    Row("csp_restart_offered", {.providers = {{"csp"}}, .marker = true}, {"-csp"}, kYesNo,
        Installs(kFresh, {kCspAsk, AskRestart(IDS_RESTART_PLUGIN_CSP)}, {Setup("csp")})),
    Row("both_restart_offered", {.providers = {{"csp"}, {"ucsp"}}, .marker = true},
        {"-csp", "-ucsp"}, kYesNo,
        Installs(kFresh, {kBothAsk, AskRestart(IDS_RESTART_PLUGIN_CSP_UCSP)},
                 {Setup("csp"), Setup("ucsp")})),
    Row("providers_end_3_and_4", Providers({{"csp", 3}, {"ucsp", 4}}), {"-csp", "-ucsp"}, kYesOk,
        Installs(kFresh, {kBothAsk, Tell(IDS_RESTART_BROWSER_PLUGIN_CSP_UCSP)},
                 {Setup("csp"), Setup("ucsp")})),
    Row("ucsp_fails_after_csp_cancelled", Providers({{"csp", 1602}, {"ucsp", 1603}}),
        {"-csp", "-ucsp", "-silent"}, {},
        Ends(1603, {}, {Setup("csp", "", " -silent"), Setup("ucsp", "", " -silent")})),
    Row("csp_fails", Providers({{"csp", 3221225477u}, {"ucsp"}}), {"-csp", "-ucsp"}, kYesOk,
        Ends(3221225477u, {kBothAsk, ProviderFailed(3221225477u, "csp")}, {Setup("csp")})),
    Row("ucsp_asks_restart", Providers({{"ucsp", 3010}}), {"-ucsp"}, kYesOk,
        Ends(3010, {kUcspAsk, ProviderFailed(3010, "ucsp")}, {Setup("ucsp")})),
    Row("csp_folder_missing", {}, {"-csp"}, kYesOk, Ends(3, {kCspAsk, ProviderFailed(3)}),
        Where::Simulated),
    Row("csp_setup_missing", Providers({{"csp", 0, SetupFile::None}}), {"-csp"}, kYesOk,
        Ends(2, {kCspAsk, ProviderFailed(2)})),
    Row("csp_setup_no_program", Providers({{"csp", 0, SetupFile::NoProgram}}), {"-csp"}, kYesOk,
        Ends(193, {kCspAsk, ProviderFailed(193)})),
    // Wine reports a missing folder as 2, where Windows reports 3.
    Row("csp_folder_missing_under_wine", {}, {"-csp"}, kYesOk,
        Ends(2, {kCspAsk, ProviderFailed(2)}), Where::Wine),

    // The configuration dialog, on an English and a Russian Windows.
    Row("config_dialog_next", Providers({{"csp"}}), {"-selectDlg", "-csp"}, {"yes", "next", "ok"},
        Installs(kFresh, {kCspAsk, Dialog({IDC_ENGLISH, IDC_KC1}), kCspDone}, {Setup("csp")})),
    // A dialog that cannot be shown chooses nothing, and the run goes on.
    // What is hidden cannot be clicked: the levels only once the options show.
    Row("config_dialog_options", Providers({{"csp"}}), {"-csp", "-selectDlg"},
        {"yes", "kc3", "options", "kc2", "russian", "options", "kc3", "next", "ok"},
        Installs(kFresh, {kCspAsk, Dialog({IDC_RUSSIAN, IDC_KC2}), kCspDone}, {Setup("csp")})),
    Row("config_dialog_that_fails", Providers({{"csp"}}), {"-csp", "-selectDlg"}, kYesOk,
        Installs(kFresh, {kCspAsk, kCspDone}, {Setup("csp")}), Failing("DialogBoxParamW")),
    Row("config_dialog_not_when_silent", Providers({{"csp"}}), {"-csp", "-selectDlg", "-silent"},
        {}, Installs(kFresh, {}, {Setup("csp", "", " -silent")})),
    Row("config_dialog_only_with_csp", Providers({{"ucsp"}}), {"-selectDlg", "-ucsp"}, kYesOk,
        Installs(kFresh, {kUcspAsk, kUcspDone}, {Setup("ucsp")})),
    Row("russian_config_dialog", {.providers = {{"csp"}}, .russian = true}, {"-csp", "-selectDlg"},
        {"yes", "escape"}, Ends(0, {kCspAsk, Dialog({IDC_RUSSIAN, IDC_KC1})})),
    Row("russian_fresh_asked", {.russian = true}, {}, kYesOk, Installs(kFresh, {kAsk, kInstalled})),
    // Every text whole on screens scaled to 150 and 200 %: the dialog, and the longest boxes.
    Row("dialog_at_150_percent", {.providers = {{"csp"}}, .russian = true, .dpi = 144},
        {"-csp", "-selectDlg"}, {"yes", "next", "ok"},
        Installs(kFresh, {kCspAsk, Dialog({IDC_RUSSIAN, IDC_KC1}), kCspDone}, {Setup("csp")}),
        Where::Wine),
    Row("dialog_at_200_percent", {.providers = {{"csp"}}, .russian = true, .dpi = 192},
        {"-csp", "-selectDlg"}, {"yes", "next", "ok"},
        Installs(kFresh, {kCspAsk, Dialog({IDC_RUSSIAN, IDC_KC1}), kCspDone}, {Setup("csp")}),
        Where::Wine),
    Row("help_at_200_percent", {.russian = true, .dpi = 192}, {"-csp", "-ucsp", "-help"}, {},
        Ends(0, {Help(true, true)}), Where::Wine),
    Row("longest_boxes_at_200_percent",
        {.packages = {{.build = "1.1.0-failing"}},
         .providers = {{"csp"}, {"ucsp"}},
         .russian = true,
         .dpi = 192},
        {"-csp", "-ucsp"}, kYesOkOk,
        Ends(1603,
             {kBothAsk, Box{std::nullopt, "This package never installs."},
              PluginFailed(1603, "tavexcom-x64.msi")},
             {Setup("csp"), Setup("ucsp"), Msiexec(kFresh)}),
        Where::Wine),
    Row("restart_offered_at_200_percent",
        {.providers = {{"csp"}, {"ucsp"}}, .marker = true, .russian = true, .dpi = 192},
        {"-csp", "-ucsp"}, kYesNo,
        Installs(kFresh, {kBothAsk, AskRestart(IDS_RESTART_PLUGIN_CSP_UCSP)},
                 {Setup("csp"), Setup("ucsp")}),
        Where::Wine),
    Row("russian_folders",
        {.providers = {{"csp"}},
         .russian = true,
         .folder = "Дистрибутив Корвел",
         .tmp = "Временные файлы"},
        {"-csp", "-silent"}, {}, Installs(kFresh, {}, {Setup("csp", "", " -silent")})),
};

} // namespace

const std::vector<Scenario>& Scenarios() {
    return kTable;
}

} // namespace korvel::test
