// The command line: which providers to install, what to pass through to the child
// installers, and the switches of the run.
#pragma once

#include "common/run_options.h"
#include "os/windows_api.h"

#include <cstdint>
#include <optional>

namespace korvel {

// Reads the process command line into `options` and `setup`. Returns nothing when the run
// goes on, or the exit code it ends with: 0 after the help, shown for "-help" and for any
// argument the parser does not accept, with nothing after it read; the error when the
// command line cannot be split, with nothing shown, since whether the run was to be silent
// is unknown then, and going on without its options would install something else than was
// asked for.
std::optional<uint32_t> ParseCommandLine(WindowsApi& os, SetupOptions& setup, RunOptions& options);

// Shows the help for the options read so far.
void ShowHelp(WindowsApi& os, const SetupOptions& setup);

} // namespace korvel
