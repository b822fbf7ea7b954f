// The Windows Installer of the simulated Windows. Its msiexec installs another version of the
// installed product only with REINSTALL=ALL, as the Windows Installer does.
#include "simulated_windows.h"

#include "plugin/install_plugin.h"

namespace korvel {

using namespace sim;

// Windows' own values, not the program's names for them.
constexpr int32_t INSTALLSTATE_UNKNOWN = -1, INSTALLSTATE_DEFAULT = 5;
constexpr uint32_t MSIOPENPACKAGEFLAGS_IGNOREMACHINESTATE = 1, MSIINSTALLCONTEXT_MACHINE = 4;
constexpr uint32_t MSICODE_PRODUCT = 0, MB_OK = 0;
constexpr uint32_t ERROR_INVALID_HANDLE = 6, ERROR_INVALID_PARAMETER = 87;
constexpr uint32_t ERROR_UNKNOWN_PRODUCT = 1605, ERROR_INSTALL_PACKAGE_OPEN_FAILED = 1619;
constexpr uint32_t ERROR_INSTALL_LOG_FAILURE = 1622, ERROR_PRODUCT_VERSION = 1638;

uint32_t WindowsApi::MsiSetInternalUI(uint32_t level) {
    Sim(*this, "MsiSetInternalUI " + std::to_string(level));
    return 5; // INSTALLUILEVEL_DEFAULT, the level before
}

int32_t WindowsApi::MsiQueryProductStateW(const Text& product) {
    SimulatedWindows& os = Sim(*this, __func__);
    const auto found = os.products.find(product);
    return os.Fails() || found == os.products.end() ? INSTALLSTATE_UNKNOWN : found->second.state;
}

int32_t WindowsApi::MsiQueryFeatureStateW(const Text& product, const Text& feature) {
    SimulatedWindows& os = Sim(*this, __func__);
    const auto found = os.products.find(product);
    const bool known = !os.Fails() && found != os.products.end() && feature == u"NPTAVEX";
    return known ? found->second.feature : INSTALLSTATE_UNKNOWN;
}

Answer<Text> WindowsApi::MsiGetProductInfoW(const Text& product, const Text& property) {
    SimulatedWindows& os = Sim(*this, __func__);
    const auto found = os.products.find(product);
    if (found == os.products.end() || property != u"VersionString")
        return os.Give(Text(), ERROR_UNKNOWN_PRODUCT);
    return os.Give(found->second.version);
}

// With the machine's state, another version installed keeps the package from opening.
Answer<MsiHandle> WindowsApi::MsiOpenPackageExW(const Text& packagePath, uint32_t options) {
    SimulatedWindows& os = Sim(*this, __func__);
    if (os.Fails())
        return {os.injectedError};
    if (os.packages.count(packagePath) == 0 || !os.Find(packagePath))
        return {ERROR_INSTALL_PACKAGE_OPEN_FAILED};
    if (options != MSIOPENPACKAGEFLAGS_IGNOREMACHINESTATE && os.products.count(kPluginProductCode))
        return {ERROR_PRODUCT_VERSION};
    const Handle package = os.Open({Object::Msi, 0, packagePath});
    return {0, static_cast<MsiHandle>(reinterpret_cast<uintptr_t>(package))};
}

Answer<Text> WindowsApi::MsiGetPropertyW(MsiHandle install, const Text& name) {
    SimulatedWindows& os = Sim(*this, __func__);
    const Object* package = os.Opened(reinterpret_cast<Handle>(uintptr_t{install}), Object::Msi);
    if (package == nullptr)
        return os.Give(Text(), ERROR_INVALID_HANDLE);
    return os.Give(name == u"ProductVersion" ? os.packages.at(package->path).version : u"");
}

uint32_t WindowsApi::MsiCloseHandle(MsiHandle handle) {
    return Sim(*this, __func__).Close(reinterpret_cast<Handle>(uintptr_t{handle}), Object::Msi);
}

uint32_t WindowsApi::MsiSourceListClearAllW(const Text& product) {
    SimulatedWindows& os = Sim(*this, __func__);
    const auto found = os.products.find(product);
    if (os.Fails())
        return os.injectedError;
    if (found == os.products.end())
        return ERROR_UNKNOWN_PRODUCT;
    found->second.networkSources.clear();
    return 0;
}

uint32_t WindowsApi::MsiSourceListSetInfoW(const Text& product, uint32_t context, uint32_t options,
                                           const Text& property, const Text& value) {
    SimulatedWindows& os = Sim(*this, __func__);
    const auto found = os.products.find(product);
    if (os.Fails())
        return os.injectedError;
    if (context != MSIINSTALLCONTEXT_MACHINE || options != MSICODE_PRODUCT ||
        property != u"PackageName")
        return ERROR_INVALID_PARAMETER;
    if (found == os.products.end())
        return ERROR_UNKNOWN_PRODUCT;
    found->second.packageName = value;
    return 0;
}

namespace sim {

uint32_t SimulatedWindows::RunMsiexec(const Text& line) {
    const Text path = Between(line, u"/i \"", u"\""), log = Between(line, u"/Lv! \"", u"\"");
    const auto package = packages.find(path);
    if (package == packages.end() || !Find(path))
        return ERROR_INSTALL_PACKAGE_OPEN_FAILED;
    if (!Find(ParentOf(log)))
        return ERROR_INSTALL_LOG_FAILURE;
    AddFile(log);
    const Package& run = package->second;
    if (!run.installerBox.empty() && line.find(u" /qb") != Text::npos)
        MessageBoxW(run.installerBox, u"Windows Installer", MB_OK);
    // Ended with neither success nor a restart to complete it, nothing changes.
    if (run.result != 0 && run.result != 3010 && run.result != 3011 && run.result != 1641)
        return run.result;
    const auto installed = products.find(kPluginProductCode);
    const bool reinstall = line.find(u"REINSTALL=ALL") != Text::npos;
    if (installed != products.end() && installed->second.version != run.version && !reinstall)
        return ERROR_PRODUCT_VERSION;
    Product& product = products[kPluginProductCode];
    if (installed == products.end() || line.find(u"ADDLOCAL=NPTAVEX") != Text::npos)
        product.feature = INSTALLSTATE_LOCAL;
    product.version = run.version;
    product.state = INSTALLSTATE_DEFAULT;
    return run.result;
}

} // namespace sim

} // namespace korvel
