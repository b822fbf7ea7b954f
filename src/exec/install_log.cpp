#include "exec/install_log.h"

#include "common/message_catalogue.h"
#include "os/windows_constants.h"

namespace korvel {

static void AppendTwoDigits(std::u16string& text, unsigned value) {
    text.push_back(static_cast<char16_t>(u'0' + value / 10 % 10));
    text.push_back(static_cast<char16_t>(u'0' + value % 10));
}

void LogTimestamp(WindowsApi& os, std::u16string& timestamp) {
    const SystemTime now = os.GetLocalTime();
    timestamp.clear();
    AppendTwoDigits(timestamp, now.year / 100);
    AppendTwoDigits(timestamp, now.year);
    for (const unsigned field : {now.month, now.day, now.hour, now.minute, now.second}) {
        timestamp.push_back(u'-');
        AppendTwoDigits(timestamp, field);
    }
    os.WriteStandardOutput(timestamp + u"\n");
}

uint32_t MakeLogPath(WindowsApi& os, const std::u16string& name, bool silent,
                     std::u16string& logPath) {
    const Answer<std::u16string> folder = os.GetEnvironmentVariableW(u"TMP");
    // A variable that is set but empty names no folder, and leaves no error code behind.
    const uint32_t error = folder.error != 0      ? folder.error
                           : folder.value.empty() ? ERROR_ENVVAR_NOT_FOUND
                                                  : 0;
    if (error != 0) {
        if (!silent) {
            // An error box has only an OK button.
            os.MessageBoxW(LoadMessage(os, IDS_ENVIRONMENT_UNREADABLE),
                           LoadMessage(os, IDS_ERROR_CAPTION), MB_OK | MB_ICONERROR);
        }
        return error;
    }
    std::u16string timestamp;
    LogTimestamp(os, timestamp);
    logPath = folder.value + u"\\" + name + u"_" + timestamp + u".log";
    return 0;
}

} // namespace korvel
