// The report shown when an installation fails.
#pragma once

#include "common/message_catalogue.h"

namespace korvel {

// Message `message`, ": " and `result` in unsigned decimal, ".\n", then "Install log: "
// and the log path when a file system object exists under that path.
std::u16string ComposeFailureReport(WindowsApi& os, MessageId message, uint32_t result,
                                    const std::u16string& logPath);

} // namespace korvel
