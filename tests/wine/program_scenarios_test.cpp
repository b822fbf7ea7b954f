// The built setup program under Wine, started from a distribution folder of its own: what
// boxes a user sees for a command line, how the program ends, and what it leaves installed,
// logged and marked in the prefix.

#include "installation.h"
#include "wine_harness.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace korvel::wine {
namespace {

namespace fs = std::filesystem;

const std::string kHelpCaption = "Справка";
const std::string kHelpFirstLine = "Установщик Korvel ЭЦП Browser plug-in.";
const std::string kHelpLineHelp = "  -?\t\t вывести данную справку";
const std::string kHelpLineKc = "  -KC\t\t уровень KC Korvel CSP";
const std::string kProduct = "Korvel ЭЦП Browser plug-in";
const std::string kErrorCaption = "Ошибка";
const std::string kUpdateCaption = "Обновление";
const std::string kAskInstall = "Установить " + kProduct + "?";
const std::string kInstalled = kProduct + " успешно установлен.\n";
const std::string kNeeded = "Для корректной работы " + kProduct + " необходимо ";
const std::string kInstalledRestartBrowser = kInstalled + kNeeded + "перезапустить браузер.";
const std::string kInstalledRestartComputer =
    kInstalled + kNeeded + "перезагрузить компьютер.\nПроизвести перезагрузку сейчас?";
const std::string kFailed =
    "В процессе установки или обновления " + kProduct + " возникла ошибка: ";
// The same text whichever provider failed.
const std::string kProviderFailed = "В процессе установки Korvel CSP возникла ошибка: ";
const int kFeatureInstalled = 3; // INSTALLSTATE_LOCAL
const int kNext = 140;           // the button "Далее" of the configuration dialog
const int kOptions = 1015;       // ... and "Опции"
const std::string kWithCsp = "Korvel ЭЦП Browser plug-in и CSP";
const std::string kWithUcsp = "Korvel ЭЦП Browser plug-in и УЭК CSP";

// Stands in an expected text for the Windows path of the log of a package or provider (a name
// of Outcome::logs), for example "{log of csp}".
std::string log_of(const std::string& name) {
    return "{log of " + name + "}";
}

struct ExpectedBox {
    std::optional<std::string> caption;
    std::optional<std::string> text;       // the whole text
    std::optional<std::string> first_line; // of the text
    std::vector<std::string> lines;        // each a whole line of the text
    std::vector<std::string> absent;       // none occurs anywhere in the text
    std::optional<std::vector<int>> buttons;
    bool dialog = false; // a dialog of the program's own rather than a message box
    std::optional<std::vector<std::string>> button_texts = {}; // as the box labels its buttons
    std::optional<std::vector<std::string>> checked = {};      // the checked radio buttons' texts
};

ExpectedBox box(const std::string& caption, const std::string& text, std::vector<int> buttons) {
    return {caption, text, {}, {}, {}, buttons};
}

ExpectedBox labelled(ExpectedBox expected, std::vector<std::string> button_texts) {
    expected.button_texts = std::move(button_texts);
    return expected;
}

ExpectedBox choosing(ExpectedBox expected, std::vector<std::string> checked) {
    expected.checked = std::move(checked);
    return expected;
}

struct Package {
    const char* build;               // see packages/build.sh: "1.0.0", "1.1.0-reboot", ...
    const char* arch = "x64";        // x64 or win32
    const char* folder = "packages"; // in the distribution folder
};

enum class Cached { InPlace, Aside }; // Aside: for runs that open a package of another version
// Planted beside the program: inside/planted_program.cpp as msiexec.exe, or
// inside/planted_library.cpp as msi.dll with Wine told to prefer such a file to its own, as
// Windows would find it.
enum class Planted { Nothing, Msiexec, MsiDll };
enum class Tmp { Folder, Unset };
enum class Marker { None, Left }; // Left: as by an earlier run that needed a restart
// Russian: Windows with the user-interface language 0x0419, as Wine is in the Unix locale
// ru_RU.UTF-8. RussianFolders: the distribution folder and TMP have Russian names too, as under
// a Russian user's profile.
enum class System { English, Russian, RussianFolders };

// inside/provider_stub.cpp planted as "<kind>\Setup.exe" in the distribution folder.
struct Provider {
    const char* kind; // csp or ucsp
    std::uint32_t exit_code = 0;
};

// The prefix and the distribution folder before the run.
struct Stage {
    std::vector<Package> packages;
    std::vector<Provider> providers = {};
    // A build installed beforehand from its x64 package, optionally followed by msiexec
    // properties that leave the feature NPTAVEX out: "1.1.0 ADDLOCAL=Core".
    const char* installed = nullptr;
    Cached cached = Cached::InPlace;
    Planted planted = Planted::Nothing;
    Tmp tmp = Tmp::Folder;
    Windows windows = Windows::Bits64;
    const char* reported_windows = nullptr; // see ReportedWindows; none: Wine's default
    Marker marker = Marker::None;
    System system = System::English;
};

// The prefix and the TMP folder after the run.
struct Outcome {
    std::optional<std::string> version = {}; // the plug-in's "VersionString"; none: not installed
    // Package file names and provider kinds, each with one log in TMP, in the order of the run.
    std::vector<std::string> logs = {};
    std::vector<std::string> providers = {}; // command lines the providers received, in order
    bool marker = false;                     // HKCU\Software\NeedBstrReboot
};

struct Scenario {
    const char* name;
    Stage stage;
    std::vector<std::string> args;
    std::vector<std::string> answers;
    std::vector<ExpectedBox> boxes; // all boxes, in order
    std::uint32_t exit_code;
    Outcome outcome;
};

void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

const ExpectedBox kHelpBox{kHelpCaption, {}, kHelpFirstLine, {kHelpLineHelp}, {}, {}};
const ExpectedBox kAskInstallBox = box(kProduct, kAskInstall, {kYes, kNo});
const ExpectedBox kInstalledBox = box(kProduct, kInstalledRestartBrowser, {kOk});
const ExpectedBox kNoPackageBox = box(kErrorCaption, "Невозможно найти msi-пакет.", {kOk});
const ExpectedBox kAskReinstallBox = box(
    kUpdateCaption, "Эта версия " + kProduct + " уже установлена. Переустановить?", {kYes, kNo});
const ExpectedBox kAskRestartBox = box(kProduct, kInstalledRestartComputer, {kYes, kNo});

const ExpectedBox kConfigDialog = choosing({"ZUZUdizo",
                                            {},
                                            "www.korvel.ru",
                                            {"Благодарим за выбор Korvel CSP."},
                                            {},
                                            {{kCancel, kNext, kOptions}},
                                            true},
                                           {"English", "KC1"});
const ExpectedBox kAskCspBox = box(kProduct, "Установить " + kWithCsp + "?", {kYes, kNo});
const ExpectedBox kAskBothBox =
    box(kProduct, "Установить Korvel ЭЦП Browser plug-in, CSP и УЭК CSP?", {kYes, kNo});
const ExpectedBox kCspInstalledBox =
    box(kProduct,
        kWithCsp + " успешно установлены.\nДля корректной работы " + kWithCsp +
            " необходимо перезапустить браузер.",
        {kOk});

const Package kNew{"1.1.0"};
const Package kOld{"1.0.0"};

// Wine's Russian buttons; its "ОК" is spelt in Cyrillic letters.
const std::vector<std::string> kRussianYesNo = {"&Да", "&Нет"};
const std::vector<std::string> kRussianOk = {"ОК"};
// The stage of a run on a Russian Windows.
Stage russian(std::vector<Package> packages, std::vector<Provider> providers, System system) {
    return {std::move(packages), std::move(providers), nullptr, Cached::InPlace, Planted::Nothing,
            Tmp::Folder,         Windows::Bits64,      nullptr, Marker::None,    system};
}

const Scenario kScenarios[] = {
    {"help", {}, {"-help"}, {}, {kHelpBox}, 0, {}},
    {"unknown_argument", {}, {"-bogus"}, {}, {kHelpBox}, 0, {}},
    {"csp_then_help",
     {},
     {"-csp", "-help"},
     {},
     {{kHelpCaption, {}, kHelpFirstLine, {kHelpLineHelp, kHelpLineKc}, {}, {}}},
     0,
     {}},
    {"help_then_csp",
     {},
     {"-help", "-csp"},
     {},
     {{kHelpCaption, {}, kHelpFirstLine, {kHelpLineHelp}, {"-KC"}, {}}},
     0,
     {}},
    {"no_argument_declined", {{kNew}}, {}, {"no"}, {kAskInstallBox}, 0, {}},

    // The package for the Windows' architecture, whichever comes first in the folder.
    {"fresh_silent",
     {{{"1.0.0", "win32"}, kNew}},
     {"-silent"},
     {},
     {},
     0,
     {"1.1.0", {"tavexcom-x64.msi"}}},
    {"fresh_silent_32_bit_windows",
     {{kOld, {"1.1.0", "win32"}},
      {},
      nullptr,
      Cached::InPlace,
      Planted::Nothing,
      Tmp::Folder,
      Windows::Bits32},
     {"-silent"},
     {},
     {},
     0,
     {"1.1.0", {"tavexcom-win32.msi"}}},
    {"fresh_asked",
     {{kNew}},
     {},
     {"yes", "ok"},
     {kAskInstallBox, kInstalledBox},
     0,
     {"1.1.0", {"tavexcom-x64.msi"}}},
    {"upgrade_silent",
     {{kNew}, {}, "1.0.0", Cached::Aside},
     {"-silent"},
     {},
     {},
     0,
     {"1.1.0", {"tavexcom-x64.msi"}}},
    {"same_version_silent", {{kNew}, {}, "1.1.0"}, {"-silent"}, {}, {}, 0, {"1.1.0"}},
    {"same_version_reinstall_accepted",
     {{kNew}, {}, "1.1.0"},
     {},
     {"yes", "yes", "ok"},
     {kAskInstallBox, kAskReinstallBox, kInstalledBox},
     0,
     {"1.1.0", {"tavexcom-x64.msi"}}},
    // Without REINSTALL and without /qb: Wine's msiexec shows nothing of its full user interface
    // for a package that has no dialogs.
    {"same_version_reinstall_declined",
     {{kNew}, {}, "1.1.0"},
     {},
     {"yes", "no", "ok"},
     {kAskInstallBox, kAskReinstallBox, kInstalledBox},
     0,
     {"1.1.0", {"tavexcom-x64.msi"}}},
    // Installed without the feature: the declined reinstallation adds it.
    {"feature_absent_reinstall_declined",
     {{kNew}, {}, "1.1.0 ADDLOCAL=Core"},
     {},
     {"yes", "no", "ok"},
     {kAskInstallBox, kAskReinstallBox, kInstalledBox},
     0,
     {"1.1.0", {"tavexcom-x64.msi"}}},
    {"same_version_reinstall_option",
     {{kNew}, {}, "1.1.0"},
     {"-reinstall"},
     {"yes", "ok"},
     {kAskInstallBox, kInstalledBox},
     0,
     {"1.1.0", {"tavexcom-x64.msi"}}},
    {"same_version_reinstall_option_silent",
     {{kNew}, {}, "1.1.0"},
     {"-reinstall", "-silent"},
     {},
     {},
     0,
     {"1.1.0", {"tavexcom-x64.msi"}}},
    {"earlier_package_refused",
     {{kOld}, {}, "1.1.0", Cached::Aside},
     {},
     {"yes", "ok", "ok"},
     {kAskInstallBox,
      box(kUpdateCaption, "Более новая версия " + kProduct + " уже установлена.", {kOk}),
      kInstalledBox},
     0,
     {"1.1.0"}},
    {"earlier_package_silent",
     {{kOld}, {}, "1.1.0", Cached::Aside},
     {"-silent"},
     {},
     {},
     0,
     {"1.0.0", {"tavexcom-x64.msi"}}},

    {"no_package_silent", {}, {"-silent"}, {}, {}, 232, {}},
    // The comparison of versions reports its failure even in a silent run.
    {"installed_no_package_silent",
     {{}, {}, "1.1.0"},
     {"-silent"},
     {},
     {kNoPackageBox},
     232,
     {"1.1.0"}},
    {"no_package_asked",
     {},
     {},
     {"yes", "ok", "ok"},
     {kAskInstallBox, kNoPackageBox, box(kProduct, kFailed + "232.\n", {kOk})},
     232,
     {}},
    // In a 64-bit Windows only the x64 package counts.
    {"win32_package_only", {{{"1.1.0", "win32"}}}, {"-silent"}, {}, {}, 232, {}},
    {"package_in_dot_folder_only", {{{"1.1.0", "x64", ".packages"}}}, {"-silent"}, {}, {}, 232, {}},

    // The search for a bare "msiexec" would start in the program's own folder.
    {"planted_msiexec_ignored",
     {{kNew}, {}, nullptr, Cached::InPlace, Planted::Msiexec},
     {"-silent"},
     {},
     {},
     0,
     {"1.1.0", {"tavexcom-x64.msi"}}},
    // So would the search for an imported or plainly loaded msi.dll.
    {"planted_msi_dll_ignored",
     {{kNew}, {}, nullptr, Cached::InPlace, Planted::MsiDll},
     {"-silent"},
     {},
     {},
     0,
     {"1.1.0", {"tavexcom-x64.msi"}}},

    // msiexec ends with 3010: the marker records the restart the run does not offer.
    {"restart_needed_norestart",
     {{{"1.1.0-reboot"}}},
     {"-silent", "-norestart"},
     {},
     {},
     0,
     {"1.1.0", {"tavexcom-x64.msi"}, {}, true}},
    {"restart_needed_declined",
     {{{"1.1.0-reboot"}}},
     {},
     {"yes", "no"},
     {kAskInstallBox, kAskRestartBox},
     0,
     {"1.1.0", {"tavexcom-x64.msi"}}},
    // The marker that restart_needed_norestart leaves makes the next success offer the restart.
    {"marker_left_restart_declined",
     {{kNew},
      {},
      nullptr,
      Cached::InPlace,
      Planted::Nothing,
      Tmp::Folder,
      Windows::Bits64,
      nullptr,
      Marker::Left},
     {},
     {"yes", "no"},
     {kAskInstallBox, kAskRestartBox},
     0,
     {"1.1.0", {"tavexcom-x64.msi"}}},

    // Wine's msiexec shows the package's launch condition message itself under /qb.
    {"msiexec_fails",
     {{{"1.1.0-failing"}}},
     {},
     {"yes", "ok", "ok"},
     {kAskInstallBox,
      {{}, "This package never installs.", {}, {}, {}, {}},
      box(kProduct, kFailed + "1603.\nInstall log: " + log_of("tavexcom-x64.msi"), {kOk})},
     1603,
     {{}, {"tavexcom-x64.msi"}}},
    // The user's cancel in msiexec ends the run without a report.
    {"plugin_cancelled",
     {{{"1.1.0-cancelled"}}},
     {},
     {"yes"},
     {kAskInstallBox},
     1602,
     {{}, {"tavexcom-x64.msi"}}},
    {"tmp_unset",
     {{kNew}, {}, nullptr, Cached::InPlace, Planted::Nothing, Tmp::Unset},
     {},
     {"yes", "ok", "ok"},
     {kAskInstallBox, box(kErrorCaption, "Невозможно узнать значение переменной окружения.", {kOk}),
      box(kProduct, kFailed + "203.\n", {kOk})},
     203,
     {}},

    // Older Windows versions that Wine reports: before Windows 2000 even a silent run tells why
    // it ends ...
    {"windows_nt4_silent",
     {{kNew}, {}, nullptr, Cached::InPlace, Planted::Nothing, Tmp::Folder, Windows::Bits64, "nt40"},
     {"-silent"},
     {},
     {box(kProduct, "Установка продукта не возможна на ОС старше Windows 2000.", {kOk})},
     6,
     {}},
    // ... Windows 2000 with service pack 4 (Wine's "win2k") is admitted ...
    {"windows_2000_sp4_silent",
     {{kNew},
      {},
      nullptr,
      Cached::InPlace,
      Planted::Nothing,
      Tmp::Folder,
      Windows::Bits64,
      "win2k"},
     {"-silent"},
     {},
     {},
     0,
     {"1.1.0", {"tavexcom-x64.msi"}}},
    // ... earlier service packs are not: the prefix's own (1 in Wine 8) under an older version.
    {"windows_2000_before_sp4_silent",
     {{kNew}, {}, nullptr, Cached::InPlace, Planted::Nothing, Tmp::Folder, Windows::Bits64, "5.0"},
     {"-silent"},
     {},
     {},
     3,
     {}},
    {"windows_xp_before_sp2",
     {{kNew}, {}, nullptr, Cached::InPlace, Planted::Nothing, Tmp::Folder, Windows::Bits64, "5.1"},
     {},
     {"ok"},
     {box(kProduct, "Для установки продукта на Windows XP требуется пакет обновлений SP2.", {kOk})},
     4,
     {}},
    {"windows_2003_before_sp2",
     {{kNew}, {}, nullptr, Cached::InPlace, Planted::Nothing, Tmp::Folder, Windows::Bits64, "5.2"},
     {},
     {"ok"},
     {box(kProduct, "Для установки продукта на Windows 2003 требуется пакет обновлений SP2.",
          {kOk})},
     5,
     {}},

    // The providers' setups, inside/provider_stub.cpp, run from the current folder before the
    // plug-in.
    {"providers_silent_with_args",
     {{kNew}, {{"csp"}, {"ucsp"}}},
     {"-csp", "-ucsp", "-silent", "-CSPArgs", "A=1", "-UCSPArgs", "B=2"},
     {},
     {},
     0,
     {"1.1.0",
      {"csp", "ucsp", "tavexcom-x64.msi"},
      {R"(csp\Setup.exe -args "/qb /Lv! """{log of csp}""" A=1 " -noreboot -root -silent)",
       R"(ucsp\Setup.exe -args "/qb /Lv! """{log of ucsp}""" B=2 " -noreboot -root -silent)"}}},
    {"csp_reinstall_asked",
     {{kNew}, {{"csp"}}},
     {"-csp", "-reinstall"},
     {"yes", "ok"},
     {kAskCspBox, kCspInstalledBox},
     0,
     {"1.1.0",
      {"csp", "tavexcom-x64.msi"},
      {R"(csp\Setup.exe -args "/qb /Lv! """{log of csp}""" " -noreboot -root -reinstall)"}}},
    // 3 and 4 count as success, and so does 1602, the user cancelling the provider's setup.
    {"providers_end_3_and_4",
     {{kNew}, {{"csp", 3}, {"ucsp", 4}}},
     {"-csp", "-ucsp"},
     {"yes", "ok"},
     {kAskBothBox,
      box(kProduct,
          "Korvel ЭЦП Browser plug-in, CSP и UCSP успешно установлены.\nДля корректной работы "
          "Korvel ЭЦП Browser plug-in, CSP и УЭК CSP необходимо перезапустить браузер.",
          {kOk})},
     0,
     {"1.1.0",
      {"csp", "ucsp", "tavexcom-x64.msi"},
      {R"(csp\Setup.exe -args "/qb /Lv! """{log of csp}""" " -noreboot -root)",
       R"(ucsp\Setup.exe -args "/qb /Lv! """{log of ucsp}""" " -noreboot -root)"}}},
    {"ucsp_fails_after_csp_cancelled_silent",
     {{kNew}, {{"csp", 1602}, {"ucsp", 1603}}},
     {"-csp", "-ucsp", "-silent"},
     {},
     {},
     1603,
     {{},
      {"csp", "ucsp"},
      {R"(csp\Setup.exe -args "/qb /Lv! """{log of csp}""" " -noreboot -root -silent)",
       R"(ucsp\Setup.exe -args "/qb /Lv! """{log of ucsp}""" " -noreboot -root -silent)"}}},
    // A failed CSP provider stops the run before the UCSP provider and the plug-in.
    {"csp_fails",
     {{kNew}, {{"csp", 1603}, {"ucsp"}}},
     {"-csp", "-ucsp"},
     {"yes", "ok"},
     {kAskBothBox, box("", kProviderFailed + "1603.\nInstall log: " + log_of("csp"), {kOk})},
     1603,
     {{}, {"csp"}, {R"(csp\Setup.exe -args "/qb /Lv! """{log of csp}""" " -noreboot -root)"}}},
    // Unlike the plug-in's 3010, a provider's stops the run.
    {"ucsp_asks_restart",
     {{kNew}, {{"ucsp", 3010}}},
     {"-ucsp"},
     {"yes", "ok"},
     {box(kProduct, "Установить " + kWithUcsp + "?", {kYes, kNo}),
      box("", kProviderFailed + "3010.\nInstall log: " + log_of("ucsp"), {kOk})},
     3010,
     {{}, {"ucsp"}, {R"(ucsp\Setup.exe -args "/qb /Lv! """{log of ucsp}""" " -noreboot -root)"}}},
    // Wine reports the missing folder as 2, where Windows reports 3 (tests/wine/README.md).
    {"csp_folder_missing",
     {{kNew}},
     {"-csp"},
     {"yes", "ok"},
     {kAskCspBox, box("", kProviderFailed + "2.\n", {kOk})},
     2,
     {}},
    {"config_dialog_escape",
     {{kNew}, {{"csp"}}},
     {"-csp", "-selectDlg"},
     {"yes", "escape"},
     {kAskCspBox, kConfigDialog},
     0,
     {}},
    {"config_dialog_next",
     {{kNew}, {{"csp"}}},
     {"-csp", "-selectDlg"},
     {"yes", std::to_string(kNext), "ok"},
     {kAskCspBox, kConfigDialog, kCspInstalledBox},
     0,
     {"1.1.0",
      {"csp", "tavexcom-x64.msi"},
      {R"(csp\Setup.exe -args "/qb /Lv! """{log of csp}""" " -noreboot -root)"}}},

    // On a Russian Windows the dialog starts on "Русский", and Wine's buttons read in Russian.
    {"russian_config_dialog",
     russian({kNew}, {{"csp"}}, System::Russian),
     {"-csp", "-selectDlg"},
     {"yes", "escape"},
     {labelled(kAskCspBox, kRussianYesNo), choosing(kConfigDialog, {"Русский", "KC1"})},
     0,
     {}},
    {"russian_fresh_asked",
     russian({kNew}, {}, System::Russian),
     {},
     {"yes", "ok"},
     {labelled(kAskInstallBox, kRussianYesNo), labelled(kInstalledBox, kRussianOk)},
     0,
     {"1.1.0", {"tavexcom-x64.msi"}}},
    // Russian names of the start folder and of TMP reach the logs and the command lines of
    // msiexec and of the provider's setup intact.
    {"russian_folders",
     russian({kNew}, {{"csp"}}, System::RussianFolders),
     {"-csp"},
     {"yes", "ok"},
     {labelled(kAskCspBox, kRussianYesNo), labelled(kCspInstalledBox, kRussianOk)},
     0,
     {"1.1.0",
      {"csp", "tavexcom-x64.msi"},
      {R"(csp\Setup.exe -args "/qb /Lv! """{log of csp}""" " -noreboot -root)"}}},
};

std::string replace_all(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string local_time(std::time_t when) {
    std::tm parts{};
    localtime_r(&when, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d-%H-%M-%S", &parts);
    return text;
}

std::string regex_escape(const std::string& text) {
    static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    return std::regex_replace(text, special, R"(\$&)");
}

// The Windows path of each log found in TMP, by its placeholder (see log_of).
using LogPaths = std::map<std::string, std::string>;

std::string expand(std::string text, const LogPaths& logs) {
    for (const auto& [placeholder, path] : logs)
        text = replace_all(text, placeholder, path);
    return text;
}

// The log of each expected package or provider: named "<name>_<local time of the run>.log"; no
// other file in TMP. Returns the file names in the order of `expected`, "" for a missing one.
std::vector<std::string> check_logs(const Distribution& distribution,
                                    const std::vector<std::string>& expected,
                                    const std::string& started, const std::string& ended) {
    std::vector<std::string> files = distribution.tmp_files();
    std::vector<std::string> found;
    for (const std::string& package : expected) {
        const std::regex name(regex_escape(package) + R"(_(\d{4}(-\d\d){5})\.log)");
        const auto log = std::find_if(files.begin(), files.end(), [&](const std::string& file) {
            return std::regex_match(file, name);
        });
        found.emplace_back();
        if (log == files.end()) {
            ADD_FAILURE() << "no log of " << package << " in TMP";
            continue;
        }
        const std::string stamp = log->substr(package.size() + 1, 19);
        EXPECT_TRUE(started <= stamp && stamp <= ended)
            << *log << " is not stamped with the time of the run (" << started << " to " << ended
            << ")";
        found.back() = *log;
        files.erase(log);
    }
    for (const std::string& file : files)
        ADD_FAILURE() << "unexpected file in TMP: " << file;
    return found;
}

void check_box(const ExpectedBox& expected, const Box& box, const LogPaths& logs) {
    const std::vector<std::string> lines = box.lines();
    EXPECT_EQ(box.dialog, expected.dialog) << "a dialog rather than a message box";
    if (expected.caption) {
        EXPECT_EQ(box.caption, *expected.caption);
    }
    if (expected.text) {
        EXPECT_EQ(box.text, expand(*expected.text, logs));
    }
    if (expected.first_line) {
        EXPECT_EQ(lines.front(), *expected.first_line);
    }
    for (const std::string& line : expected.lines) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end())
            << "no line \"" << line << "\"";
    }
    for (const std::string& fragment : expected.absent) {
        EXPECT_EQ(box.text.find(fragment), std::string::npos) << "\"" << fragment << "\" occurs";
    }
    if (expected.buttons) {
        EXPECT_EQ(box.buttons, *expected.buttons);
    }
    if (expected.button_texts) {
        EXPECT_EQ(box.button_texts, *expected.button_texts);
    }
    if (expected.checked) {
        EXPECT_EQ(box.checked, *expected.checked) << "checked choices";
    }
}

// The package that msiexec opened, as its verbose log records it. Wine writes the log in the
// ANSI code page of the system.
std::string logged_package(const std::string& log, const char* code_page) {
    std::ifstream in(log, std::ios::binary);
    std::string ansi{std::istreambuf_iterator<char>(in), {}};
    // A character of a single-byte code page takes at most 3 bytes in UTF-8.
    std::string text(ansi.size() * 3, '\0');
    char* from = ansi.data();
    size_t from_left = ansi.size();
    char* to = text.data();
    size_t to_left = text.size();
    iconv_t convert = iconv_open("UTF-8", code_page);
    if (convert == reinterpret_cast<iconv_t>(-1))
        return "(no conversion from " + std::string(code_page) + ")";
    iconv(convert, &from, &from_left, &to, &to_left);
    iconv_close(convert);
    text.resize(text.size() - to_left);
    const std::string property = "Property(S): OriginalDatabase = ";
    size_t at = text.find(property);
    if (at == std::string::npos)
        return {};
    at += property.size();
    return text.substr(at, text.find_first_of("\r\n", at) - at);
}

// Each package that a log of `found` (as check_logs returns them for `expected`) belongs to was
// opened by msiexec from the distribution folder.
void check_packages_opened(const Stage& stage, const Distribution& distribution,
                           const std::vector<std::string>& expected,
                           const std::vector<std::string>& found) {
    for (size_t i = 0; i < found.size(); ++i) {
        const auto package =
            std::find_if(stage.packages.begin(), stage.packages.end(), [&](const Package& p) {
                return fs::path(package_file(p.build, p.arch)).filename() == expected[i];
            });
        if (found[i].empty() || package == stage.packages.end())
            continue;
        EXPECT_EQ(logged_package(distribution.tmp() + "/" + found[i],
                                 stage.system == System::English ? "CP1252" : "CP1251"),
                  windows_path(distribution.folder() + "/" + package->folder + "/" + expected[i]))
            << "the package that msiexec opened";
    }
}

// Makes Wine look for msi.dll as Windows looks for a library it does not protect.
const char* const kPreferPlantedMsi = "msi=native,builtin";

// Proves that the planted library would leave a trace if anything loaded it.
void plant_msi_dll(Distribution& distribution, const std::string& trace,
                   const std::string& prefix) {
    distribution.add(inside_file("msi.dll"), "msi.dll");
    ASSERT_TRUE(distribution.problem.empty()) << distribution.problem;
    WineRun control;
    control.prefix = prefix;
    // The 32-bit rundll32, like the setup program that would load the library.
    const fs::path windows = fs::path(prefix) / "drive_c" / "windows";
    control.program =
        (fs::exists(windows / "syswow64") ? windows / "syswow64" : windows / "system32") /
        "rundll32.exe";
    control.args = {windows_path(distribution.folder() + "/msi.dll") + ",Trace"};
    control.dll_overrides = kPreferPlantedMsi;
    run_in_wine(control);
    ASSERT_TRUE(fs::exists(trace)) << "the planted msi.dll wrote no trace when loaded";
    fs::remove(trace);
}

// Proves that the planted program would leave a trace if anything started it.
void plant_msiexec(Distribution& distribution, const std::string& trace,
                   const std::string& prefix) {
    distribution.add(inside_exe("msiexec"), "msiexec.exe");
    ASSERT_TRUE(distribution.problem.empty()) << distribution.problem;
    const WineCommand control =
        run_wine_command({(fs::path(distribution.folder()) / "msiexec.exe").string()}, prefix);
    ASSERT_EQ(control.status, 0) << control.problem << control.output;
    ASSERT_TRUE(fs::exists(trace)) << "the planted msiexec.exe wrote no trace when started";
    fs::remove(trace);
}

void place_provider(Distribution& distribution, const Provider& provider) {
    const std::string setup = std::string(provider.kind) + "/Setup.exe";
    distribution.add(inside_exe("provider-stub"), setup);
    std::ofstream exit_code(fs::path(distribution.folder()) / (setup + ".exitcode"));
    exit_code << provider.exit_code;
    EXPECT_TRUE(exit_code.good()) << "cannot write the exit code of " << setup;
}

// What the providers' setups received, in the order they started, and what each found in TMP
// at its start (inside/provider_stub.cpp).
struct ProviderStarts {
    std::vector<std::string> command_lines;
    std::vector<std::string> tmp_files; // comma lists, sorted
};

ProviderStarts read_provider_trace(const std::string& trace) {
    ProviderStarts starts;
    std::ifstream in(trace, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        const size_t tab = line.rfind('\t');
        starts.command_lines.push_back(line.substr(0, tab));
        starts.tmp_files.push_back(tab == std::string::npos ? "" : line.substr(tab + 1));
    }
    return starts;
}

void check_providers(const ProviderStarts& starts, const Outcome& outcome,
                     const std::vector<std::string>& logs, const LogPaths& paths) {
    std::vector<std::string> expected;
    for (const std::string& command_line : outcome.providers)
        expected.push_back(expand(command_line, paths));
    EXPECT_EQ(starts.command_lines, expected) << "command lines of the providers' setups";
    // Outcome::logs follows the run: each provider finds the logs of what ran before it.
    for (size_t i = 0; i < starts.tmp_files.size() && i <= logs.size(); ++i) {
        std::vector<std::string> before(logs.begin(), logs.begin() + static_cast<long>(i));
        std::sort(before.begin(), before.end());
        std::string listing;
        for (const std::string& file : before)
            listing += (listing.empty() ? "" : ",") + file;
        EXPECT_EQ(starts.tmp_files[i], listing) << "TMP when provider " << i + 1 << " started";
    }
}

class SetupProgram : public testing::TestWithParam<Scenario> {};

TEST_P(SetupProgram, Run) {
    const Scenario& scenario = GetParam();
    const Stage& stage = scenario.stage;

    const std::string prefix = suite_prefix(stage.windows);

    const std::string reset = reset_prefix(prefix);
    ASSERT_TRUE(reset.empty()) << reset;
    if (stage.installed) {
        std::istringstream words(stage.installed);
        std::string build;
        words >> build;
        const std::vector<std::string> properties{std::istream_iterator<std::string>(words), {}};
        const std::string installed =
            install_package(package_file(build, "x64"), prefix, properties);
        ASSERT_TRUE(installed.empty()) << installed;
        if (!properties.empty()) {
            ASSERT_NE(query_plugin(prefix).feature, kFeatureInstalled)
                << "the feature NPTAVEX after msiexec /i " << stage.installed;
        }
    }
    if (stage.marker == Marker::Left) {
        const std::string left = leave_marker(prefix);
        ASSERT_TRUE(left.empty()) << left;
    }
    std::unique_ptr<ReportedWindows> reported;
    if (stage.reported_windows) {
        reported = std::make_unique<ReportedWindows>(stage.reported_windows, prefix);
        ASSERT_TRUE(reported->problem.empty()) << reported->problem;
    }
    std::unique_ptr<CachedPackageAside> aside;
    if (stage.cached == Cached::Aside) {
        aside = std::make_unique<CachedPackageAside>(query_plugin(prefix).local_package, prefix);
        ASSERT_TRUE(aside->problem.empty()) << aside->problem;
    }

    const bool russian_folders = stage.system == System::RussianFolders;
    Distribution distribution(scenario.name, russian_folders ? "Дистрибутив Корвел" : "setup",
                              russian_folders ? "Временные файлы" : "tmp");
    for (const Package& package : stage.packages) {
        const std::string file = package_file(package.build, package.arch);
        distribution.add(file,
                         std::string(package.folder) + "/" + fs::path(file).filename().string());
    }
    for (const Provider& provider : stage.providers)
        place_provider(distribution, provider);
    ASSERT_TRUE(distribution.problem.empty()) << distribution.problem;
    const std::string trace = distribution.folder() + "/msiexec.exe.trace";
    const std::string libraryTrace = distribution.folder() + "/msi.dll.trace";
    if (stage.planted == Planted::Msiexec)
        plant_msiexec(distribution, trace, prefix);
    if (stage.planted == Planted::MsiDll)
        plant_msi_dll(distribution, libraryTrace, prefix);
    if (HasFatalFailure())
        return;

    WineRun run;
    run.prefix = prefix;
    run.program = distribution.program();
    run.args = scenario.args;
    run.answers = scenario.answers;
    run.current_folder = distribution.folder();
    Variable tmp{"TMP", std::nullopt};
    if (stage.tmp == Tmp::Folder)
        tmp.value = windows_path(distribution.tmp());
    run.environment.push_back(tmp);
    if (stage.planted == Planted::MsiDll)
        run.dll_overrides = kPreferPlantedMsi;
    if (stage.system != System::English)
        run.locale = "ru_RU.UTF-8";
    const std::string started = local_time(std::time(nullptr));
    const Transcript transcript = run_in_wine(run);
    const std::string ended = local_time(std::time(nullptr));

    ASSERT_TRUE(transcript.problems.empty()) << transcript;
    const std::vector<std::string> logs =
        check_logs(distribution, scenario.outcome.logs, started, ended);
    LogPaths paths;
    for (size_t i = 0; i < logs.size(); ++i)
        if (!logs[i].empty())
            paths[log_of(scenario.outcome.logs[i])] =
                windows_path(distribution.tmp() + "/" + logs[i]);
    if (scenario.outcome.version)
        check_packages_opened(stage, distribution, scenario.outcome.logs, logs);
    EXPECT_EQ(transcript.boxes.size(), scenario.boxes.size()) << transcript;
    for (size_t i = 0; i < std::min(scenario.boxes.size(), transcript.boxes.size()); ++i) {
        SCOPED_TRACE("box " + std::to_string(i + 1));
        check_box(scenario.boxes[i], transcript.boxes[i], paths);
    }
    EXPECT_EQ(transcript.exit_code, scenario.exit_code);
    check_providers(read_provider_trace(distribution.folder() + "/providers.trace"),
                    scenario.outcome, logs, paths);

    const ProductState after = query_plugin(prefix);
    ASSERT_TRUE(after.problem.empty()) << after.problem;
    EXPECT_EQ(after.version, scenario.outcome.version) << "installed \"VersionString\"";
    if (after.version) {
        EXPECT_EQ(after.feature, kFeatureInstalled) << "the feature NPTAVEX";
    }
    EXPECT_EQ(after.marker_32, scenario.outcome.marker) << "HKCU\\Software\\NeedBstrReboot";
    // HKCU\Software is one key for 32-bit and 64-bit programs (and a 32-bit Windows has one
    // view).
    EXPECT_EQ(after.marker_64, after.marker_32);
    EXPECT_FALSE(fs::exists(trace)) << "the planted msiexec.exe ran";
    EXPECT_FALSE(fs::exists(libraryTrace)) << "the planted msi.dll was loaded";
    if (testing::Test::HasFailure())
        ADD_FAILURE() << "what the program did:" << transcript;
}

std::string scenario_name(const testing::TestParamInfo<Scenario>& param) {
    return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(Wine, SetupProgram, testing::ValuesIn(kScenarios), scenario_name);

} // namespace
} // namespace korvel::wine
