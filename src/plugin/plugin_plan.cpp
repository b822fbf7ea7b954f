#include "plugin/plugin_plan.h"

#include "os/windows_constants.h"

namespace korvel {

static bool IsInstalled(const PluginFacts& facts) {
    // Advertised, or installed for another user, is not installed for this machine.
    return facts.productState == INSTALLSTATE_DEFAULT;
}

bool AsksReinstall(const PluginFacts& facts) {
    return IsInstalled(facts) && facts.order == 0 && !facts.reinstall && !facts.silent;
}

PluginPlan PlanPluginInstallation(const PluginFacts& facts) {
    if (!IsInstalled(facts))
        return PluginPlan::Fresh;
    if (facts.order == 0 && !facts.reinstall) {
        if (facts.silent)
            return PluginPlan::Nothing;
        return facts.reinstallAccepted ? PluginPlan::Reinstall : PluginPlan::AddMissingFeature;
    }
    if (facts.order > 0)
        return PluginPlan::Upgrade;
    // A silent run is not refused: it reinstalls from the earlier package.
    return facts.order < 0 && !facts.silent ? PluginPlan::Refuse : PluginPlan::Reinstall;
}

std::u16string PluginProperties(PluginPlan plan, bool featureAbsent,
                                const std::u16string& pluginArgs) {
    if (plan == PluginPlan::Fresh)
        return u" /qb" + pluginArgs;
    // Each of these begins with its own blank, and msiexec's command line puts one before all.
    std::u16string properties = (featureAbsent ? u" ADDLOCAL=NPTAVEX" : u"") + pluginArgs;
    if (plan == PluginPlan::AddMissingFeature)
        return properties;
    return u"REINSTALL=ALL REINSTALLMODE=vomus /qb" + properties;
}

} // namespace korvel
