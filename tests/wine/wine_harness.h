#pragma once

// Runs a Windows program in the suite's Wine prefix through box-driver.exe, which answers the
// program's dialog boxes and reports them with the program's full exit code.

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace korvel::wine {

// Button ids as MessageBoxW returns them.
enum Button : int { kOk = 1, kCancel = 2, kAbort = 3, kRetry = 4, kIgnore = 5, kYes = 6, kNo = 7 };

struct Box {
    std::string caption;
    std::string text; // UTF-8, line breaks as the program wrote them
    std::vector<int> buttons;
    int pressed = 0;
    bool dialog = false; // a dialog of the program's own, not a MessageBoxW box
    std::vector<std::string> button_texts = {}; // in the order of `buttons`, "&" before a mnemonic
    std::vector<std::string> checked = {};      // texts of the checked radio buttons, shown or not

    std::vector<std::string> lines() const; // text split at LF, without trailing CR
};

struct Transcript {
    std::vector<Box> boxes;
    std::optional<std::uint32_t> exit_code; // absent when the program did not end by itself
    bool timed_out = false;
    std::vector<std::string> problems; // anything that makes the run itself untrustworthy
    std::string raw;                   // the transcript file as box-driver wrote it
    std::string wine_output;           // Wine's standard output and error
};

std::ostream& operator<<(std::ostream& out, const Transcript& transcript);

// Where the build put things (see CMakeLists.txt).
std::string setup_exe();
enum class Windows { Bits64, Bits32 }; // the prefix's architecture
std::string suite_prefix(Windows windows = Windows::Bits64);
std::string inside_exe(const std::string& name);  // a helper of tests/wine/inside, "name.exe"
std::string inside_file(const std::string& name); // a file built in tests/wine/inside
std::string work_folder();                        // scratch space of the suite

// A change to the program's environment: a value sets the variable, none removes it.
struct Variable {
    std::string name;
    std::optional<std::string> value;
};

struct WineRun {
    std::string program = setup_exe(); // a Unix path; the prefix sees it as Z:
    std::vector<std::string> args;
    // One per box in order: ok, cancel, yes, no, escape, a button id ... Boxes beyond the list
    // get yes, else ok.
    std::vector<std::string> answers;
    std::string prefix = suite_prefix();
    std::chrono::seconds timeout{60}; // box-driver kills the program after it
    std::string current_folder;       // a Unix path; empty: the test's own
    std::vector<Variable> environment;
    // Wine's library overrides for every process of the run ("name=native,builtin"). Wine
    // reads them from the environment it was started with, not from a program's own.
    std::string dll_overrides;
    // LANG and LC_ALL of Wine, "ru_RU.UTF-8" for a Russian Windows; empty: the suite's own.
    // Wine takes the user-interface language and the encoding of Unix file names from it.
    std::string locale;
};

Transcript run_in_wine(const WineRun& run);

// Runs "wine <args...>" in the prefix without box-driver, for the tests' own preparations.
struct WineCommand {
    int status = -1;     // Unix exit status: only the low 8 bits of the Windows exit code
    std::string output;  // standard output and error
    std::string problem; // why the command could not run to its end, if it did not
};

WineCommand run_wine_command(const std::vector<std::string>& args,
                             const std::string& prefix = suite_prefix());

// "Z:\..." for an absolute Unix path.
std::string windows_path(const std::string& unix_path);

} // namespace korvel::wine
