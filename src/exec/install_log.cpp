#include "exec/install_log.h"

#include "common/last_error.h"
#include "common/message_catalogue.h"
#include "os/windows_constants.h"

#include <vector>

namespace korvel {

static void AppendTwoDigits(std::u16string& text, unsigned value) {
    text.push_back(static_cast<char16_t>(u'0' + value / 10 % 10));
    text.push_back(static_cast<char16_t>(u'0' + value % 10));
}

void LogTimestamp(WindowsApi& os, std::u16string& timestamp) {
    SystemTime now;
    os.GetLocalTime(now);
    timestamp.clear();
    AppendTwoDigits(timestamp, now.year / 100);
    AppendTwoDigits(timestamp, now.year);
    for (const unsigned field : {now.month, now.day, now.hour, now.minute, now.second}) {
        timestamp.push_back(u'-');
        AppendTwoDigits(timestamp, field);
    }
    os.WriteStandardOutput(timestamp + u"\n");
}

// The variable's value, read at whatever length it has; false when it is missing or empty.
static bool ReadEnvironmentVariable(WindowsApi& os, const std::u16string& name,
                                    std::u16string& value) {
    uint32_t size = os.GetEnvironmentVariableW(name, nullptr, 0);
    std::vector<char16_t> buffer(size + 1);
    uint32_t length = os.GetEnvironmentVariableW(name, buffer.data(), size);
    // The value may have grown in between; then the answer is the size it needs now.
    while (length > size) {
        size = length;
        buffer.resize(size + 1);
        length = os.GetEnvironmentVariableW(name, buffer.data(), size);
    }
    if (length == 0)
        return false;
    value.assign(buffer.data(), length);
    return true;
}

uint32_t MakeLogPath(WindowsApi& os, const std::u16string& name, bool silent,
                     std::u16string& logPath) {
    std::u16string folder;
    if (!ReadEnvironmentVariable(os, u"TMP", folder)) {
        // An empty value leaves no error code behind.
        const uint32_t error = LastErrorOr(os, ERROR_ENVVAR_NOT_FOUND);
        if (!silent) {
            // An error box has only an OK button.
            os.MessageBoxW(nullptr, LoadMessage(os, IDS_ENVIRONMENT_UNREADABLE),
                           LoadMessage(os, IDS_ERROR_CAPTION), MB_OK | MB_ICONERROR);
        }
        return error;
    }
    std::u16string timestamp;
    LogTimestamp(os, timestamp);
    logPath = folder + u"\\" + name + u"_" + timestamp + u".log";
    return 0;
}

} // namespace korvel
