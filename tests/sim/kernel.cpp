// The kernel and the shell of the simulated Windows.
#include "simulated_windows.h"

namespace korvel {

using namespace sim;

// Windows' own values, not the program's names for them.
constexpr uint32_t ERROR_FILE_NOT_FOUND = 2, ERROR_PATH_NOT_FOUND = 3, ERROR_INVALID_HANDLE = 6,
                   ERROR_BAD_EXE_FORMAT = 193, ERROR_ENVVAR_NOT_FOUND = 203, STILL_ACTIVE = 259;

// '*' any run, '?' one character, letters in any case.
static bool Matches(const Text& name, const Text& mask) {
    if (!mask.empty() && mask[0] == u'*')
        return Matches(name, mask.substr(1)) || (!name.empty() && Matches(name.substr(1), mask));
    if (mask.empty() || name.empty())
        return mask.empty() && name.empty();
    return (mask[0] == u'?' || Fold(mask.substr(0, 1)) == Fold(name.substr(0, 1))) &&
           Matches(name.substr(1), mask.substr(1));
}

// Quoted, so that the Windows split gives each argument back whole.
static Text Joined(const std::vector<Text>& args) {
    Text line;
    for (const Text& argument : args)
        line += (line.empty() ? u"\"" : u" \"") + argument + u"\"";
    return line;
}

Text WindowsApi::GetCommandLineW() {
    return Joined(Sim(*this, __func__).args);
}

std::optional<OsVersionInfoEx> WindowsApi::GetVersionExW() {
    SimulatedWindows& os = Sim(*this, __func__);
    return os.Fails() ? std::nullopt : os.version;
}

uint32_t WindowsApi::GetFileAttributesW(const Text& path) {
    SimulatedWindows& os = Sim(*this, __func__);
    const auto* file = os.Fails() || path.empty() ? nullptr : os.Find(os.Full(path));
    return file != nullptr ? file->second : 0xFFFFFFFF; // INVALID_FILE_ATTRIBUTES
}

Answer<Text> WindowsApi::GetCurrentDirectoryW() {
    SimulatedWindows& os = Sim(*this, __func__);
    return os.Give(os.currentDirectory);
}

Answer<Text> WindowsApi::GetSystemDirectoryW() {
    SimulatedWindows& os = Sim(*this, __func__);
    return os.Give(os.systemDirectory);
}

std::vector<FindData> WindowsApi::FindFirstFileW(const Text& pattern) {
    SimulatedWindows& os = Sim(*this, __func__);
    const Text full = os.Full(pattern), folder = Fold(ParentOf(full)), mask = NameOf(full);
    std::vector<FindData> found;
    for (const char16_t* dot : {u".", u".."}) {
        if (Matches(dot, mask))
            found.push_back({0x10, dot});
    }
    for (const auto& [path, attributes] : os.files) {
        if (Fold(ParentOf(path)) == folder && Matches(NameOf(path), mask))
            found.push_back({attributes, NameOf(path)});
    }
    return os.Fails() || !os.Find(folder) ? std::vector<FindData>{} : found;
}

Answer<Text> WindowsApi::GetEnvironmentVariableW(const Text& name) {
    SimulatedWindows& os = Sim(*this, __func__);
    const auto variable = os.environment.find(name);
    const bool set = variable != os.environment.end();
    return os.Give(set ? variable->second : u"", set ? 0 : ERROR_ENVVAR_NOT_FOUND);
}

// Without an application name, the first token; a bare name is looked for beside the program,
// in the current folder, then in the system folder.
Answer<Handle> WindowsApi::CreateProcessW(const Text& applicationName, const Text& commandLine,
                                          uint32_t creationFlags) {
    SimulatedWindows& os = Sim(*this, __func__);
    Text program =
        applicationName.empty() ? commandLine.substr(0, commandLine.find(u' ')) : applicationName;
    program += NameOf(program).find(u'.') == Text::npos ? u".exe" : u"";
    for (const Text& folder : {os.programFolder, os.currentDirectory, os.systemDirectory}) {
        if (program.find(u'\\') == Text::npos && os.Find(folder + u"\\" + program))
            program = folder + u"\\" + program;
    }
    program = os.Full(program);
    if (os.Fails())
        return {os.injectedError};
    if (!os.Find(program))
        return {os.Find(ParentOf(program)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND};
    if (os.programs.count(Fold(program)) == 0)
        return {ERROR_BAD_EXE_FORMAT};
    os.children.push_back(commandLine);
    os.creationFlags.push_back(creationFlags);
    return {0, os.Open({Object::Process, 0, program, commandLine})};
}

// The child runs until it is waited for.
uint32_t WindowsApi::WaitForSingleObject(Handle handle, uint32_t milliseconds) {
    SimulatedWindows& os = Sim(*this, __func__);
    Object* process = os.Opened(handle, Object::Process);
    if (os.Fails() || process == nullptr)
        return process ? os.injectedError : ERROR_INVALID_HANDLE;
    if (!process->ended && milliseconds == 0xFFFFFFFF) // INFINITE
        os.Run(*process);
    return process->ended ? 0 : 258; // WAIT_TIMEOUT
}

Answer<uint32_t> WindowsApi::GetExitCodeProcess(Handle process) {
    SimulatedWindows& os = Sim(*this, __func__);
    const Object* child = os.Opened(process, Object::Process);
    return os.Give(child && child->ended ? child->exitCode : STILL_ACTIVE,
                   child ? 0 : ERROR_INVALID_HANDLE);
}

uint32_t WindowsApi::CloseHandle(Handle handle) {
    SimulatedWindows& os = Sim(*this, __func__);
    return os.Close(handle, os.Opened(handle, Object::Process) ? Object::Process : Object::Token);
}

std::optional<bool> WindowsApi::IsWow64Process() {
    SimulatedWindows& os = Sim(*this, __func__);
    return os.Fails() ? std::nullopt : os.wow64;
}

SystemTime WindowsApi::GetLocalTime() {
    Sim(*this, __func__);
    return {2016, 2, 1, 9, 7, 5};
}

uint16_t WindowsApi::GetSystemDefaultUILanguage() {
    return Sim(*this, __func__).uiLanguage;
}

void WindowsApi::WriteStandardOutput(const Text& text) {
    Sim(*this, __func__).standardOutput += text;
}

// Only the process's own command line, which the simulated Windows made from its arguments.
Answer<std::vector<Text>> WindowsApi::CommandLineToArgvW(const Text& commandLine) {
    SimulatedWindows& os = Sim(*this, __func__);
    return os.Give(os.args, commandLine == Joined(os.args) ? 0 : 87); // ERROR_INVALID_PARAMETER
}

bool WindowsApi::IsUserAnAdmin() {
    SimulatedWindows& os = Sim(*this, __func__);
    return !os.Fails() && os.administrator;
}

// msiexec installs; a provider's setup writes the log its command line names between """.
void sim::SimulatedWindows::Run(Object& process) {
    process.ended = true;
    const Text log = Between(process.line, u"\"\"\"", u"\"\"\"");
    if (!log.empty() && Find(ParentOf(log)))
        AddFile(log);
    const bool msiexec = Fold(process.path) == Fold(systemDirectory + u"\\msiexec.exe");
    process.exitCode = msiexec ? RunMsiexec(process.line) : programs[Fold(process.path)];
}

} // namespace korvel
