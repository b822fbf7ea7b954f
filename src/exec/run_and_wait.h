// Running one child installer to its end.
#pragma once

#include "os/windows_api.h"

#include <cstdint>
#include <string>

namespace korvel {

// Starts `commandLine` and waits, without a time-out, until the child has ended. Answers the
// child's exit code bit for bit, or the error that kept it from being started, waited for or
// asked for its exit code. `applicationName`, when not empty, is the program to start;
// otherwise Windows takes it from the command line's first token.
Answer<uint32_t> RunAndWait(WindowsApi& os, const std::u16string& commandLine,
                            const std::u16string& applicationName = {});

// One code for a run: the error, or else the exit code.
uint32_t ResultOf(const Answer<uint32_t>& run);

} // namespace korvel
