#include "simulated_run.h"

#include "driver/main_flow.h"
#include "plugin/install_plugin.h"
#include "resource.h"
#include "resource_source.h"

#include <map>

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
    const std::string file =
        package.name.empty() ? "tavexcom-" + package.arch + ".msi" : package.name;
    const Text path = dist + (package.folder.empty() ? u"" : u"\\" + FromUtf8(package.folder)) +
                      u"\\" + FromUtf8(file);
    const std::string variant =
        package.build.substr(std::min(package.build.find('-'), package.build.size()));
    static const std::map<std::string, uint32_t> kResults = {
        {"", 0}, {"-reboot", 3010}, {"-cancelled", 1602}, {"-failing", 1603}, {"-unversioned", 0}};
    os.AddFile(path);
    os.packages[path] = {variant == "-unversioned" ? u"" : Version(package.build),
                         kResults.at(variant),
                         variant == "-failing" ? u"This package never installs." : u""};
}

// The Windows versions that the Wine rows make Wine report.
OsVersionInfoEx Reported(const std::string& windows) {
    static const std::map<std::string, OsVersionInfoEx> kVersions = {
        {"", {6, 1, 1}},    {"nt40", {4, 0, 6}}, {"win2k", {5, 0, 4}},
        {"5.0", {5, 0, 1}}, {"5.1", {5, 1, 1}},  {"5.2", {5, 2, 1}}};
    return kVersions.at(windows);
}

} // namespace

void Stage(const Scenario& scenario, sim::SimulatedWindows& os) {
    const Machine& machine = scenario.machine;
    const Text dist = Dist(machine);
    os.programFolder = dist;
    os.currentDirectory = machine.startedAbove ? kWork : dist;
    os.args = {dist + u"\\korvel-plugin-setup.exe"};
    for (const std::string& argument : scenario.args)
        os.args.push_back(FromUtf8(argument));
    os.AddFile(os.args[0]);
    for (const Package& package : machine.packages)
        AddPackage(os, dist, package);
    for (const Provider& provider : machine.providers) {
        const Text setup = dist + u"\\" + FromUtf8(provider.kind) + u"\\Setup.exe";
        const bool none = provider.setup == SetupFile::None;
        os.AddFile(none ? sim::ParentOf(setup) : setup, none ? 0x10 : 0x80);
        if (provider.setup == SetupFile::Program)
            os.programs[sim::Fold(setup)] = provider.exitCode;
    }
    if (!machine.installed.empty())
        os.products[kPluginProductCode] = {5, Version(machine.installed),
                                           machine.featureAbsent ? 2 : sim::INSTALLSTATE_LOCAL, u"",
                                           u"\\\\server\\plug-in"};
    if (machine.marker)
        os.keys[u"32\\SOFTWARE\\NEEDBSTRREBOOT"] = 0;
    os.version = Reported(machine.windows);
    os.wow64 = !machine.bits32;
    os.uiLanguage = machine.russian ? 0x0419 : 0x0409;
    os.environment.erase(u"TMP");
    if (machine.tmp)
        os.environment[u"TMP"] =
            machine.tmp->empty() ? u"" : kWork + u"\\" + FromUtf8(*machine.tmp);
    if (machine.tmp && !machine.tmp->empty())
        os.AddFile(os.environment[u"TMP"], 0x10);
    if (!machine.planted.empty())
        os.AddFile(dist + u"\\" + FromUtf8(machine.planted));
    // The dialog's clicks, Escape among them; the boxes' buttons.
    for (const std::string& answer : scenario.answers) {
        const int id = ButtonId(answer);
        (id == IDC_NEXT || id == ButtonId("escape") || id >= IDC_RUSSIAN ? os.clicks : os.answers)
            .push_back(id);
    }
    if (scenario.simulate)
        scenario.simulate(os);
}

Observed RunSimulated(const Scenario& scenario, sim::SimulatedWindows& os) {
    Observed seen;
    SetupOptions setup;
    // The command line after the program's name, as the entry point is given it.
    Text tail;
    for (size_t i = 1; i < os.args.size(); ++i)
        tail += (i > 1 ? u" \"" : u"\"") + os.args[i] + u"\"";
    seen.exitCode = RunSetup(os, setup, tail);
    for (const sim::Box& box : os.boxes)
        seen.boxes.push_back({ToUtf8(box.caption), ToUtf8(box.text), box.style, {}, box.checked});
    for (const Text& child : os.children)
        seen.children.push_back(ToUtf8(child));
    if (const auto product = os.products.find(kPluginProductCode); product != os.products.end()) {
        seen.version = ToUtf8(product->second.version);
        seen.feature = product->second.feature == sim::INSTALLSTATE_LOCAL;
        seen.sourcePackage = ToUtf8(product->second.packageName);
    }
    if (const auto tmp = os.environment.find(u"TMP"); tmp != os.environment.end()) {
        seen.tmp = ToUtf8(tmp->second);
        for (const auto& [path, attributes] : os.files) {
            if (!tmp->second.empty() && sim::Fold(sim::ParentOf(path)) == sim::Fold(tmp->second))
                seen.tmpFiles.push_back(ToUtf8(sim::NameOf(path)));
        }
    }
    seen.marker = os.HasKey(u"Software\\NeedBstrReboot");
    seen.restart = os.restarted;
    seen.dist = ToUtf8(Dist(scenario.machine));
    return seen;
}

} // namespace korvel::test
