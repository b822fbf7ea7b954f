#include "plugin/install_plugin.h"

#include "driver/message_catalogue.h"
#include "exec/plugin_msiexec.h"
#include "os/windows_constants.h"
#include "plugin/compare_version.h"

namespace korvel {

const char16_t* const kPluginProductCode = u"{5B0E2C71-8D34-4F6A-9C1E-3A7D2B904E68}";

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
        os.MessageBoxW(nullptr, LoadMessage(os, IDS_LATER_PLUGIN_INSTALLED),
                       LoadMessage(os, IDS_UPDATE_CAPTION), MB_ICONERROR);
        return Decision::Refuse;
    }
    return Decision::Install;
}

} // namespace

bool IsWindows64Bit(WindowsApi& os) {
    if (!os.isWow64Process.lookedUp) {
        const ModuleHandle kernel = os.GetModuleHandleW(u"kernel32");
        if (kernel == nullptr)
            return false;
        os.isWow64Process.address = os.GetProcAddress(kernel, "IsWow64Process");
        os.isWow64Process.lookedUp = true;
    }
    bool wow64 = false;
    return os.isWow64Process.address != nullptr &&
           os.IsWow64Process(os.isWow64Process.address, os.GetCurrentProcess(), wow64) && wow64;
}

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
