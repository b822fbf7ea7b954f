// A run of the setup program as its users see it, on the simulated Windows and under Wine.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace korvel::sim {
class SimulatedWindows;
}

namespace korvel::test {

using Strings = std::vector<std::string>;

// A test package: its version and variant, "-reboot" (msiexec ends with 3010), "-failing"
// (1603, after the installer's own box), "-cancelled" (1602) or "-unversioned".
struct Package {
    std::string build = "1.1.0", arch = "x64";
    std::string folder = "packages"; // in the distribution folder
    std::string name;                // the file's; empty: tavexcom-<arch>.msi
};

// A provider's "<kind>\Setup.exe": a program and how it ends, nothing, or a text.
enum class SetupFile { Program, None, NoProgram };
struct Provider {
    std::string kind;
    uint32_t exitCode = 0;
    SetupFile setup = SetupFile::Program;
};

struct Machine {
    std::vector<Package> packages = {Package{}};
    std::vector<Provider> providers;
    std::string installed;                // the build installed beforehand; empty: none
    bool featureAbsent = false;           // ... without its feature NPTAVEX
    bool marker = false;                  // a restart need an earlier run left
    std::string windows;                  // "": 6.1 SP1; "nt40"; "win2k" (5.0 SP4); "5.x": SP1
    bool bits32 = false, russian = false; // Russian: the system's language and the folders'
    std::string folder = "dist";          // the distribution folder, where the program starts
    // The folder TMP names; empty: TMP is set but empty; nothing: it is not set.
    std::optional<std::string> tmp = "tmp";
    bool startedAbove = false; // started from the folder that holds the distribution
    std::string planted;       // a file beside the program that must not be used
    int dpi = 96;              // the screen's dots per inch, to which Wine scales all it shows
};

// A box or dialog. Wine tells `style` by the buttons only; each of `lines` is a whole line of
// the text ("!" first: is not); `checked`, a dialog's choices as it closes.
struct Box {
    std::optional<std::string> caption, text;
    uint32_t style = 0;
    Strings lines;
    std::vector<int> checked;
};

// What a run does. Child command lines name the distribution folder "{dist}" and the log of
// NAME "{log:NAME}"; no other file may appear in TMP.
struct Outcome {
    std::vector<Box> boxes;
    Strings children;
    uint32_t exitCode = 0;
    std::string version; // installed afterwards, with its feature; empty: not installed
    bool marker = false, restart = false;
};

enum class Where { Both, Simulated, Wine };

struct Scenario {
    std::string name;
    Machine machine;
    Strings args;
    // One per box: "yes", "no", "ok", "escape" or a dialog's "next", after its clicks
    // ("options", "kc2", "kc3", "russian", "english").
    Strings answers;
    Outcome expect;
    Where where = Where::Both;
    std::function<void(sim::SimulatedWindows&)> simulate;
};

const std::vector<Scenario>& Scenarios();
void PrintTo(const Scenario& scenario, std::ostream* out);

// What a machine saw of a run; Wine cannot show msiexec's command lines.
struct Observed : Outcome {
    bool wine = false, feature = false;
    Strings tmpFiles;
    std::string dist, tmp;     // the Windows paths the placeholders stand for
    std::string sourcePackage; // the package the plug-in's source list names
};

void Check(const Scenario& scenario, const Observed& observed);

// The button an answer presses, as MessageBoxW returns it; Escape is cancel.
int ButtonId(const std::string& answer);

} // namespace korvel::test
