// The command-line parser over arbitrary command lines, split as Windows splits them: it takes
// the options, or shows the help alone and ends with 0; a value option counts only after its
// provider.
#include "driver/command_line.h"
#include "simulated_windows.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string line(size / 2, u'\0');
    std::memcpy(line.data(), data, line.size() * 2);
    korvel::sim::SimulatedWindows os;
    os.commandLine = u"korvel-plugin-setup.exe " + std::u16string(line.c_str()); // up to a zero
    korvel::SetupOptions setup;
    korvel::RunOptions options;
    const std::optional<uint32_t> ended = korvel::ParseCommandLine(os, setup, options);
    const bool help = os.boxes.size() == 1 && os.boxes[0].caption == "Справка";
    if ((ended ? *ended != 0 || !help : !os.boxes.empty()) ||
        (!setup.installCsp &&
         !(options.cspArgs + setup.kcSelection + setup.langSelection).empty()) ||
        (!setup.installUcsp && !options.ucspArgs.empty()))
        std::abort();
    return 0;
}
