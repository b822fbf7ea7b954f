// Builders for the machine states the plug-in tests start from.
#pragma once

#include "os/windows_constants.h"
#include "plugin/install_plugin.h"
#include "simulated_windows.h"

#include <string>

namespace korvel::test {

inline const std::u16string kPackages = u"C:\\dist\\packages";
inline const std::u16string kMsiexec = u"C:\\Windows\\system32\\msiexec.exe";

// A package file in the distribution's package folder, with its "ProductVersion".
inline std::u16string AddPackage(sim::SimulatedWindows& os, const std::u16string& name,
                                 const std::u16string& version) {
    os.AddFolder(kPackages);
    const std::u16string path = kPackages + u"\\" + name;
    os.AddFile(path);
    os.packages[path].productVersion = version;
    return path;
}

inline void InstallPluginProduct(sim::SimulatedWindows& os, const std::u16string& version,
                                 int32_t featureState = INSTALLSTATE_DEFAULT) {
    sim::InstalledProduct& product = os.products[kPluginProductCode];
    product.versionString = version;
    product.features[u"NPTAVEX"] = featureState;
}

// The system's msiexec: it ends with `exitCode` after writing the log named after "/Lv!".
inline void AddMsiexec(sim::SimulatedWindows& os, uint32_t exitCode) {
    os.AddProgram(kMsiexec,
                  {exitCode, [](sim::SimulatedWindows& machine, const sim::ProcessRecord& run) {
                       const size_t start = run.commandLine.find(u"/Lv! \"") + 6;
                       const size_t end = run.commandLine.find(u'"', start);
                       machine.AddFile(run.commandLine.substr(start, end - start));
                   }});
}

} // namespace korvel::test
