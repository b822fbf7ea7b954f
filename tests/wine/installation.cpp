#include "installation.h"

#include "plugin/install_plugin.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace korvel::wine {

// The program's own product code; its text is plain ASCII.
const std::string kProductCode(std::begin(korvel::kPluginProductCode),
                               std::end(korvel::kPluginProductCode) - 1);

namespace {

namespace fs = std::filesystem;

constexpr int kInstalled = 5;

std::string command_failure(const std::string& what, const WineCommand& command) {
    if (!command.problem.empty())
        return what + ": " + command.problem;
    return what + " ended with status " + std::to_string(command.status) + "\n" + command.output;
}

void parse_state(const std::string& report, ProductState& state) {
    std::istringstream lines(report);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        const std::string key = line.substr(0, tab);
        const std::string value = line.substr(tab + 1);
        if (key == "state")
            state.state = std::stoi(value);
        else if (key == "version")
            state.version = value;
        else if (key == "local-package")
            state.local_package = value;
        else if (key == "feature")
            state.feature = std::stoi(value);
        else if (key == "marker-32")
            state.marker_32 = value == "1";
        else if (key == "marker-64")
            state.marker_64 = value == "1";
        else if (key == "windows-changed")
            state.windows_changed = value == "1";
    }
}

// The name by which Wine's AppDefaults know the program (Distribution keeps it).
std::string program_name() {
    return fs::path(setup_exe()).filename().string();
}

std::string change_prefix(const std::vector<std::string>& args, const std::string& prefix) {
    std::vector<std::string> command = {inside_exe("prefix-state")};
    command.insert(command.end(), args.begin(), args.end());
    const WineCommand change = run_wine_command(command, prefix);
    if (change.status != 0)
        return command_failure("prefix-state.exe " + args.front(), change);
    return {};
}

} // namespace

std::string package_file(const std::string& build, const std::string& arch) {
    return std::string(KORVEL_WINE_PACKAGES_DIR) + "/" + build + "/tavexcom-" + arch + ".msi";
}

ProductState query_plugin(const std::string& prefix) {
    ProductState state;
    fs::create_directories(work_folder());
    const fs::path report =
        fs::path(work_folder()) / ("prefix-state-" + std::to_string(getpid()) + ".txt");
    fs::remove(report);
    const WineCommand command = run_wine_command(
        {inside_exe("prefix-state"), kProductCode, windows_path(report.string()), program_name()},
        prefix);
    if (command.status != 0) {
        state.problem = command_failure("prefix-state.exe", command);
        return state;
    }
    std::ifstream in(report);
    std::ostringstream content;
    content << in.rdbuf();
    fs::remove(report);
    parse_state(content.str(), state);
    if (state.state == kInstalled && !state.version)
        state.problem = "the plug-in is installed, but its \"VersionString\" cannot be read";
    return state;
}

std::string reset_prefix(const std::string& prefix) {
    const ProductState state = query_plugin(prefix);
    if (!state.problem.empty())
        return state.problem;
    // Each start of Wine costs a tenth of a second or more; most cases change nothing here.
    if (state.marker_32 || state.marker_64) {
        const std::string dropped = change_prefix({"--drop-marker"}, prefix);
        if (!dropped.empty())
            return dropped;
    }
    if (state.windows_changed) {
        const std::string undone = change_prefix({"--undo-windows", program_name()}, prefix);
        if (!undone.empty())
            return undone;
    }
    if (state.state != kInstalled)
        return {};
    // Only the product's absence counts: a package may ask for a restart (3010) even on its
    // removal.
    const WineCommand uninstall = run_wine_command({"msiexec", "/x", kProductCode, "/qn"}, prefix);
    const ProductState removed = query_plugin(prefix);
    if (!removed.problem.empty())
        return removed.problem;
    if (removed.state == kInstalled)
        return command_failure("msiexec /x left the plug-in installed: msiexec /x", uninstall);
    return {};
}

std::string install_package(const std::string& package, const std::string& prefix,
                            const std::vector<std::string>& properties) {
    std::vector<std::string> command = {"msiexec", "/i", windows_path(package), "/qn"};
    command.insert(command.end(), properties.begin(), properties.end());
    const WineCommand install = run_wine_command(command, prefix);
    if (install.status != 0)
        return command_failure("msiexec /i " + package, install);
    const ProductState state = query_plugin(prefix);
    if (state.state != kInstalled)
        return "msiexec /i " + package + " left the plug-in not installed";
    return state.problem;
}

std::string leave_marker(const std::string& prefix) {
    return change_prefix({"--leave-marker"}, prefix);
}

ReportedWindows::ReportedWindows(const std::string& version, const std::string& prefix)
    : prefix_(prefix) {
    problem = change_prefix({"--report-windows", program_name(), version}, prefix);
}

ReportedWindows::~ReportedWindows() {
    change_prefix({"--undo-windows", program_name()}, prefix_);
}

std::string prefix_path(const std::string& windows, const std::string& prefix) {
    std::string path = windows;
    if (path.size() < 3 || (path[0] != 'C' && path[0] != 'c') || path.compare(1, 2, ":\\") != 0)
        return {};
    std::replace(path.begin(), path.end(), '\\', '/');
    return prefix + "/drive_c/" + path.substr(3);
}

CachedPackageAside::CachedPackageAside(const std::string& local_package, const std::string& prefix)
    : prefix_(prefix), windows_(local_package), original_(prefix_path(local_package, prefix)) {
    if (original_.empty() || !fs::is_regular_file(original_)) {
        problem = "no cached package at \"" + local_package + "\"";
        original_.clear();
        return;
    }
    aside_ = work_folder() + "/cached-package-aside-" + std::to_string(getpid()) + ".msi";
    std::error_code error;
    fs::rename(original_, aside_, error);
    if (error) {
        problem = "cannot move " + original_ + " aside: " + error.message();
        original_.clear();
    }
}

CachedPackageAside::~CachedPackageAside() {
    if (original_.empty())
        return;
    std::error_code ignored;
    // A run that replaced the product made a cached package of its own.
    if (query_plugin(prefix_).local_package == windows_ && !fs::exists(original_))
        fs::rename(aside_, original_, ignored);
    else
        fs::remove(aside_, ignored);
}

Distribution::Distribution(const std::string& name, const std::string& folder_name,
                           const std::string& tmp_name) {
    const fs::path root = fs::path(work_folder()) / "dist" / name;
    folder_ = (root / folder_name).string();
    tmp_ = (root / tmp_name).string();
    std::error_code error;
    fs::remove_all(root, error);
    if (!error)
        fs::create_directories(folder_, error);
    if (!error)
        fs::create_directories(tmp_, error);
    if (!error)
        fs::copy_file(setup_exe(), program(), error);
    if (error)
        problem = "cannot make the distribution folder " + root.string() + ": " + error.message();
}

std::string Distribution::program() const {
    return folder_ + "/" + fs::path(setup_exe()).filename().string();
}

void Distribution::add(const std::string& source, const std::string& relative) {
    const fs::path target = fs::path(folder_) / relative;
    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    if (!error)
        fs::copy_file(source, target, fs::copy_options::overwrite_existing, error);
    if (error && problem.empty())
        problem = "cannot copy " + source + " to " + target.string() + ": " + error.message();
}

std::vector<std::string> Distribution::tmp_files() const {
    std::vector<std::string> names;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(tmp_, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace korvel::wine
