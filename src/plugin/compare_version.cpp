#include "plugin/compare_version.h"

#include "common/message_catalogue.h"
#include "os/windows_constants.h"
#include "plugin/find_package.h"

#include <algorithm>
#include <vector>

namespace korvel {

const char16_t* const kAnyPackageMask = u"tavexcom*.msi";

namespace {

// Asked with no buffer, Windows tells the value's length; then it fills a buffer of that
// size and one more for the terminator.
uint32_t ReadInstalledVersion(WindowsApi& os, const std::u16string& productCode,
                              std::u16string& version) {
    uint32_t length = 0;
    uint32_t result = os.MsiGetProductInfoW(productCode, u"VersionString", nullptr, length);
    if (result != 0)
        return result;
    std::vector<char16_t> buffer(length + 1);
    length = static_cast<uint32_t>(buffer.size());
    result = os.MsiGetProductInfoW(productCode, u"VersionString", buffer.data(), length);
    if (result == 0)
        version.assign(buffer.data());
    return result;
}

uint32_t Fail(WindowsApi& os, MessageId message, uint32_t result) {
    // An error box has only an OK button.
    os.MessageBoxW(nullptr, LoadMessage(os, message), LoadMessage(os, IDS_ERROR_CAPTION),
                   MB_ICONERROR);
    return result;
}

// An empty "ProductVersion" asks for no buffer: the sizing call already succeeds.
uint32_t ReadPackageVersion(WindowsApi& os, MsiHandle package, std::u16string& version) {
    char16_t empty[1] = {u'\0'};
    uint32_t length = 0;
    const uint32_t sizing = os.MsiGetPropertyW(package, u"ProductVersion", empty, length);
    if (sizing != ERROR_MORE_DATA)
        return sizing;
    std::vector<char16_t> buffer(length + 1);
    length = static_cast<uint32_t>(buffer.size());
    const uint32_t result = os.MsiGetPropertyW(package, u"ProductVersion", buffer.data(), length);
    if (result == 0)
        version.assign(buffer.data());
    return result;
}

} // namespace

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
    std::u16string installedVersion;
    uint32_t result = ReadInstalledVersion(os, productCode, installedVersion);
    if (result != 0)
        return Fail(os, IDS_INSTALLED_VERSION_UNREADABLE, result);

    std::u16string packagePath;
    result = FindPackage(os, kAnyPackageMask, packagePath);
    if (result != 0)
        return Fail(os, IDS_PACKAGE_NOT_FOUND, result);

    MsiHandle package = 0;
    result = os.MsiOpenPackageExW(packagePath, MSIOPENPACKAGEFLAGS_IGNOREMACHINESTATE, package);
    if (result != 0)
        return Fail(os, IDS_PACKAGE_CANNOT_OPEN, result);

    std::u16string newVersion;
    result = ReadPackageVersion(os, package, newVersion);
    if (result == 0)
        order = CompareVersionTexts(newVersion, installedVersion);
    else
        Fail(os, IDS_PACKAGE_VERSION_UNREADABLE, result);
    // Only read from; a handle that will not close is released with the process.
    os.MsiCloseHandle(package);
    return result;
}

} // namespace korvel
