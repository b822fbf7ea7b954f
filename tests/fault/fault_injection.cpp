// Runs each scenario once to count the calls that can fail, then once more for every one
// of them with that call failing as Windows would make it fail, and checks what must hold
// whatever fails: the run ends with a result code, that code is not 0 unless the work was
// done, a silent run shows only the boxes it may show, every handle is closed, and the
// restart marker is left only where a restart is really needed.
//
//   fault_injection                                  all scenarios, every call
//   fault_injection --scenario NAME --fail-at N      one run, to reproduce a violation
#include "driver/main_flow.h"
#include "machine.h"
#include "resource.h"
#include "simulated_dialog.h"
#include "string_table.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace korvel {
namespace {

using sim::SimulatedWindows;

const std::u16string kPackage = u"C:\\dist\\packages\\tavexcom-x64.msi";
const std::u16string kMarker = u"HKCU\\Software\\NeedBstrReboot";

struct Scenario {
    const char* name;
    const char16_t* tail;
    std::function<void(SimulatedWindows&)> prepare;
    // What an exit code of 0 must mean on the machine afterwards.
    std::function<bool(const SimulatedWindows&)> done;
    bool restartNeeded = false;
};

bool PluginAt(const SimulatedWindows& os, const std::u16string& version) {
    const auto product = os.products.find(kPluginProductCode);
    return product != os.products.end() && product->second.versionString == version;
}

bool Ran(const SimulatedWindows& os, const std::u16string& program) {
    for (const sim::ProcessRecord& process : os.processes) {
        if (process.program == program)
            return true;
    }
    return false;
}

void Distribution(SimulatedWindows& os, uint32_t msiexecExit = 0) {
    test::AddPackage(os, u"tavexcom-x64.msi", u"1.1");
    test::AddMsiexec(os, msiexecExit);
    os.AddFolder(u"C:\\dist\\csp");
    os.AddProgram(u"C:\\dist\\csp\\Setup.exe", {});
    os.AddFolder(u"C:\\dist\\ucsp");
    os.AddProgram(u"C:\\dist\\ucsp\\Setup.exe", {});
}

const auto kNewVersion = [](const SimulatedWindows& os) { return PluginAt(os, u"1.1"); };

std::vector<Scenario> Scenarios() {
    return {
        {"fresh", u"", [](SimulatedWindows& os) { Distribution(os); }, kNewVersion},
        {"fresh_silent", u"-silent", [](SimulatedWindows& os) { Distribution(os); }, kNewVersion},
        {"upgrade_silent", u"-silent",
         [](SimulatedWindows& os) {
             Distribution(os);
             test::InstallPluginProduct(os, u"1.0");
         },
         kNewVersion},
        {"reinstall_question", u"",
         [](SimulatedWindows& os) {
             Distribution(os);
             test::InstallPluginProduct(os, u"1.1", INSTALLSTATE_ABSENT);
         },
         [](const SimulatedWindows& os) { return kNewVersion(os) && Ran(os, test::kMsiexec); }},
        {"providers_silent", u"-csp -ucsp -silent -CSPArgs A=1 -UCSPArgs B=2",
         [](SimulatedWindows& os) { Distribution(os); },
         [](const SimulatedWindows& os) {
             return kNewVersion(os) && Ran(os, u"C:\\dist\\csp\\Setup.exe") &&
                    Ran(os, u"C:\\dist\\ucsp\\Setup.exe");
         }},
        {"dialog", u"-csp -selectDlg",
         [](SimulatedWindows& os) {
             Distribution(os);
             // Each pressed again, as a user would when nothing seems to happen.
             os.dialogInputs = {sim::Click(IDC_OPTIONS), sim::Click(IDC_OPTIONS),
                                sim::Click(IDC_NEXT), sim::Click(IDC_NEXT)};
         },
         [](const SimulatedWindows& os) {
             return kNewVersion(os) && Ran(os, u"C:\\dist\\csp\\Setup.exe");
         }},
        {"restart_offer", u"", [](SimulatedWindows& os) { Distribution(os, 3010); }, kNewVersion,
         true},
        {"restart_silent", u"-silent", [](SimulatedWindows& os) { Distribution(os, 3011); },
         kNewVersion, true},
        {"earlier_marker_no_restart", u"-norestart",
         [](SimulatedWindows& os) {
             Distribution(os);
             os.AddKey(32, kMarker);
         },
         kNewVersion},
        {"help", u"-csp -help", [](SimulatedWindows&) {},
         [](const SimulatedWindows&) { return true; }},
    };
}

// The boxes a silent run may show: Windows older than 2000, and the version comparison's
// errors.
bool AllowedWhenSilent(const sim::MessageBoxRecord& box) {
    static const std::set<uint16_t> kAllowed = {
        IDS_WINDOWS_TOO_OLD, IDS_INSTALLED_VERSION_UNREADABLE, IDS_PACKAGE_CANNOT_OPEN,
        IDS_PACKAGE_VERSION_UNREADABLE, IDS_PACKAGE_NOT_FOUND};
    for (const uint16_t id : kAllowed) {
        if (box.text == sim::Catalogue().at(id))
            return true;
    }
    return false;
}

struct Run {
    uint32_t exitCode = 0;
    std::string escaped;
};

Run Execute(const Scenario& scenario, SimulatedWindows& os) {
    Run run;
    os.commandLine = u"korvel-plugin-setup.exe " + std::u16string(scenario.tail);
    SetupOptions setup;
    try {
        run.exitCode = RunSetup(os, setup, nullptr, scenario.tail);
    } catch (const std::exception& exception) {
        run.escaped = exception.what();
    }
    return run;
}

std::vector<std::string> Violations(const Scenario& scenario, const SimulatedWindows& os,
                                    const Run& run, bool markerBefore) {
    std::vector<std::string> found;
    if (!run.escaped.empty())
        found.push_back("an exception escaped: " + run.escaped);
    if (run.escaped.empty() && run.exitCode == 0 && !scenario.done(os))
        found.push_back("exit code 0, but the installation did not complete");
    if (std::u16string(scenario.tail).find(u"-silent") != std::u16string::npos) {
        for (const sim::MessageBoxRecord& box : os.boxes) {
            if (!AllowedWhenSilent(box))
                found.push_back("a silent run showed \"" + sim::ToUtf8(box.text) + "\"");
        }
    }
    if (os.OpenHandleCount() != 0)
        found.push_back(std::to_string(os.OpenHandleCount()) + " handle(s) left open");
    if (os.HasKey(32, kMarker) && !markerBefore && !scenario.restartNeeded)
        found.push_back("the restart marker was left although no restart is needed");
    return found;
}

// Runs the scenario with call `failAt` failing (0: none); returns the calls that could fail.
size_t RunOnce(const Scenario& scenario, size_t failAt, size_t& violations, bool verbose) {
    SimulatedWindows os;
    scenario.prepare(os);
    os.failAt = failAt;
    const bool markerBefore = os.HasKey(32, kMarker);
    const Run run = Execute(scenario, os);
    for (const std::string& violation : Violations(scenario, os, run, markerBefore)) {
        ++violations;
        std::printf("violation in %s with call %zu (%s) failing: %s\n"
                    "  reproduce: fault_injection --scenario %s --fail-at %zu\n",
                    scenario.name, failAt, os.failedCall.c_str(), violation.c_str(), scenario.name,
                    failAt);
    }
    if (verbose) {
        std::printf("%s, call %zu (%s) failing: exit code %u, %zu box(es)\n", scenario.name, failAt,
                    os.failedCall.c_str(), run.exitCode, os.boxes.size());
        for (const sim::MessageBoxRecord& box : os.boxes)
            std::printf("  box \"%s\"\n", sim::ToUtf8(box.text).c_str());
    }
    return os.callsThatCanFail;
}

} // namespace
} // namespace korvel

int main(int argc, char** argv) {
    const char* only = nullptr;
    size_t failAt = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--scenario") == 0)
            only = argv[i + 1];
        else if (std::strcmp(argv[i], "--fail-at") == 0)
            failAt = std::stoul(argv[i + 1]);
    }
    size_t scenarios = 0, failed = 0, violations = 0;
    for (const korvel::Scenario& scenario : korvel::Scenarios()) {
        if (only != nullptr) {
            if (std::strcmp(only, scenario.name) == 0)
                korvel::RunOnce(scenario, failAt, violations, true);
            continue;
        }
        ++scenarios;
        const size_t calls = korvel::RunOnce(scenario, 0, violations, false);
        for (size_t call = 1; call <= calls; ++call, ++failed)
            korvel::RunOnce(scenario, call, violations, false);
    }
    if (only == nullptr)
        std::printf("fault injection: %zu scenarios, %zu calls failed, %zu violations\n", scenarios,
                    failed, violations);
    return violations == 0 ? 0 : 1;
}
