// Names of the verbose install logs that the child installers write.
#pragma once

#include "os/windows_api.h"

#include <cstdint>
#include <string>

namespace korvel {

// Replaces `timestamp` with the local time as "YYYY-MM-DD-hh-mm-ss" and writes it, with a
// line break, to standard output.
void LogTimestamp(WindowsApi& os, std::u16string& timestamp);

// Sets `logPath` to the value of "TMP", "\", `name`, "_", the timestamp and ".log" and
// returns 0. When "TMP" is not set or empty, tells the user (unless `silent`), leaves
// `logPath` as it was and returns the error code, never 0.
uint32_t MakeLogPath(WindowsApi& os, const std::u16string& name, bool silent,
                     std::u16string& logPath);

} // namespace korvel
