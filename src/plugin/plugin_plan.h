// What becomes of the plug-in: decided from what the Windows Installer reported, the compared
// versions, the options of the run and the user's answer, and nothing else.
#pragma once

#include "plugin/compare_version.h"

#include <cstdint>
#include <string>

namespace korvel {

enum class PluginPlan {
    Fresh,             // not installed: a new installation
    Upgrade,           // the package is later: the product is reinstalled from it
    Reinstall,         // the same version again; under -silent also an earlier one
    AddMissingFeature, // the same version stays: msiexec, without a user interface of its
                       // own, adds the feature NPTAVEX where an earlier installation left it out
    Nothing,           // the same version, under -silent: nothing is run
    Refuse,            // a later version is installed: the user is told, nothing is run
};

struct PluginFacts {
    int32_t productState = 0; // MsiQueryProductStateW
    VersionOrder order = 0;   // of the package against the installed version, when installed
    bool reinstall = false;
    bool silent = false;
    bool reinstallAccepted = false; // the answer to the reinstall question, when it was asked
};

// Whether the user is asked to reinstall the version that is installed already.
bool AsksReinstall(const PluginFacts& facts);

PluginPlan PlanPluginInstallation(const PluginFacts& facts);

// The installer properties for msiexec, ending with the user's `pluginArgs`; `featureAbsent`
// counts for an installed product only.
std::u16string PluginProperties(PluginPlan plan, bool featureAbsent,
                                const std::u16string& pluginArgs);

} // namespace korvel
