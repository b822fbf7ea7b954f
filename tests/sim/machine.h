// Builders for the machine states the tests start from.
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

// The text between `opening` and the next double quote.
inline std::u16string QuotedAfter(const std::u16string& commandLine,
                                  const std::u16string& opening) {
    const size_t start = commandLine.find(opening);
    if (start == std::u16string::npos)
        return {};
    const size_t end = commandLine.find(u'"', start + opening.size());
    return commandLine.substr(start + opening.size(), end - start - opening.size());
}

// The system's msiexec. It writes the log named after "/Lv!" and ends with `exitCode`;
// when that means success it installs the package as the Windows Installer would: another
// version of an installed product is replaced only with REINSTALL, otherwise 1638.
inline void AddMsiexec(sim::SimulatedWindows& os, uint32_t exitCode) {
    os.AddProgram(
        kMsiexec,
        {exitCode,
         [exitCode](sim::SimulatedWindows& machine,
                    const sim::ProcessRecord& run) -> std::optional<uint32_t> {
             machine.AddFile(QuotedAfter(run.commandLine, u"/Lv! \""));
             const auto package = machine.packages.find(QuotedAfter(run.commandLine, u"/i \""));
             if (package == machine.packages.end())
                 return 1619; // ERROR_INSTALL_PACKAGE_OPEN_FAILED
             const std::u16string version = package->second.productVersion.value_or(u"");
             const auto installed = machine.products.find(kPluginProductCode);
             const bool replacing =
                 installed != machine.products.end() && installed->second.versionString != version;
             if (replacing && run.commandLine.find(u"REINSTALL=ALL") == std::u16string::npos)
                 return 1638; // ERROR_PRODUCT_VERSION
             const bool succeeds = exitCode == 0 || exitCode == ERROR_SUCCESS_REBOOT_REQUIRED ||
                                   exitCode == ERROR_SUCCESS_RESTART_REQUIRED ||
                                   exitCode == ERROR_SUCCESS_REBOOT_INITIATED;
             if (succeeds)
                 InstallPluginProduct(machine, version);
             return std::nullopt;
         }});
}

} // namespace korvel::test
