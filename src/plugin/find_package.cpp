#include "plugin/find_package.h"

#include "common/last_error.h"
#include "os/windows_constants.h"

#include <vector>

namespace korvel {

namespace {

// The current folder at its real length, however long it is.
uint32_t ReadCurrentDirectory(WindowsApi& os, std::u16string& directory) {
    std::vector<char16_t> buffer(MAX_PATH);
    uint32_t length = os.GetCurrentDirectoryW(static_cast<uint32_t>(buffer.size()), buffer.data());
    while (length >= buffer.size()) {
        buffer.resize(length);
        length = os.GetCurrentDirectoryW(static_cast<uint32_t>(buffer.size()), buffer.data());
    }
    if (length == 0)
        return LastErrorOr(os, ERROR_PATH_NOT_FOUND);
    directory.assign(buffer.data(), length);
    return 0;
}

bool IsSearchableFolder(const FindData& entry) {
    return (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (entry.fileName.empty() || entry.fileName[0] != u'.');
}

// The name of the first entry matching `pattern`, if any.
bool FindFirstMatch(WindowsApi& os, const std::u16string& pattern, std::u16string& name) {
    FindData match;
    const Handle search = os.FindFirstFileW(pattern, match);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    // The first match is all that is wanted; a search that will not close changes nothing.
    os.FindClose(search);
    name = match.fileName;
    return true;
}

} // namespace

uint32_t FindPackage(WindowsApi& os, const std::u16string& mask, std::u16string& path) {
    FindData entry;
    const Handle listing = os.FindFirstFileW(u"*", entry);
    if (listing == INVALID_HANDLE_VALUE)
        return ERROR_NO_DATA;
    uint32_t result = ERROR_NO_DATA;
    do {
        std::u16string match;
        if (!IsSearchableFolder(entry) || !FindFirstMatch(os, entry.fileName + u"\\" + mask, match))
            continue;
        std::u16string directory;
        result = ReadCurrentDirectory(os, directory);
        if (result == 0)
            path = directory + u"\\" + entry.fileName + u"\\" + match;
        break;
    } while (os.FindNextFileW(listing, entry));
    // As above.
    os.FindClose(listing);
    return result;
}

} // namespace korvel
