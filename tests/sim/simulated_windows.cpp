#include "simulated_windows.h"

#include "os/windows_constants.h"
#include "string_table.h"

namespace korvel::sim {

SimulatedWindows::SimulatedWindows() : stringBlocks(BuildStringBlocks(Catalogue())) {
    version.majorVersion = 6;
    version.minorVersion = 1;
    version.servicePackMajor = 1;
}

std::u16string SimulatedWindows::GetCommandLineW() {
    calls.push_back("GetCommandLineW");
    return commandLine;
}

uint32_t SimulatedWindows::GetLastError() {
    calls.push_back("GetLastError");
    return lastError_;
}

bool SimulatedWindows::GetVersionExW(OsVersionInfoEx& info) {
    calls.push_back("GetVersionExW");
    versionInfoSizeAsked = info.size;
    if (!versionReadable)
        return false;
    info = version;
    info.size = versionInfoSizeAsked;
    return true;
}

uint32_t SimulatedWindows::GetFileAttributesW(const std::u16string& path) {
    calls.push_back("GetFileAttributesW");
    if (files.count(path) == 0) {
        lastError_ = ERROR_FILE_NOT_FOUND;
        return INVALID_FILE_ATTRIBUTES;
    }
    return 0x20; // FILE_ATTRIBUTE_ARCHIVE
}

ResourceBytes SimulatedWindows::FindResourceW(uint16_t type, uint16_t name) {
    calls.push_back("FindResourceW");
    const auto block = stringBlocks.find(name);
    if (type != RT_STRING || block == stringBlocks.end())
        return {};
    return {block->second.data(), static_cast<uint32_t>(block->second.size() * sizeof(char16_t))};
}

void SimulatedWindows::exit(uint32_t code) {
    calls.push_back("exit");
    throw ProcessExit{code};
}

bool SimulatedWindows::CommandLineToArgvW(const std::u16string& line,
                                          std::vector<std::u16string>& arguments) {
    calls.push_back("CommandLineToArgvW");
    if (!commandLineSplits)
        return false;
    arguments = SplitCommandLine(line);
    return true;
}

bool SimulatedWindows::IsUserAnAdmin() {
    calls.push_back("IsUserAnAdmin");
    return administrator;
}

int SimulatedWindows::MessageBoxW(WindowHandle, const std::u16string& text,
                                  const std::u16string& caption, uint32_t type) {
    calls.push_back("MessageBoxW");
    boxes.push_back({text, caption, type});
    if (!answers.empty()) {
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return (type & 0xF) == MB_YESNO ? IDYES : IDOK;
}

uint32_t SimulatedWindows::MsiSetInternalUI(uint32_t level, WindowHandle*) {
    calls.push_back("MsiSetInternalUI(" + std::to_string(level) + ")");
    return 5; // INSTALLUILEVEL_DEFAULT, the level before the call
}

static bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::vector<std::u16string> SplitCommandLine(const std::u16string& line) {
    std::vector<std::u16string> arguments;
    size_t i = 0;
    std::u16string program;
    if (i < line.size() && line[i] == u'"') {
        for (++i; i < line.size() && line[i] != u'"'; ++i)
            program += line[i];
        ++i;
    } else {
        for (; i < line.size() && !IsBlank(line[i]); ++i)
            program += line[i];
    }
    arguments.push_back(program);

    while (true) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i >= line.size())
            return arguments;
        std::u16string argument;
        bool quoted = false;
        for (; i < line.size() && (quoted || !IsBlank(line[i])); ++i) {
            size_t backslashes = 0;
            while (i < line.size() && line[i] == u'\\') {
                ++backslashes;
                ++i;
            }
            if (i < line.size() && line[i] == u'"') {
                argument.append(backslashes / 2, u'\\');
                if (backslashes % 2 == 1) {
                    argument += u'"';
                } else if (quoted && i + 1 < line.size() && line[i + 1] == u'"') {
                    argument += u'"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
            } else {
                argument.append(backslashes, u'\\');
                if (i >= line.size())
                    break;
                if (!quoted && IsBlank(line[i]))
                    break;
                argument += line[i];
            }
        }
        arguments.push_back(argument);
    }
}

} // namespace korvel::sim
