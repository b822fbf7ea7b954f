#include "plugin/find_package.h"

#include "os/windows_constants.h"

namespace korvel {

static bool IsSearchableFolder(const FindData& entry) {
    return (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (entry.fileName.empty() || entry.fileName[0] != u'.');
}

uint32_t FindPackage(WindowsApi& os, const std::u16string& mask, std::u16string& path) {
    // A folder that cannot be listed holds no package either.
    for (const FindData& entry : os.FindFirstFileW(u"*")) {
        if (!IsSearchableFolder(entry))
            continue;
        const std::vector<FindData> matches = os.FindFirstFileW(entry.fileName + u"\\" + mask);
        if (matches.empty())
            continue;
        const Answer<std::u16string> directory = os.GetCurrentDirectoryW();
        if (directory.error == 0)
            path = directory.value + u"\\" + entry.fileName + u"\\" + matches.front().fileName;
        return directory.error;
    }
    return ERROR_NO_DATA;
}

} // namespace korvel
