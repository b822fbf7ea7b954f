#include "system/prerequisites.h"

#include "common/message_catalogue.h"
#include "os/windows_constants.h"

namespace korvel {

namespace {

struct VersionRefusal {
    uint32_t majorVersion;
    uint32_t minorVersion;
    uint16_t minimumServicePack;
    MessageId message;
    uint32_t exitCode;
};

// Windows 2000 from service pack 4, XP and the other 5.2 systems from service pack 2.
const VersionRefusal kServicePackRefusals[] = {
    {5, 0, 4, IDS_NEED_WINDOWS_2000_SP4, kExitNeedWindows2000Sp4},
    {5, 1, 2, IDS_NEED_WINDOWS_XP_SP2, kExitNeedWindowsXpSp2},
    {5, 2, 2, IDS_NEED_WINDOWS_2003_SP2, kExitNeedWindows2003Sp2},
};

} // namespace

uint32_t CheckWindowsVersion(WindowsApi& os, bool silent) {
    const std::u16string caption = LoadMessage(os, IDS_PRODUCT_NAME);
    const auto refuse = [&](MessageId message, uint32_t exitCode, bool shown) {
        // An error box has only an OK button.
        if (shown)
            os.MessageBoxW(LoadMessage(os, message), caption, MB_ICONERROR);
        return exitCode;
    };

    const std::optional<OsVersionInfoEx> version = os.GetVersionExW();
    if (!version)
        return refuse(IDS_VERSION_UNREADABLE, kExitVersionUnreadable, !silent);
    if (version->majorVersion < 5)
        return refuse(IDS_WINDOWS_TOO_OLD, kExitWindowsTooOld, true);
    for (const VersionRefusal& row : kServicePackRefusals) {
        if (version->majorVersion == row.majorVersion &&
            version->minorVersion == row.minorVersion &&
            version->servicePackMajor < row.minimumServicePack)
            return refuse(row.message, row.exitCode, !silent);
    }
    return 0;
}

} // namespace korvel
