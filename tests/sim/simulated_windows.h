// A simulated Windows behind the seam: the machine state a test sets up, scripted
// answers for the boxes, and a record of every call so tests can assert what the
// program showed and asked.
#pragma once

#include "os/windows_api.h"

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace korvel::sim {

// Thrown by exit() so that a test can watch a process end from deep inside the run.
struct ProcessExit {
    uint32_t code;
};

struct MessageBoxRecord {
    std::u16string text;
    std::u16string caption;
    uint32_t style;

    bool operator==(const MessageBoxRecord& other) const {
        return text == other.text && caption == other.caption && style == other.style;
    }
};

class SimulatedWindows : public WindowsApi {
public:
    // Starts as an administrator on Windows 7 SP1 with the program's string table.
    SimulatedWindows();

    // Machine state.
    std::u16string commandLine = u"korvel-plugin-setup.exe";
    bool commandLineSplits = true;
    bool administrator = true;
    bool versionReadable = true;
    OsVersionInfoEx version;
    std::set<std::u16string> files;
    std::map<uint16_t, std::vector<char16_t>> stringBlocks;

    // Answers to the message boxes, in order; when none is left a box gets IDYES for a
    // yes/no question and IDOK otherwise.
    std::deque<int> answers;

    // What the program did.
    std::vector<std::string> calls;
    std::vector<MessageBoxRecord> boxes;
    uint32_t versionInfoSizeAsked = 0;

    std::u16string GetCommandLineW() override;
    uint32_t GetLastError() override;
    bool GetVersionExW(OsVersionInfoEx& info) override;
    uint32_t GetFileAttributesW(const std::u16string& path) override;
    ResourceBytes FindResourceW(uint16_t type, uint16_t name) override;
    [[noreturn]] void exit(uint32_t code) override;
    bool CommandLineToArgvW(const std::u16string& line,
                            std::vector<std::u16string>& arguments) override;
    bool IsUserAnAdmin() override;
    int MessageBoxW(WindowHandle owner, const std::u16string& text, const std::u16string& caption,
                    uint32_t type) override;
    uint32_t MsiSetInternalUI(uint32_t level, WindowHandle* window) override;

private:
    uint32_t lastError_ = 0;
};

// The Windows rules for splitting a command line: quotes group, backslashes escape a
// quote only when they precede one, and the program name is taken without escapes.
std::vector<std::u16string> SplitCommandLine(const std::u16string& line);

} // namespace korvel::sim
