// The command-line parser over arbitrary arguments: it takes the options, or shows the help
// alone and ends with 0; a value option counts only after its provider.
#include "driver/command_line.h"
#include "simulated_windows.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text(size / 2, u'\0');
    std::memcpy(text.data(), data, text.size() * 2);
    korvel::sim::SimulatedWindows os;
    // The arguments, apart at each zero.
    std::u16string argument;
    for (const char16_t c : text + u'\0') {
        if (c != u'\0') {
            argument += c;
            continue;
        }
        os.args.push_back(argument);
        argument.clear();
    }
    korvel::SetupOptions setup;
    korvel::RunOptions options;
    const std::optional<uint32_t> ended = korvel::ParseCommandLine(os, setup, options);
    const bool help = os.boxes.size() == 1 && os.boxes[0].caption == u"Справка";
    if ((ended ? *ended != 0 || !help : !os.boxes.empty()) ||
        (!setup.installCsp &&
         !(options.cspArgs + setup.kcSelection + setup.langSelection).empty()) ||
        (!setup.installUcsp && !options.ucspArgs.empty()))
        std::abort();
    return 0;
}
