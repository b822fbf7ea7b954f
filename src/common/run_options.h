// The options of the run, as the command line and the configuration dialog set them.
#pragma once

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

} // namespace korvel
