#include "simulated_windows.h"

#include "os/windows_constants.h"
#include "string_table.h"

#include <algorithm>

namespace korvel::sim {

namespace {

constexpr uint32_t ERROR_UNKNOWN_PRODUCT = 1605;
constexpr uint32_t ERROR_UNKNOWN_PROPERTY = 1608;
constexpr int32_t INSTALLSTATE_UNKNOWN = -1;

std::u16string Fold(std::u16string text) {
    for (char16_t& c : text) {
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return text;
}

bool SamePath(const std::u16string& a, const std::u16string& b) {
    return Fold(a) == Fold(b);
}

std::u16string ParentOf(const std::u16string& path) {
    const size_t slash = path.rfind(u'\\');
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

std::u16string NameOf(const std::u16string& path) {
    return path.substr(path.rfind(u'\\') + 1);
}

// Copies `value` as Windows fills a caller's buffer: the length without the terminator
// when it fits, otherwise the size it needs with the terminator.
uint32_t FillBuffer(const std::u16string& value, char16_t* buffer, uint32_t size) {
    if (buffer == nullptr || value.size() + 1 > size)
        return static_cast<uint32_t>(value.size() + 1);
    std::copy(value.begin(), value.end(), buffer);
    buffer[value.size()] = u'\0';
    return static_cast<uint32_t>(value.size());
}

// The Windows Installer getters report ERROR_MORE_DATA instead.
uint32_t FillInstallerBuffer(const std::u16string& value, char16_t* buffer, uint32_t& length) {
    const uint32_t size = length;
    length = static_cast<uint32_t>(value.size());
    if (buffer == nullptr)
        return 0;
    if (value.size() + 1 > size)
        return ERROR_MORE_DATA;
    std::copy(value.begin(), value.end(), buffer);
    buffer[value.size()] = u'\0';
    return 0;
}

const Handle kCurrentProcess = reinterpret_cast<Handle>(~uintptr_t{0});

} // namespace

bool MatchesMask(const std::u16string& name, const std::u16string& mask) {
    const std::u16string text = Fold(name);
    const std::u16string pattern = Fold(mask);
    size_t t = 0, p = 0, starP = std::u16string::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == text[t])) {
            ++t;
            ++p;
        } else if (starP != std::u16string::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

SimulatedWindows::SimulatedWindows() : stringBlocks(BuildStringBlocks(Catalogue())) {
    version.majorVersion = 6;
    version.minorVersion = 1;
    version.servicePackMajor = 1;
    environment[u"TMP"] = u"C:\\Temp";
    AddFolder(u"C:\\Temp");
    AddFolder(currentDirectory);
    AddFile(currentDirectory + u"\\korvel-plugin-setup.exe");
    AddFolder(systemDirectory);
    AddKey(32, u"HKCU\\Software");
    AddKey(64, u"HKCU\\Software");
}

void SimulatedWindows::AddFolder(const std::u16string& path) {
    if (!Find(path))
        entries_.push_back({path, FILE_ATTRIBUTE_DIRECTORY});
}

void SimulatedWindows::AddFile(const std::u16string& path) {
    if (!Find(path))
        entries_.push_back({path, 0x20}); // FILE_ATTRIBUTE_ARCHIVE
}

void SimulatedWindows::AddProgram(const std::u16string& path, ChildProgram program) {
    AddFile(path);
    programs_[Fold(path)] = std::move(program);
}

bool SimulatedWindows::Exists(const std::u16string& path) const {
    return Find(path) != nullptr;
}

bool SimulatedWindows::HasKey(int view, const std::u16string& path) const {
    return registry_.count({view, Fold(path)}) != 0;
}

void SimulatedWindows::AddKey(int view, const std::u16string& path) {
    registry_.insert({view, Fold(path)});
}

size_t SimulatedWindows::OpenHandleCount() const {
    return finds_.size() + children_.size() + threads_.size() + tokens_.size() + keys_.size() +
           msiHandles_.size() + icons_.size();
}

const SimulatedWindows::Entry* SimulatedWindows::Find(const std::u16string& path) const {
    for (const Entry& entry : entries_) {
        if (SamePath(entry.path, path))
            return &entry;
    }
    return nullptr;
}

std::u16string SimulatedWindows::FullPath(const std::u16string& path) const {
    const bool absolute = path.size() >= 2 && path[1] == u':';
    return absolute ? path : currentDirectory + u"\\" + path;
}

Handle SimulatedWindows::NewHandle() {
    return reinterpret_cast<Handle>(nextHandle_ += 4);
}

uint32_t SimulatedWindows::Fail(uint32_t error) {
    lastError_ = error;
    return error;
}

bool SimulatedWindows::Enter(std::string call) {
    const bool failing = ++callsThatCanFail == failAt || call == failingCall;
    if (failing)
        failedCall = call;
    calls.push_back(std::move(call));
    return failing;
}

void SimulatedWindows::Record(std::string call) {
    calls.push_back(std::move(call));
}

std::u16string SimulatedWindows::GetCommandLineW() {
    Record("GetCommandLineW");
    return commandLine;
}

uint32_t SimulatedWindows::GetLastError() {
    Record("GetLastError");
    return lastError_;
}

bool SimulatedWindows::GetVersionExW(OsVersionInfoEx& info) {
    if (Enter("GetVersionExW"))
        return Fail(ERROR_ACCESS_DENIED) == 0;
    versionInfoSizeAsked = info.size;
    if (!versionReadable)
        return false;
    info = version;
    info.size = versionInfoSizeAsked;
    return true;
}

uint32_t SimulatedWindows::GetFileAttributesW(const std::u16string& path) {
    if (Enter("GetFileAttributesW")) {
        Fail(ERROR_ACCESS_DENIED);
        return INVALID_FILE_ATTRIBUTES;
    }
    const Entry* entry = path.empty() ? nullptr : Find(FullPath(path));
    if (entry == nullptr) {
        Fail(ERROR_FILE_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    return entry->attributes;
}

ResourceBytes SimulatedWindows::FindResourceW(uint16_t type, uint16_t name) {
    if (Enter("FindResourceW"))
        return {};
    const auto block = stringBlocks.find(name);
    if (type != RT_STRING || block == stringBlocks.end())
        return {};
    return {block->second.data(), static_cast<uint32_t>(block->second.size() * sizeof(char16_t))};
}

uint32_t SimulatedWindows::GetCurrentDirectoryW(uint32_t bufferLength, char16_t* buffer) {
    if (Enter("GetCurrentDirectoryW")) {
        Fail(ERROR_ACCESS_DENIED);
        return 0;
    }
    return FillBuffer(currentDirectory, buffer, bufferLength);
}

uint32_t SimulatedWindows::GetSystemDirectoryW(char16_t* buffer, uint32_t size) {
    if (Enter("GetSystemDirectoryW")) {
        Fail(ERROR_ACCESS_DENIED);
        return 0;
    }
    return FillBuffer(systemDirectory, buffer, size);
}

Handle SimulatedWindows::FindFirstFileW(const std::u16string& pattern, FindData& data) {
    if (Enter("FindFirstFileW")) {
        Fail(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    const std::u16string full = FullPath(pattern);
    const std::u16string folder = ParentOf(full);
    const std::u16string mask = NameOf(full);
    if (!Find(folder)) {
        Fail(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::vector<FindData> matches;
    // Every folder but a drive's root lists itself and its parent first.
    if (folder.size() > 2) {
        for (const char16_t* dot : {u".", u".."}) {
            if (MatchesMask(dot, mask))
                matches.push_back({FILE_ATTRIBUTE_DIRECTORY, dot});
        }
    }
    for (const Entry& entry : entries_) {
        if (SamePath(ParentOf(entry.path), folder) && MatchesMask(NameOf(entry.path), mask))
            matches.push_back({entry.attributes, NameOf(entry.path)});
    }
    if (matches.empty()) {
        Fail(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    data = matches.front();
    matches.erase(matches.begin());
    const Handle search = NewHandle();
    finds_[search] = matches;
    return search;
}

bool SimulatedWindows::FindNextFileW(Handle find, FindData& data) {
    if (Enter("FindNextFileW"))
        return Fail(ERROR_ACCESS_DENIED) == 0;
    const auto search = finds_.find(find);
    if (search == finds_.end())
        return Fail(ERROR_INVALID_HANDLE) == 0;
    if (search->second.empty())
        return Fail(18) == 0; // ERROR_NO_MORE_FILES
    data = search->second.front();
    search->second.erase(search->second.begin());
    return true;
}

bool SimulatedWindows::FindClose(Handle find) {
    if (Enter("FindClose")) {
        finds_.erase(find);
        return Fail(ERROR_INVALID_HANDLE) == 0;
    }
    return finds_.erase(find) != 0;
}

uint32_t SimulatedWindows::GetEnvironmentVariableW(const std::u16string& name, char16_t* buffer,
                                                   uint32_t size) {
    if (Enter("GetEnvironmentVariableW")) {
        Fail(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    const auto variable = environment.find(name);
    if (variable == environment.end()) {
        Fail(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    return FillBuffer(variable->second, buffer, size);
}

std::optional<std::u16string> SimulatedWindows::ResolveProgram(const std::u16string& name) const {
    if (name.find(u'\\') != std::u16string::npos)
        return FullPath(name);
    // A bare name: the program's own folder, the current folder, then the system folder.
    const std::u16string file = MatchesMask(name, u"*.exe") ? name : name + u".exe";
    for (const std::u16string& folder :
         {std::u16string(u"C:\\dist"), currentDirectory, systemDirectory}) {
        if (Find(folder + u"\\" + file))
            return folder + u"\\" + file;
    }
    return std::nullopt;
}

bool SimulatedWindows::CreateProcessW(const char16_t* applicationName, char16_t* line,
                                      uint32_t creationFlags, ProcessInformation& information) {
    if (Enter("CreateProcessW"))
        return Fail(ERROR_ACCESS_DENIED) == 0;
    ProcessRecord record{applicationName ? applicationName : u"", line, creationFlags, u""};
    std::u16string first = record.commandLine.substr(0, record.commandLine.find(u' '));
    if (!record.commandLine.empty() && record.commandLine[0] == u'"')
        first = record.commandLine.substr(1, record.commandLine.find(u'"', 1) - 1);
    const std::optional<std::u16string> program =
        applicationName ? std::optional<std::u16string>(applicationName) : ResolveProgram(first);
    if (!program || !Find(*program)) {
        const bool folderExists = program && Find(ParentOf(*program));
        Fail(program && !folderExists ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND);
        return false;
    }
    record.program = *program;
    processes.push_back(record);
    const auto known = programs_.find(Fold(*program));
    const ChildProgram child = known == programs_.end() ? ChildProgram{} : known->second;
    uint32_t exitCode = child.exitCode;
    if (child.effect)
        exitCode = child.effect(*this, record).value_or(exitCode);
    information.process = NewHandle();
    information.thread = NewHandle();
    children_[information.process] = {exitCode};
    threads_.insert(information.thread);
    return true;
}

uint32_t SimulatedWindows::WaitForSingleObject(Handle handle, uint32_t) {
    if (Enter("WaitForSingleObject")) {
        Fail(ERROR_INVALID_HANDLE);
        return 0xFFFFFFFF; // WAIT_FAILED
    }
    return children_.count(handle) ? 0 : 0xFFFFFFFF; // WAIT_OBJECT_0 or WAIT_FAILED
}

bool SimulatedWindows::GetExitCodeProcess(Handle process, uint32_t& exitCode) {
    if (Enter("GetExitCodeProcess"))
        return Fail(ERROR_INVALID_HANDLE) == 0;
    const auto child = children_.find(process);
    if (child == children_.end())
        return Fail(ERROR_INVALID_HANDLE) == 0;
    exitCode = child->second.exitCode;
    return true;
}

bool SimulatedWindows::CloseHandle(Handle handle) {
    if (Enter("CloseHandle")) {
        children_.erase(handle);
        threads_.erase(handle);
        tokens_.erase(handle);
        return Fail(ERROR_INVALID_HANDLE) == 0;
    }
    return children_.erase(handle) + threads_.erase(handle) + tokens_.erase(handle) != 0;
}

ModuleHandle SimulatedWindows::GetModuleHandleW(const char16_t* moduleName) {
    if (Enter("GetModuleHandleW")) {
        Fail(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return moduleName == nullptr ? kProgramModule : nullptr;
}

Handle SimulatedWindows::GetCurrentProcess() {
    Record("GetCurrentProcess");
    return kCurrentProcess;
}

bool SimulatedWindows::IsWow64Process(Handle process, bool& wow64Process) {
    if (Enter("IsWow64Process"))
        return Fail(ERROR_ACCESS_DENIED) == 0;
    if (!hasIsWow64Process)
        return Fail(ERROR_CALL_NOT_IMPLEMENTED) == 0;
    if (process != kCurrentProcess || isWow64ProcessFails)
        return false;
    wow64Process = wow64;
    return true;
}

void SimulatedWindows::GetLocalTime(SystemTime& time) {
    Record("GetLocalTime");
    time = localTime;
}

void SimulatedWindows::WriteStandardOutput(const std::u16string& text) {
    Record("WriteStandardOutput");
    standardOutput += text;
}

bool SimulatedWindows::CommandLineToArgvW(const std::u16string& line,
                                          std::vector<std::u16string>& arguments) {
    if (Enter("CommandLineToArgvW"))
        return Fail(ERROR_NOT_ENOUGH_MEMORY) == 0;
    if (!commandLineSplits)
        return false;
    arguments = SplitCommandLine(line);
    return true;
}

bool SimulatedWindows::IsUserAnAdmin() {
    if (Enter("IsUserAnAdmin"))
        return false;
    return administrator;
}

int32_t SimulatedWindows::RegCreateKeyExW(RegistryKey key, const std::u16string& subKey, uint32_t,
                                          uint32_t samDesired, RegistryKey& result) {
    if (Enter("RegCreateKeyExW"))
        return static_cast<int32_t>(ERROR_ACCESS_DENIED);
    registryCalls.push_back({"create", subKey, samDesired});
    if (key != HKEY_CURRENT_USER)
        return static_cast<int32_t>(ERROR_INVALID_HANDLE);
    const int view = (samDesired & KEY_WOW64_32KEY) ? 32 : 64;
    std::u16string path = u"HKCU";
    for (size_t start = 0; start <= subKey.size();) {
        const size_t end = std::min(subKey.find(u'\\', start), subKey.size());
        path += u"\\" + subKey.substr(start, end - start);
        AddKey(view, path);
        start = end + 1;
    }
    result = NewHandle();
    keys_[result] = {view, Fold(path)};
    return 0;
}

int32_t SimulatedWindows::RegOpenKeyExW(RegistryKey key, const std::u16string& subKey, uint32_t,
                                        uint32_t samDesired, RegistryKey& result) {
    if (Enter("RegOpenKeyExW"))
        return static_cast<int32_t>(ERROR_ACCESS_DENIED);
    registryCalls.push_back({"open", subKey, samDesired});
    const int view = (samDesired & KEY_WOW64_32KEY) ? 32 : 64;
    if (key != HKEY_CURRENT_USER || !HasKey(view, u"HKCU\\" + subKey))
        return static_cast<int32_t>(ERROR_FILE_NOT_FOUND);
    result = NewHandle();
    keys_[result] = {view, Fold(u"HKCU\\" + subKey)};
    return 0;
}

int32_t SimulatedWindows::RegDeleteKeyExW(RegistryKey key, const std::u16string& subKey,
                                          uint32_t samDesired, uint32_t) {
    if (Enter("RegDeleteKeyExW"))
        return static_cast<int32_t>(ERROR_ACCESS_DENIED);
    if (!hasRegDeleteKeyEx)
        return static_cast<int32_t>(ERROR_CALL_NOT_IMPLEMENTED);
    registryCalls.push_back({"delete", subKey, samDesired});
    const auto parent = keys_.find(key);
    if (parent == keys_.end())
        return static_cast<int32_t>(ERROR_INVALID_HANDLE);
    const int view = (samDesired & KEY_WOW64_32KEY) ? 32 : 64;
    return registry_.erase({view, Fold(parent->second.second + u"\\" + subKey)})
               ? 0
               : static_cast<int32_t>(ERROR_FILE_NOT_FOUND);
}

int32_t SimulatedWindows::RegDeleteKeyW(RegistryKey key, const std::u16string& subKey) {
    if (Enter("RegDeleteKeyW"))
        return static_cast<int32_t>(ERROR_ACCESS_DENIED);
    registryCalls.push_back({"delete default view", subKey, 0});
    const auto parent = keys_.find(key);
    if (parent == keys_.end())
        return static_cast<int32_t>(ERROR_INVALID_HANDLE);
    // A 32-bit process sees the 32-bit view by default.
    return registry_.erase({32, Fold(parent->second.second + u"\\" + subKey)})
               ? 0
               : static_cast<int32_t>(ERROR_FILE_NOT_FOUND);
}

int32_t SimulatedWindows::RegCloseKey(RegistryKey key) {
    if (Enter("RegCloseKey")) {
        keys_.erase(key);
        return static_cast<int32_t>(ERROR_INVALID_HANDLE);
    }
    return keys_.erase(key) ? 0 : static_cast<int32_t>(ERROR_INVALID_HANDLE);
}

bool SimulatedWindows::OpenProcessToken(Handle process, uint32_t desiredAccess, Handle& token) {
    if (Enter("OpenProcessToken " + std::to_string(desiredAccess)))
        return Fail(ERROR_ACCESS_DENIED) == 0;
    if (!canOpenProcessToken || process != kCurrentProcess)
        return Fail(ERROR_ACCESS_DENIED) == 0;
    token = NewHandle();
    tokens_.insert(token);
    return true;
}

bool SimulatedWindows::LookupPrivilegeValueW(const char16_t* systemName, const std::u16string& name,
                                             Luid& luid) {
    if (Enter("LookupPrivilegeValueW"))
        return Fail(1313) == 0; // ERROR_NO_SUCH_PRIVILEGE
    if (systemName != nullptr || !knowsShutdownPrivilege || name != u"SeShutdownPrivilege")
        return Fail(1313) == 0; // ERROR_NO_SUCH_PRIVILEGE
    luid = {19, 0};
    return true;
}

bool SimulatedWindows::AdjustTokenPrivileges(Handle token, bool disableAllPrivileges,
                                             const Luid& luid, uint32_t attributes) {
    if (Enter("AdjustTokenPrivileges"))
        return Fail(ERROR_ACCESS_DENIED) == 0;
    if (!tokens_.count(token) || disableAllPrivileges || luid.lowPart != 19 ||
        attributes != SE_PRIVILEGE_ENABLED)
        return Fail(ERROR_INVALID_HANDLE) == 0;
    lastError_ = holdsShutdownPrivilege ? 0 : ERROR_NOT_ALL_ASSIGNED;
    return true;
}

int SimulatedWindows::MessageBoxW(WindowHandle, const std::u16string& text,
                                  const std::u16string& caption, uint32_t type) {
    if (Enter("MessageBoxW")) {
        Fail(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    boxes.push_back({text, caption, type});
    if (!answers.empty()) {
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return (type & 0xF) == MB_YESNO ? IDYES : IDOK;
}

bool SimulatedWindows::ExitWindowsEx(uint32_t flags, uint32_t reason) {
    if (Enter("ExitWindowsEx"))
        return Fail(ERROR_ACCESS_DENIED) == 0;
    restarts.push_back({flags, reason});
    return restartStarts;
}

uint32_t SimulatedWindows::MsiSetInternalUI(uint32_t level, WindowHandle*) {
    if (Enter("MsiSetInternalUI(" + std::to_string(level) + ")"))
        return 0; // INSTALLUILEVEL_NOCHANGE
    return 5;     // INSTALLUILEVEL_DEFAULT, the level before the call
}

int32_t SimulatedWindows::MsiQueryProductStateW(const std::u16string& product) {
    if (Enter("MsiQueryProductStateW"))
        return -2; // INSTALLSTATE_INVALIDARG
    const auto installed = products.find(product);
    return installed == products.end() ? INSTALLSTATE_UNKNOWN : installed->second.state;
}

int32_t SimulatedWindows::MsiQueryFeatureStateW(const std::u16string& product,
                                                const std::u16string& feature) {
    if (Enter("MsiQueryFeatureStateW"))
        return -2; // INSTALLSTATE_INVALIDARG
    const auto installed = products.find(product);
    if (installed == products.end())
        return INSTALLSTATE_UNKNOWN;
    const auto state = installed->second.features.find(feature);
    return state == installed->second.features.end() ? INSTALLSTATE_UNKNOWN : state->second;
}

uint32_t SimulatedWindows::MsiGetProductInfoW(const std::u16string& product,
                                              const std::u16string& property, char16_t* buffer,
                                              uint32_t& length) {
    if (Enter("MsiGetProductInfoW"))
        return 1610; // ERROR_BAD_CONFIGURATION
    const auto installed = products.find(product);
    if (installed == products.end())
        return ERROR_UNKNOWN_PRODUCT;
    if (property != u"VersionString")
        return ERROR_UNKNOWN_PROPERTY;
    return FillInstallerBuffer(installed->second.versionString, buffer, length);
}

uint32_t SimulatedWindows::MsiOpenPackageExW(const std::u16string& packagePath, uint32_t options,
                                             MsiHandle& package) {
    if (Enter("MsiOpenPackageExW " + std::to_string(options)))
        return 1619; // ERROR_INSTALL_PACKAGE_OPEN_FAILED
    const auto found = std::find_if(packages.begin(), packages.end(), [&](const auto& known) {
        return SamePath(known.first, packagePath);
    });
    if (found == packages.end())
        return 1619; // ERROR_INSTALL_PACKAGE_OPEN_FAILED
    if (found->second.openResult != 0)
        return found->second.openResult;
    package = static_cast<MsiHandle>(nextHandle_ += 4);
    msiHandles_[package] = found->first;
    return 0;
}

uint32_t SimulatedWindows::MsiGetPropertyW(MsiHandle install, const std::u16string& name,
                                           char16_t* buffer, uint32_t& length) {
    if (Enter("MsiGetPropertyW"))
        return 1627; // ERROR_FUNCTION_FAILED
    const auto handle = msiHandles_.find(install);
    if (handle == msiHandles_.end())
        return ERROR_INVALID_HANDLE;
    const InstallerPackage& package = packages.at(handle->second);
    if (package.propertyResult != 0)
        return package.propertyResult;
    const std::u16string value =
        name == u"ProductVersion" ? package.productVersion.value_or(u"") : u"";
    return FillInstallerBuffer(value, buffer, length);
}

uint32_t SimulatedWindows::MsiCloseHandle(MsiHandle handle) {
    if (Enter("MsiCloseHandle")) {
        msiHandles_.erase(handle);
        return ERROR_INVALID_HANDLE;
    }
    return msiHandles_.erase(handle) ? 0 : ERROR_INVALID_HANDLE;
}

uint32_t SimulatedWindows::MsiSourceListClearAllW(const std::u16string& product,
                                                  const char16_t* userName, uint32_t) {
    if (Enter(std::string("MsiSourceListClearAllW") + (userName ? " user" : "")))
        return 1610; // ERROR_BAD_CONFIGURATION
    const auto installed = products.find(product);
    if (installed == products.end())
        return ERROR_UNKNOWN_PRODUCT;
    installed->second.sourceListCleared = true;
    return 0;
}

uint32_t SimulatedWindows::MsiSourceListSetInfoW(const std::u16string& product,
                                                 const char16_t* userSid, uint32_t context,
                                                 uint32_t options, const std::u16string& property,
                                                 const std::u16string& value) {
    if (Enter("MsiSourceListSetInfoW " + std::to_string(context) + " " + std::to_string(options) +
              (userSid ? " user" : "")))
        return 1610; // ERROR_BAD_CONFIGURATION
    const auto installed = products.find(product);
    if (installed == products.end() || property != u"PackageName")
        return ERROR_UNKNOWN_PRODUCT;
    installed->second.packageName = value;
    return 0;
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
