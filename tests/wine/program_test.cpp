// The scenarios on the built program under Wine (docs/wine.md). Each row's folder is the
// prefix's drive K:, which Wine prefers to Z: for what lies in it, so that the row's paths are
// as long as the row makes them wherever the tests run.
#include "scenario.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>

#include <sys/wait.h>

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

string Replace(const string& text, const string& from, const string& to) {
    return std::regex_replace(text, std::regex(from), to);
}

// A test package, built when a row first needs it.
string Package(const string& build, const string& arch) {
    const fs::path file = kWine / "packages" / build / ("tavexcom-" + arch + ".msi");
    const string command = "bash " KORVEL_PACKAGES_SCRIPT " " + (kWine / "packages").string() +
                           " " + build + " >/dev/null";
    EXPECT_TRUE(fs::exists(file) || std::system(command.c_str()) == 0) << command;
    return file;
}

// Runs `wine` (with its environment) in `folder`.
void Start(const string& wine, const Strings& args, const fs::path& folder) {
    string command = "cd '" + folder.string() + "' && " + wine;
    for (const string& arg : args)
        command += " '" + Replace(arg, "'", "'\\''") + "'";
    EXPECT_NE(std::system((command + " >/dev/null 2>&1").c_str()), -1);
}

// The plug-in's version, feature state, marker and name, once `setup` has set the prefix up.
Strings State(const string& wine, const fs::path& root, Strings setup = {}) {
    setup.insert(setup.begin(), {kHelper, "state", "--report", "Z:" + (root / "state").string()});
    Start(wine, setup, root);
    Strings state = Split(Read(root / "state"), '\t');
    state.resize(5);
    return state;
}

// `wine` in `prefix` with Wine's own libraries but `native`, and the language's buttons.
string WineIn(const string& prefix, const string& native = "", bool russian = false) {
    return "WINEPREFIX='" + (kWine / prefix).string() + "' WINEDEBUG=-all" +
           (native.empty() ? "" : " WINEDLLOVERRIDES=" + native + "=native,builtin") +
           (russian ? " LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8" : "") + " timeout 150 wine";
}

string Now() {
    const std::time_t now = std::time(nullptr);
    char text[20];
    std::strftime(text, sizeof text, "%Y-%m-%d-%H-%M-%S", std::localtime(&now));
    return text;
}

// A host whose kernel runs 64-bit code only cannot start Wine's 32-bit loader (status 126), and
// so no 32-bit program: there the tests say so and are skipped (docs/wine.md).
void SkipUnless32BitRuns() {
    static const int status = std::system("/usr/lib/wine/wine --version >/dev/null 2>&1");
    if (WIFEXITED(status) && WEXITSTATUS(status) == 126)
        GTEST_SKIP() << "this machine cannot run 32-bit programs (IA-32 emulation is off)";
}

class Wine : public testing::TestWithParam<Scenario> {
    void SetUp() override { SkipUnless32BitRuns(); }
};
class Runtime : public testing::Test {
    void SetUp() override { SkipUnless32BitRuns(); }
};

TEST_P(Wine, Run) {
    const Scenario& row = GetParam();
    const Machine& machine = row.machine;
    if (row.where == Where::Simulated)
        GTEST_SKIP() << "a row for the simulated Windows only";
    const fs::path prefix = kWine / (machine.bits32 ? "prefix-win32" : "prefix-win64");
    const fs::path root = kWine / "runs" / row.name, letter = prefix / "dosdevices" / "k:";
    const auto under = [&](const fs::path& folder, const string& path) {
        return folder / Replace(path, "\\\\", "/");
    };
    const auto onDrive = [&](const fs::path& path) {
        return "K:\\" + Replace(fs::relative(path, root), "/", "\\");
    };
    const fs::path dist = under(root, machine.folder), planted = dist / machine.planted;
    const fs::path tmp = under(root, machine.tmp.value_or("").empty() ? "tmp" : *machine.tmp);
    fs::remove_all(root);
    fs::create_directories(dist);
    fs::create_directories(tmp);
    fs::remove(letter);
    fs::create_directory_symlink(root, letter);
    fs::copy(KORVEL_SETUP_EXE, dist);
    for (const auto& [build, arch, folder, name] : machine.packages) {
        fs::create_directories(under(dist, folder));
        fs::copy_file(Package(build, arch),
                      under(dist, folder) / (name.empty() ? "tavexcom-" + arch + ".msi" : name));
    }
    for (const Provider& provider : machine.providers) {
        fs::create_directories(dist / provider.kind);
        if (provider.setup == SetupFile::Program)
            fs::copy(kHelper, dist / provider.kind / "Setup.exe");
        if (provider.setup == SetupFile::NoProgram)
            std::ofstream(dist / provider.kind / "Setup.exe") << "no program\n";
        std::ofstream(dist / provider.kind / "Setup.exe.exitcode") << provider.exitCode;
    }
    // Wine takes its own library unless told to search as Windows does.
    const bool library = planted.extension() == ".dll";
    const string wine =
        WineIn(prefix.filename(), library ? planted.stem().string() : "", machine.russian);
    const string installed =
        machine.installed.empty() ? "" : "Z:" + Package(machine.installed, "x64");
    Strings setup = {"--marker",     machine.marker ? "1" : "0",
                     "--windows",    machine.windows,
                     "--package",    installed,
                     "--properties", machine.featureAbsent ? "ADDLOCAL=Core" : ""};
    // Wine's MsiOpenPackageExW refuses another version while its cached package is there.
    if (!machine.packages.empty() && machine.packages[0].build != machine.installed)
        setup.push_back("--aside");
    Strings state = State(wine, root, setup);
    ASSERT_EQ(state[0], machine.installed);
    ASSERT_EQ(state[1] == "3", !machine.installed.empty() && !machine.featureAbsent);
    const fs::path trace = library ? fs::path(planted) += ".trace" : root / "children.trace";
    if (!machine.planted.empty()) {
        fs::copy(library ? kHelper.parent_path() / "planted.dll" : kHelper, planted);
        // The control: used, it leaves a trace.
        Start(wine, library ? Strings{kHelper, "load", onDrive(planted)} : Strings{planted}, root);
        ASSERT_TRUE(fs::remove(trace)) << "the planted " << machine.planted << " left no trace";
    }

    Strings drive = {kHelper,     "drive", "--transcript", "Z:" + (root / "transcript").string(),
                     "--answers", ""};
    for (const string& answer : row.answers)
        drive.back() += std::to_string(ButtonId(answer)) + ",";
    if (machine.tmp)
        drive.insert(drive.end(), {"--tmp", machine.tmp->empty() ? "" : onDrive(tmp)});
    // By its name alone where it lies in the working folder, as the long folder needs.
    drive.insert(drive.end(),
                 {"--", machine.startedAbove ? onDrive(dist / "korvel-plugin-setup.exe")
                                             : "korvel-plugin-setup.exe"});
    drive.insert(drive.end(), row.args.begin(), row.args.end());
    const string started = Now();
    Start(wine, drive, machine.startedAbove ? root : dist);
    const string ended = Now();
    state = State(wine, root);
    Observed seen;
    seen.wine = true;
    seen.children = Split(Read(dist / "children.trace"), '\n');
    std::tie(seen.version, seen.feature, seen.marker, seen.sourcePackage) =
        std::tuple(state[0], state[1] == "3", state[2] == "1", state[4]);
    seen.dist = onDrive(dist);
    seen.tmp = machine.tmp.value_or("").empty() ? "" : onDrive(tmp);
    for (const fs::directory_entry& file : fs::directory_iterator(tmp))
        seen.tmpFiles.push_back(file.path().filename());
    // Per box its kind, caption, text, buttons' ids and texts, checked choices, the controls
    // whose text does not fit; then the code.
    const string transcript = Read(root / "transcript");
    SCOPED_TRACE(Replace(transcript, "[\x1e\x1f\n]", " | "));
    for (const string& record : Split(transcript, '\x1e')) {
        const Strings field = Split(record + "\x1f", '\x1f');
        if (field[0] == "exit") {
            seen.exitCode = static_cast<uint32_t>(std::stoul(field[1]));
            continue;
        }
        // The style by the buttons: MB_YESNO, MB_OK, other; Wine's "ОК" is Cyrillic.
        const bool dialog = field[0] == "dialog", ok = field[3] == "1" || dialog;
        Box box{field[1], field[2], field[3] == "6,7" ? 4u : ok ? 0u : 0xFu};
        for (const string& id : Split(field[5], ','))
            box.checked.push_back(std::stoi(id));
        EXPECT_TRUE(!machine.russian || dialog || field[4] == (box.style == 4 ? "&Да,&Нет" : "ОК"));
        EXPECT_EQ(field[6], "") << "the controls whose text is cut off in " << field[1];
        seen.boxes.push_back(box);
    }
    ASSERT_NE(transcript.find("exit\x1f"), string::npos) << "no exit code";
    Check(row, seen);

    // The program tells each log's time stamp on its output.
    const Strings output = Split(Read(root / "transcript.out"), '\n');
    for (const string& line : output)
        EXPECT_TRUE(std::regex_match(line, std::regex(R"(\d{4}(-\d\d){5})"))) << line;
    for (const string& file : seen.tmpFiles) {
        const string stamp = file.substr(file.rfind('_') + 1, 19);
        EXPECT_TRUE(started <= stamp && stamp <= ended) << file;
        EXPECT_NE(std::find(output.begin(), output.end(), stamp), output.end()) << file;
    }
    // Wine's msiexec cannot be watched; the product's name tells which package it installed.
    const string arch = state[3].substr(state[3].rfind(' ') + 1);
    for (const string& child : row.expect.children) {
        const bool installs = child.rfind("msiexec", 0) == 0 && !row.expect.version.empty();
        EXPECT_TRUE(!installs || std::regex_search(child, std::regex("tavexcom[^\\\\\"]*" + arch,
                                                                     std::regex::icase)))
            << state[3];
    }
    EXPECT_FALSE(fs::exists(trace)) << "the planted " << machine.planted << " was used";
}

// Out of memory, the program's runtime ends it with a code of its own and shows nothing.
TEST_F(Runtime, EndsWithItsOwnCodeWhenMemoryRunsOut) {
    const fs::path root = kWine / "runs" / "out_of_memory";
    fs::create_directories(root);
    Start(WineIn("prefix-win64"),
          {kHelper, "drive", "--transcript", "Z:" + (root / "transcript").string(), "--",
           "Z:" KORVEL_HELPERS_DIR "/out_of_memory.exe"},
          root);
    EXPECT_EQ(Read(root / "transcript"), "exit\x1f"
                                         "8");
}

// msi.dll comes from the system folder also with one of the same name beside the program,
// looked for there alone once the search is restricted, else by its full path, as on a
// Windows without SetDefaultDllDirectories.
TEST_F(Runtime, LoadsMsiDllFromTheSystemFolderOnly) {
    const fs::path root = kWine / "runs" / "system_library", program = root / "loads.exe";
    fs::remove_all(root);
    fs::create_directories(root);
    fs::copy(KORVEL_HELPERS_DIR "/system_library.exe", program);
    fs::copy(kHelper.parent_path() / "planted.dll", root / "msi.dll");
    for (const Strings& how : {Strings{"restricted"}, Strings{}}) {
        Strings args = {program, "Z:" + (root / "loaded").string()};
        args.insert(args.end(), how.begin(), how.end());
        Start(WineIn("prefix-win64", "msi"), args, root);
        EXPECT_TRUE(std::regex_search(Read(root / "loaded"),
                                      std::regex(R"(\\system32\\msi\.dll$)", std::regex::icase)))
            << Read(root / "loaded");
        EXPECT_FALSE(fs::exists(root / "msi.dll.trace")) << "the msi.dll beside it was loaded";
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Wine, testing::ValuesIn(Scenarios()),
                         [](const auto& row) { return row.param.name; });

} // namespace
} // namespace korvel::test
