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
std::string suite_prefix();

struct WineRun {
    std::string program = setup_exe(); // a Unix path; the prefix sees it as Z:
    std::vector<std::string> args;
    // One per box in order: ok, cancel, yes, no, ... Boxes beyond the list get yes, else ok.
    std::vector<std::string> answers;
    std::string prefix = suite_prefix();
    std::chrono::seconds timeout{60}; // box-driver kills the program after it
};

Transcript run_in_wine(const WineRun& run);

// "Z:\..." for an absolute Unix path.
std::string windows_path(const std::string& unix_path);

} // namespace korvel::wine
