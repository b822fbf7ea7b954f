#include "common/failure_report.h"

#include "common/text.h"
#include "os/windows_constants.h"

namespace korvel {

std::u16string ComposeFailureReport(WindowsApi& os, MessageId message, uint32_t result,
                                    const std::u16string& logPath) {
    std::u16string report = LoadMessage(os, message);
    report += u": ";
    AppendUnsigned(report, result);
    report += u".\n";
    if (!logPath.empty() && os.GetFileAttributesW(logPath) != INVALID_FILE_ATTRIBUTES) {
        report += u"Install log: ";
        report += logPath;
    }
    return report;
}

} // namespace korvel
