// The scenarios on the built program under Wine (docs/wine.md).
#include "scenario.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>

namespace korvel::test {
namespace {

namespace fs = std::filesystem;
using std::string;

const fs::path kWine = KORVEL_WINE_DIR, kHelper = KORVEL_HELPERS_DIR "/helper.exe";

string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

Strings Split(const string& text, char separator) {
    Strings parts;
    std::istringstream in(text);
    for (string part; std::getline(in, part, separator);)
        parts.push_back(part);
    return parts;
}

string WinPath(const fs::path& path) {
    return std::regex_replace("Z:" + path.string(), std::regex("/"), "\\");
}

fs::path PackageFile(const string& build, const string& arch) {
    return kWine / "packages" / build / ("tavexcom-" + arch + ".msi");
}

// Runs `wine` (with its environment) in `folder`.
void Start(const string& wine, const Strings& args, const fs::path& folder) {
    string command = "cd '" + folder.string() + "' && " + wine;
    for (const string& arg : args)
        command += " '" + std::regex_replace(arg, std::regex("'"), "'\\''") + "'";
    EXPECT_NE(std::system((command + " >/dev/null 2>&1").c_str()), -1);
}

// The plug-in's version, feature state, marker and name, after setting the prefix up.
Strings State(const string& wine, const fs::path& root, Strings set = {"-", "", "-", "", "0"}) {
    set.insert(set.begin(), {kHelper, "state", WinPath(root / "state")});
    Start(wine, set, root);
    Strings state = Split(Read(root / "state"), '\t');
    state.resize(4);
    return state;
}

string Now() {
    const std::time_t now = std::time(nullptr);
    char text[20];
    std::strftime(text, sizeof text, "%Y-%m-%d-%H-%M-%S", std::localtime(&now));
    return text;
}

class Wine : public testing::TestWithParam<Scenario> {};

TEST_P(Wine, Run) {
    const Scenario& row = GetParam();
    const Machine& machine = row.machine;
    if (row.where == Where::Simulated || row.simulate || row.expect.restart)
        GTEST_SKIP() << "a row for the simulated Windows only";
    const fs::path root = kWine / "runs" / row.name, dist = root / machine.folder,
                   tmp = root / (machine.tmp.empty() ? "tmp" : machine.tmp),
                   planted = dist / machine.planted;
    fs::remove_all(root);
    for (const fs::path& folder : {tmp, dist})
        fs::create_directories(folder);
    fs::copy(KORVEL_SETUP_EXE, dist);
    for (const auto& package : machine.packages) {
        const fs::path folder = dist / std::regex_replace(package.folder, std::regex("\\\\"), "/");
        fs::create_directories(folder);
        fs::copy(PackageFile(package.build, package.arch), folder);
    }
    for (const Provider& provider : machine.providers) {
        fs::create_directories(dist / provider.kind);
        if (!provider.setup)
            continue;
        fs::copy(kHelper, dist / provider.kind / "Setup.exe");
        std::ofstream(dist / provider.kind / "Setup.exe.exitcode") << provider.exitCode;
    }

    // Wine takes its own library unless told to search as Windows does.
    const bool library = planted.extension() == ".dll";
    const string wine =
        "WINEPREFIX='" + kWine.string() + (machine.bits32 ? "/prefix-win32'" : "/prefix-win64'") +
        " WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=" +
        (library ? ";" + planted.stem().string() + "=native,builtin'" : "'") +
        (machine.russian ? " LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8" : "") + " timeout 150 wine";
    // Wine's MsiOpenPackageExW refuses another version while its cached package is there.
    const bool aside = !machine.packages.empty() && machine.packages[0].build != machine.installed;
    const bool installed = !machine.installed.empty();
    auto state = State(wine, root,
                       {machine.marker ? "1" : "0", machine.windows,
                        installed ? WinPath(PackageFile(machine.installed, "x64")) : "",
                        machine.featureAbsent ? "ADDLOCAL=Core" : "", aside ? "1" : "0"});
    ASSERT_EQ(state[0], machine.installed);
    ASSERT_EQ(state[1] == "3", installed && !machine.featureAbsent);
    const fs::path trace = library ? fs::path(planted) += ".trace" : root / "children.trace";
    if (!machine.planted.empty()) {
        fs::copy(library ? kHelper.parent_path() / "planted.dll" : kHelper, planted);
        // The control: used, it leaves a trace.
        Start(wine, library ? Strings{kHelper, "load", WinPath(planted)} : Strings{planted}, root);
        ASSERT_TRUE(fs::remove(trace)) << "the planted " << machine.planted << " left no trace";
    }

    Strings drive = {
        kHelper, "drive", WinPath(root / "transcript"), "", machine.tmp.empty() ? "" : WinPath(tmp),
        "--"};
    for (const string& answer : row.answers)
        drive[3] += std::to_string(ButtonId(answer)) + ",";
    drive.push_back(WinPath(dist / "korvel-plugin-setup.exe"));
    drive.insert(drive.end(), row.args.begin(), row.args.end());
    const string started = Now();
    Start(wine, drive, machine.startedAbove ? root : dist);
    const string ended = Now();
    state = State(wine, root);
    Observed seen{.wine = true,
                  .children = Split(Read(dist / "children.trace"), '\n'),
                  .version = state[0],
                  .feature = state[1] == "3",
                  .marker = state[2] == "1",
                  .dist = WinPath(dist),
                  .tmp = drive[4]};
    for (const fs::directory_entry& file : fs::directory_iterator(tmp))
        seen.tmpFiles.push_back(file.path().filename());

    const string transcript = Read(root / "transcript");
    SCOPED_TRACE(transcript);
    std::smatch code;
    ASSERT_TRUE(std::regex_search(transcript, code, std::regex("exit\x1f(\\d+)$")));
    seen.exitCode = static_cast<uint32_t>(std::stoul(code[1]));
    for (const string& record : Split(transcript, '\x1e')) {
        const Strings field = Split(record + "\x1f", '\x1f');
        if (field[0] == "exit")
            break;
        // The style by the buttons: MB_YESNO, MB_OK, other.
        const bool dialog = field[0] == "dialog", ok = field[3] == "1" || dialog;
        Box box{field[1], field[2], field[3] == "6,7" ? 4u : ok ? 0u : 0xFu};
        for (const string& id : Split(field[5], ','))
            box.checked.push_back(std::stoi(id));
        // Wine's own buttons, its "ОК" in Cyrillic.
        if (machine.russian && !dialog)
            EXPECT_EQ(field[4], box.style == 4 ? "&Да,&Нет" : "ОК");
        seen.boxes.push_back(box);
    }
    Check(row, seen);

    // The program tells each log's time stamp on its output.
    const string output = Read(root / "transcript.out");
    EXPECT_TRUE(std::regex_match(output, std::regex(R"((\d{4}(-\d\d){5}\n)*)"))) << output;
    for (const string& file : seen.tmpFiles) {
        const string stamp = file.substr(file.rfind('_') + 1, 19);
        EXPECT_TRUE(started <= stamp && stamp <= ended) << file;
        EXPECT_NE(output.find(stamp + "\n"), string::npos) << file;
    }
    // Wine's msiexec cannot be watched; the product's name tells which package it installed.
    for (const string& child : row.expect.children) {
        if (child.rfind("msiexec", 0) == 0 && !row.expect.version.empty())
            EXPECT_NE(child.find("tavexcom-" + state[3].substr(state[3].rfind(' ') + 1) + ".msi"),
                      string::npos)
                << state[3];
    }
    EXPECT_FALSE(fs::exists(trace)) << "the planted " << machine.planted << " was used";
}

INSTANTIATE_TEST_SUITE_P(Table, Wine, testing::ValuesIn(Scenarios()),
                         [](const auto& row) { return row.param.name; });

} // namespace
} // namespace korvel::test
