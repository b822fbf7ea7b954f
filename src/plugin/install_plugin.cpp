#include "plugin/install_plugin.h"

#include "common/message_catalogue.h"
#include "os/windows_constants.h"
#include "plugin/plugin_msiexec.h"
#include "plugin/plugin_plan.h"

namespace korvel {

namespace {

// This 32-bit program runs under WOW64 exactly on 64-bit Windows; a Windows without
// IsWow64Process, or a failing call, counts as 32-bit.
std::u16string PackageMask(WindowsApi& os) {
    return os.IsWow64Process().value_or(false) ? u"tavexcom*x64*" : u"tavexcom*win32*";
}

int ShowUpdateBox(WindowsApi& os, MessageId message, uint32_t style) {
    return os.MessageBoxW(LoadMessage(os, message), LoadMessage(os, IDS_UPDATE_CAPTION), style);
}

} // namespace

uint32_t InstallPlugin(WindowsApi& os, const std::u16string& pluginArgs, bool silent,
                       std::u16string& logPath, bool reinstall) {
    const std::u16string mask = PackageMask(os);
    PluginFacts facts{os.MsiQueryProductStateW(kPluginProductCode), 0, reinstall, silent};
    if (facts.productState == INSTALLSTATE_DEFAULT) {
        if (const uint32_t failed = ComparePackageVersion(os, kPluginProductCode, facts.order))
            return failed;
        if (AsksReinstall(facts))
            facts.reinstallAccepted =
                ShowUpdateBox(os, IDS_ASK_REINSTALL_PLUGIN, MB_YESNO) == IDYES;
    }
    const PluginPlan plan = PlanPluginInstallation(facts);
    if (plan == PluginPlan::Refuse) {
        // An error box has only an OK button.
        ShowUpdateBox(os, IDS_LATER_PLUGIN_INSTALLED, MB_ICONERROR);
        return 0;
    }
    if (plan == PluginPlan::Nothing)
        return 0;
    const bool featureAbsent =
        plan != PluginPlan::Fresh &&
        os.MsiQueryFeatureStateW(kPluginProductCode, u"NPTAVEX") == INSTALLSTATE_ABSENT;
    return RunPluginMsiexec(os, kPluginProductCode, mask,
                            PluginProperties(plan, featureAbsent, pluginArgs), silent, logPath);
}

} // namespace korvel
