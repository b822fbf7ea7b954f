#include "plugin/compare_version.h"

#include "common/message_catalogue.h"
#include "os/windows_constants.h"
#include "plugin/find_package.h"

#include <algorithm>

namespace korvel {

const char16_t* const kAnyPackageMask = u"tavexcom*.msi";

static uint32_t Fail(WindowsApi& os, MessageId message, uint32_t result) {
    // An error box has only an OK button.
    os.MessageBoxW(LoadMessage(os, message), LoadMessage(os, IDS_ERROR_CAPTION), MB_ICONERROR);
    return result;
}

VersionOrder CompareVersionTexts(const std::u16string& newVersion,
                                 const std::u16string& installedVersion) {
    const size_t common = std::min(newVersion.size(), installedVersion.size());
    for (size_t i = 0; i < common; ++i) {
        if (newVersion[i] != installedVersion[i])
            return newVersion[i] > installedVersion[i] ? 1 : -1;
    }
    if (newVersion.size() == installedVersion.size())
        return 0;
    return newVersion.size() > installedVersion.size() ? 1 : -1;
}

uint32_t ComparePackageVersion(WindowsApi& os, const std::u16string& productCode,
                               VersionOrder& order) {
    const Answer<std::u16string> installed = os.MsiGetProductInfoW(productCode, u"VersionString");
    if (installed.error != 0)
        return Fail(os, IDS_INSTALLED_VERSION_UNREADABLE, installed.error);

    std::u16string packagePath;
    if (const uint32_t result = FindPackage(os, kAnyPackageMask, packagePath))
        return Fail(os, IDS_PACKAGE_NOT_FOUND, result);

    const Answer<MsiHandle> package =
        os.MsiOpenPackageExW(packagePath, MSIOPENPACKAGEFLAGS_IGNOREMACHINESTATE);
    if (package.error != 0)
        return Fail(os, IDS_PACKAGE_CANNOT_OPEN, package.error);

    // A package without "ProductVersion" has the empty version, which is no failure.
    const Answer<std::u16string> version = os.MsiGetPropertyW(package.value, u"ProductVersion");
    if (version.error == 0)
        order = CompareVersionTexts(version.value, installed.value);
    else
        Fail(os, IDS_PACKAGE_VERSION_UNREADABLE, version.error);
    // Only read from; a handle that will not close is released with the process.
    os.MsiCloseHandle(package.value);
    return version.error;
}

} // namespace korvel
