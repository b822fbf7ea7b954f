// Runs each scenario on the simulated Windows once for every call that can fail, failing it as
// Windows would, and checks what must hold (--scenario NAME --fail-at N: that run only).
#include "resource.h"
#include "resource_source.h"
#include "simulated_run.h"

#include <iostream>
#include <set>

using namespace korvel::test;
using Os = korvel::sim::SimulatedWindows;
using std::string;

// How a run ends that the call's failure ends: with its own error, or with the code given.
// Every other call's failure leaves the exit code as it would be without it.
constexpr uint32_t kOwn = korvel::sim::kInjectedError;
const std::map<string, uint32_t> kEnds = {{"CommandLineToArgvW", kOwn},
                                          {"IsUserAnAdmin", 1},
                                          {"GetVersionExW", 2},
                                          {"FindFirstFileW", 232},
                                          {"GetCurrentDirectoryW", kOwn},
                                          {"GetEnvironmentVariableW", kOwn},
                                          {"GetSystemDirectoryW", kOwn},
                                          {"CreateProcessW", kOwn},
                                          {"WaitForSingleObject", kOwn},
                                          {"GetExitCodeProcess", kOwn},
                                          {"MsiGetProductInfoW", kOwn},
                                          {"MsiOpenPackageExW", kOwn},
                                          {"MsiGetPropertyW", kOwn},
                                          {"OpenProcessToken", 7},
                                          {"LookupPrivilegeValueW", 7},
                                          {"AdjustTokenPrivileges", 7},
                                          {"ExitWindowsEx", 7}};

// The calls whose failure the program takes for an answer (a box neither yes nor no, 32-bit
// Windows, nothing installed, no feature, no dialog, a dialog that stays, a key not found): the
// run to compare with fails them too, a key with the error of one not found.
const std::set<string> kAnswers = {
    "MessageBoxW",     "IsWow64Process", "MsiQueryProductStateW", "MsiQueryFeatureStateW",
    "DialogBoxParamW", "EndDialog",      "RegOpenKeyExW"};

// What a silent run may show, by text or caption.
const std::set<string> kSilentBoxes = {Message(IDS_WINDOWS_TOO_OLD),
                                       Message(IDS_INSTALLED_VERSION_UNREADABLE),
                                       Message(IDS_PACKAGE_CANNOT_OPEN),
                                       Message(IDS_PACKAGE_VERSION_UNREADABLE),
                                       Message(IDS_PACKAGE_NOT_FOUND),
                                       "Справка",
                                       "Windows Installer",
                                       ""};

static size_t Check(const Scenario& scenario, size_t failAt) {
    Os os, reference;
    Stage(scenario, os);
    Stage(scenario, reference);
    os.failAt = failAt;
    const Observed seen = RunSimulated(scenario, os);
    const string& call = os.failed;
    if (kAnswers.count(call)) {
        reference.failAt = failAt;
        reference.injectedError = call == "RegOpenKeyExW" ? 2 : kOwn; // ERROR_FILE_NOT_FOUND
    }
    const Observed expected = RunSimulated(scenario, reference);
    std::vector<string> found;
    if (!os.handles.empty())
        found.push_back("handles left open");
    // "-silent" counts unless it is the value of "-TavexArgs".
    const auto& args = scenario.args;
    const auto silent = std::find(args.begin(), args.end(), "-silent");
    for (const Box& box : seen.boxes) {
        if (silent != args.end() && (silent == args.begin() || silent[-1] != "-TavexArgs") &&
            !kSilentBoxes.count(*box.caption) && !kSilentBoxes.count(*box.text) &&
            !(call == "LoadStringW" && box.text->empty()))
            found.push_back("a silent run showed \"" + *box.text + "\"");
    }
    const auto ends = kEnds.find(call);
    if (seen.exitCode != expected.exitCode &&
        (ends == kEnds.end() || seen.exitCode != ends->second))
        found.push_back("ended with " + std::to_string(seen.exitCode) + ", not " +
                        std::to_string(expected.exitCode));
    // A folder that cannot be searched holds no package: the next one's may be installed.
    else if (seen.exitCode == 0 && seen.version != expected.version && call != "FindFirstFileW")
        found.push_back("the plug-in at \"" + seen.version + "\", not \"" + expected.version +
                        "\"");
    // A marker that an earlier run left stays when the run ends before it gets to it.
    if (seen.marker && !expected.marker && call.rfind("Reg", 0) != 0 &&
        !(scenario.machine.marker && seen.exitCode != 0))
        found.push_back("the restart marker left behind");
    for (const string& what : found)
        std::cout << "violation: fault_injection --scenario " << scenario.name << " --fail-at "
                  << failAt << " (" << call << " failing): " << what << "\n";
    return found.size();
}

int main(int argc, char** argv) {
    size_t scenarios = 0, failed = 0, violations = 0;
    for (const Scenario& scenario : Scenarios()) {
        if (scenario.where == Where::Wine || (argc == 5 && scenario.name != argv[2]))
            continue;
        Os os;
        Stage(scenario, os);
        RunSimulated(scenario, os);
        const size_t first = argc == 5 ? std::stoul(argv[4]) : 1;
        for (size_t n = first; n <= (argc == 5 ? first : os.failableCalls); ++n, ++failed)
            violations += Check(scenario, n);
        ++scenarios;
    }
    std::cout << "fault injection: " << scenarios << " scenarios, " << failed << " calls failed, "
              << violations << " violations\n";
    return violations == 0 ? 0 : 1;
}
