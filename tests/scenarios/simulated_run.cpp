#include "simulated_run.h"

#include "driver/main_flow.h"

namespace korvel::test {

using sim::Text;

namespace {

const Text kWork = u"C:\\work";

Text Dist(const Machine& machine) {
    return kWork + u"\\" + FromUtf8(machine.folder);
}

Text Version(const std::string& build) {
    return FromUtf8(build.substr(0, build.find('-')));
}

// A test package as msiexec ends it (scenario.h).
void AddPackage(sim::SimulatedWindows& os, const Text& dist, const Package& package) {
    const Text folder = package.folder.empty() ? u"" : u"\\" + FromUtf8(package.folder);
    const Text path = dist + folder + u"\\tavexcom-" + FromUtf8(package.arch) + u".msi";
    static const std::map<std::string, uint32_t> kResults = {
        {"", 0}, {"-reboot", 3010}, {"-cancelled", 1602}, {"-failing", 1603}};
    const size_t dash = std::min(package.build.find('-'), package.build.size());
    const uint32_t result = kResults.at(package.build.substr(dash));
    os.AddFile(path);
    os.packages[path] = {Version(package.build), result,
                         result == 1603 ? u"This package never installs." : u""};
}

// The Windows versions that the Wine rows make Wine report.
OsVersionInfoEx Reported(const std::string& windows) {
    static const std::map<std::string, OsVersionInfoEx> kVersions = {
        {"", {0, 6, 1, 1}},    {"nt40", {0, 4, 0, 6}}, {"win2k", {0, 5, 0, 4}},
        {"5.0", {0, 5, 0, 1}}, {"5.1", {0, 5, 1, 1}},  {"5.2", {0, 5, 2, 1}}};
    return kVersions.at(windows);
}

// Quoted so that the Windows split gives each argument back whole.
Text Quote(const Text& argument) {
    Text quoted = u"\"";
    for (const char16_t c : argument)
        quoted += c == u'"' ? u"\\\"" : Text(1, c);
    return quoted + u"\"";
}

} // namespace

void Stage(const Scenario& scenario, sim::SimulatedWindows& os) {
    const Machine& machine = scenario.machine;
    const Text dist = Dist(machine);
    os.programFolder = dist;
    os.currentDirectory = machine.startedAbove ? kWork : dist;
    os.AddFile(dist + u"\\korvel-plugin-setup.exe");
    for (const Package& package : machine.packages)
        AddPackage(os, dist, package);
    for (const Provider& provider : machine.providers) {
        const Text folder = dist + u"\\" + FromUtf8(provider.kind);
        provider.setup ? os.AddProgram(folder + u"\\Setup.exe", provider.exitCode)
                       : os.AddFolder(folder);
    }
    if (!machine.installed.empty())
        os.products[kPluginProductCode] = {5, Version(machine.installed),
                                           machine.featureAbsent ? 2 : 3};
    if (machine.marker)
        os.AddKey(u"Software\\NeedBstrReboot");
    os.version = Reported(machine.windows);
    os.wow64 = !machine.bits32;
    os.uiLanguage = machine.russian ? 0x0419 : 0x0409;
    os.environment.erase(u"TMP");
    if (!machine.tmp.empty()) {
        os.environment[u"TMP"] = kWork + u"\\" + FromUtf8(machine.tmp);
        os.AddFolder(os.environment[u"TMP"]);
    }
    if (!machine.planted.empty())
        os.AddFile(dist + u"\\" + FromUtf8(machine.planted));
    os.commandLine = Quote(dist + u"\\korvel-plugin-setup.exe");
    for (const std::string& argument : scenario.args)
        os.commandLine += u" " + Quote(FromUtf8(argument));
    for (const std::string& answer : scenario.answers) {
        const bool dialog = answer == "next" || answer == "escape";
        (dialog ? os.dialogClicks : os.answers).push_back(ButtonId(answer));
    }
    if (scenario.simulate)
        scenario.simulate(os);
}

Observed RunSimulated(const Scenario& scenario, sim::SimulatedWindows& os) {
    Observed observed;
    SetupOptions setup;
    const Text tail = os.commandLine.substr(os.commandLine.find(u".exe\"") + 5);
    observed.exitCode =
        RunSetup(os, setup, sim::kProgramModule, tail.empty() ? tail : tail.substr(1));
    observed.boxes = os.boxes;
    observed.children = os.children;
    const auto product = os.products.find(kPluginProductCode);
    if (product != os.products.end() && product->second.state == 5) {
        observed.version = ToUtf8(product->second.version);
        observed.feature = product->second.feature == 3;
    }
    const auto tmp = os.environment.find(u"TMP");
    if (tmp != os.environment.end()) {
        observed.tmp = ToUtf8(tmp->second);
        for (const Text& file : os.FilesIn(tmp->second))
            observed.tmpFiles.push_back(ToUtf8(file));
    }
    observed.marker = os.HasKey(u"Software\\NeedBstrReboot");
    observed.restart = os.restarted;
    observed.dist = ToUtf8(Dist(scenario.machine));
    return observed;
}

} // namespace korvel::test
