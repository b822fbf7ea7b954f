// The command line: which providers to install, what to pass through to the child
// installers, and the switches of the run.
#pragma once

#include "os/windows_api.h"

#include <cstdint>
#include <string>

namespace korvel {

// The options of one run, owned by the main flow.
struct RunOptions {
    std::u16string cspArgs;    // each "-CSPArgs" value followed by one blank
    std::u16string ucspArgs;   // each "-UCSPArgs" value followed by one blank
    std::u16string pluginArgs; // each "-TavexArgs" value with one blank before and after
    bool silent = false;
    bool reinstall = false;
    bool noRestart = false;
};

// The process-wide options: one per process, never reset. The configuration dialog
// appends to the two selection texts; nothing reads them back.
struct SetupOptions {
    bool installCsp = false;
    bool installUcsp = false;
    bool showConfigDialog = false;
    std::u16string kcSelection;   // "*value*" per "-KC"
    std::u16string langSelection; // "*value*" per "-Lang"
};

// Reads the process command line into `options` and `setup` and returns 0. Does not
// return when it shows the help: for "-help" and for any argument it does not accept.
// When the command line cannot be split, returns the error and shows nothing: whether the
// run was to be silent is unknown then, and going on without its options would install
// something else than was asked for.
uint32_t ParseCommandLine(WindowsApi& os, SetupOptions& setup, RunOptions& options);

// Shows the help for the options read so far and ends the process with exit code 0;
// does not return.
void ShowHelp(WindowsApi& os, const SetupOptions& setup);

} // namespace korvel
