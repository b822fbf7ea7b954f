// Runs each scenario on the simulated Windows once for every call that can fail, failing it as
// Windows would, and checks what must hold (--scenario NAME --fail-at N: that run only).
#include "resource.h"
#include "simulated_run.h"

#include <iostream>

using namespace korvel::test;
using std::string;

// The calls whose failure the program absorbs by design, as it says at each: closing, the
// source list, the restart marker, a search, a missing text or log, the dialog's parts.
const std::regex kAbsorbed(".*Close.*|DestroyIcon|MsiSourceList.*|Reg.*|FindFirstFileW|"
                           "FindResourceW|GetEnvironmentVariableW|LoadImageW|GetModuleHandleW|"
                           ".*DlgButton.*|MsiQuery.*");

// The calls whose failure reads as an answer, and a machine that gives it without failing.
const std::map<string, void (*)(korvel::sim::SimulatedWindows&)> kAnswers = {
    {"MessageBoxW", [](auto& os) { os.answers.assign(16, 0); }}, // neither yes nor no
    {"IsWow64Process", [](auto& os) { os.wow64 = false; }},
    {"DialogBoxParamW", [](auto& os) { os.dialogClicks = {IDC_NEXT}; }}, // choices as they are
    {"EndDialog", [](auto& os) { os.dialogClicks.clear(); }}}; // a dialog that stays: escaped

// What a silent run may show, by text or caption; a text that failed to load is empty.
const std::set<string> kSilentBoxes = {
    Message(IDS_WINDOWS_TOO_OLD),
    Message(IDS_INSTALLED_VERSION_UNREADABLE),
    Message(IDS_PACKAGE_CANNOT_OPEN),
    Message(IDS_PACKAGE_VERSION_UNREADABLE),
    Message(IDS_PACKAGE_NOT_FOUND),
    "Справка",
    "Windows Installer",
};

// "-silent" counts unless it is the value of the option before it.
static bool Silent(const std::vector<string>& args) {
    const auto at = std::find(args.begin(), args.end(), "-silent");
    const std::regex valueOption("-(tavex|csp|ucsp)args|-kc|-lang", std::regex::icase);
    return at != args.end() && (at == args.begin() || !std::regex_match(at[-1], valueOption));
}

// The run with call `failAt` failing must end as the one without it, or with its answer.
static size_t Check(const Scenario& scenario, size_t failAt) {
    korvel::sim::SimulatedWindows os, reference;
    Stage(scenario, os);
    Stage(scenario, reference);
    os.failAt = failAt;
    std::vector<string> found;
    const Observed seen = RunSimulated(scenario, os);
    const string& call = os.failedCall;
    const auto answer = kAnswers.find(call);
    if (answer != kAnswers.end())
        answer->second(reference);
    const Observed expected = RunSimulated(scenario, reference);
    if (os.OpenHandleCount() != 0)
        found.push_back("handles left open");
    for (const Box& box : seen.boxes)
        if (Silent(scenario.args) && !kSilentBoxes.count(*box.caption) &&
            !kSilentBoxes.count(*box.text) && !(call == "FindResourceW" && box.text->empty()))
            found.push_back("a silent run showed \"" + *box.text + "\"");
    const bool absorbed = answer != kAnswers.end() || std::regex_match(call, kAbsorbed);
    if (seen.exitCode == 0 && (!absorbed || seen.version != expected.version))
        found.push_back("a failed call reported as success, the plug-in at " + seen.version);
    // A marker that an earlier run left stays when the run ends before it gets to it.
    if (seen.marker && !expected.marker && call != "RegOpenKeyExW" && call != "RegDeleteKeyW" &&
        !(scenario.machine.marker && seen.exitCode != 0))
        found.push_back("the restart marker left behind");
    for (const string& what : found)
        std::cout << "violation: fault_injection --scenario " << scenario.name << " --fail-at "
                  << failAt << " (" << os.failedCall << " failing): " << what << "\n";
    return found.size();
}

int main(int argc, char** argv) {
    size_t scenarios = 0, failed = 0, violations = 0;
    for (const Scenario& scenario : Scenarios()) {
        if (scenario.where == Where::Wine || (argc == 5 && scenario.name != argv[2]))
            continue;
        korvel::sim::SimulatedWindows os;
        Stage(scenario, os);
        RunSimulated(scenario, os);
        const size_t first = argc == 5 ? std::stoul(argv[4]) : 1;
        for (size_t n = first; n <= (argc == 5 ? first : os.callsThatCanFail); ++n, ++failed)
            violations += Check(scenario, n);
        ++scenarios;
    }
    std::cout << "fault injection: " << scenarios << " scenarios, " << failed << " calls failed, "
              << violations << " violations\n";
    return violations == 0 ? 0 : 1;
}
