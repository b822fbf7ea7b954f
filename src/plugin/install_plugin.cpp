#include "plugin/install_plugin.h"

#include "common/message_catalogue.h"
#include "os/windows_constants.h"
#include "plugin/compare_version.h"
#include "plugin/plugin_msiexec.h"
#include "system/windows_bitness.h"

namespace korvel {

namespace {

const char16_t* const kFreshInstall = u" /qb";
const char16_t* const kAddFeature = u" ADDLOCAL=NPTAVEX";
const char16_t* const kReinstall = u"REINSTALL=ALL REINSTALLMODE=vomus /qb";

std::u16string PackageMask(WindowsApi& os) {
    return IsWindows64Bit(os) ? u"tavexcom*x64*" : u"tavexcom*win32*";
}

// What to do with an installed product once the versions are known.
enum class Decision { Install, Nothing, Refuse };

Decision Decide(WindowsApi& os, VersionOrder order, bool silent, bool& reinstall) {
    if (!reinstall && order == 0) {
        if (silent)
            return Decision::Nothing;
        reinstall = os.MessageBoxW(nullptr, LoadMessage(os, IDS_ASK_REINSTALL_PLUGIN),
                                   LoadMessage(os, IDS_UPDATE_CAPTION), MB_YESNO) == IDYES;
        return Decision::Install;
    }
    reinstall = true;
    // A silent run cannot be refused: it reinstalls from the earlier package.
    if (order < 0 && !silent) {
        // An error box has only an OK button.
        os.MessageBoxW(nullptr, LoadMessage(os, IDS_LATER_PLUGIN_INSTALLED),
                       LoadMessage(os, IDS_UPDATE_CAPTION), MB_ICONERROR);
        return Decision::Refuse;
    }
    return Decision::Install;
}

} // namespace

uint32_t InstallPlugin(WindowsApi& os, const std::u16string& pluginArgs, bool silent,
                       std::u16string& logPath, bool reinstall) {
    const std::u16string mask = PackageMask(os);
    if (os.MsiQueryProductStateW(kPluginProductCode) != INSTALLSTATE_DEFAULT) {
        return RunPluginMsiexec(os, kPluginProductCode, mask, kFreshInstall + pluginArgs, silent,
                                logPath);
    }
    VersionOrder order = 0;
    if (const uint32_t failed = ComparePackageVersion(os, kPluginProductCode, order))
        return failed;
    switch (Decide(os, order, silent, reinstall)) {
    case Decision::Nothing:
    case Decision::Refuse:
        return 0;
    case Decision::Install:
        break;
    }
    std::u16string properties = pluginArgs;
    if (os.MsiQueryFeatureStateW(kPluginProductCode, u"NPTAVEX") == INSTALLSTATE_ABSENT)
        properties = kAddFeature + properties;
    if (reinstall)
        properties = kReinstall + properties;
    return RunPluginMsiexec(os, kPluginProductCode, mask, properties, silent, logPath);
}

} // namespace korvel
