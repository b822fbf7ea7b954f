// The command-line parser over arbitrary argument vectors, quoted into one command line
// by the Windows rules: the split gives the vector back, and the parser either fills the
// options or shows the help, nothing else.
#include "driver/command_line.h"
#include "fuzz_input.h"
#include "simulated_windows.h"

#include <cstdlib>

namespace {

// Quotes one argument so that the Windows split yields it unchanged.
std::u16string Quote(const std::u16string& argument) {
    std::u16string quoted = u"\"";
    size_t backslashes = 0;
    for (const char16_t c : argument) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, u'\\');
    return quoted + u"\"";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::u16string> arguments = korvel::fuzz::Split(korvel::fuzz::Utf16(data, size));
    arguments.insert(arguments.begin(), u"korvel-plugin-setup.exe");
    std::u16string commandLine = arguments[0];
    for (size_t i = 1; i < arguments.size(); ++i)
        commandLine += u" " + Quote(arguments[i]);
    if (korvel::sim::SplitCommandLine(commandLine) != arguments)
        std::abort();

    korvel::sim::SimulatedWindows os;
    os.commandLine = commandLine;
    korvel::SetupOptions setup;
    korvel::RunOptions options;
    const std::optional<uint32_t> ended = korvel::ParseCommandLine(os, setup, options);
    if (ended && *ended != 0)
        std::abort();
    const bool helpShown = ended.has_value();
    const bool oneHelpBox = os.boxes.size() == 1 && os.boxes[0].caption == u"Справка";
    if (helpShown != oneHelpBox || (!helpShown && !os.boxes.empty()))
        std::abort();
    // Value options only follow their provider.
    if ((!options.cspArgs.empty() || !setup.kcSelection.empty() || !setup.langSelection.empty()) &&
        !setup.installCsp)
        std::abort();
    if (!options.ucspArgs.empty() && !setup.installUcsp)
        std::abort();
    return 0;
}
