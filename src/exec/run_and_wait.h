// Running one child installer to its end.
#pragma once

#include "os/windows_api.h"

#include <cstdint>
#include <string>

namespace korvel {

// Starts `commandLine` and waits, without a time-out, until the child has ended. Returns
// the child's exit code bit for bit, or the system error code when it could not be
// started, waited for or asked for its exit code (never 0 then); `exited`, when given,
// tells the two apart: it is set only when the result is the child's own exit code.
// `applicationName`, when not empty, is the program to start; otherwise Windows takes it
// from the command line's first token. The caller's text is never changed.
uint32_t RunAndWait(WindowsApi& os, const std::u16string& commandLine,
                    const std::u16string& applicationName = {}, bool* exited = nullptr);

} // namespace korvel
