// A simulated Windows behind the seam, as strict as Windows where the program depends on it.
// It holds the machine a test sets up and records what the program showed, started and
// changed; its msiexec installs packages as the Windows Installer would.
#pragma once

#include "os/windows_api.h"
#include "os/windows_constants.h"
#include "plugin/install_plugin.h"
#include "resource.h"
#include "resource_source.h"
#include "scenario.h"

#include <algorithm>
#include <regex>
#include <sstream>

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace korvel::sim {

using Text = std::u16string;

// The program's own module, where its resources are.
inline const ModuleHandle kProgramModule = reinterpret_cast<ModuleHandle>(uintptr_t{0x00400000});

struct Control {
    std::string kind; // PUSHBUTTON, AUTORADIOBUTTON, GROUPBOX, LTEXT, ...
    int id = 0;
    Text text;
    bool visible = true, startsGroup = false, checked = false;
};

struct Product {
    int32_t state = 5;   // INSTALLSTATE_DEFAULT
    Text version;        // "VersionString"
    int32_t feature = 3; // NPTAVEX: INSTALLSTATE_LOCAL, or 2 (absent)
    Text packageName;
};

struct MsiPackage {
    std::optional<Text> productVersion;
    uint32_t installResult = 0; // msiexec's exit code when it installs this package
    Text installerBox;          // shown by msiexec before it fails, under /qb
};

inline constexpr uint32_t STILL_ACTIVE = 259, ERROR_NO_MORE_FILES = 18,
                          ERROR_PRIVILEGE_NOT_HELD = 1314;
inline constexpr uint32_t ERROR_RESOURCE_NAME_NOT_FOUND = 1814, ERROR_INSTALL_LOG_FAILURE = 1622;
inline constexpr uint32_t ERROR_UNKNOWN_PRODUCT = 1605, ERROR_INSTALL_PACKAGE_OPEN_FAILED = 1619;
inline constexpr uint32_t ERROR_PRODUCT_VERSION = 1638, ERROR_BAD_CONFIGURATION = 1610;
inline constexpr uint32_t ERROR_FUNCTION_FAILED = 1627, ERROR_INVALID_PARAMETER = 87;
inline constexpr uint32_t ERROR_MOD_NOT_FOUND = 126;
inline const Handle kCurrentProcess = reinterpret_cast<Handle>(~uintptr_t{0});
inline const Text kMsiexec = u"C:\\Windows\\system32\\msiexec.exe";

inline Text Fold(Text text) {
    for (char16_t& c : text)
        c = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
    return text;
}

inline Text ParentOf(const Text& path) {
    const size_t slash = path.rfind(u'\\');
    return slash == Text::npos ? u"" : path.substr(0, slash);
}

inline Text NameOf(const Text& path) {
    return path.substr(path.rfind(u'\\') + 1);
}

// Windows-style mask: '*' any run, '?' one character, letters in any case.
inline bool Matches(const Text& name, const Text& mask) {
    if (mask.empty())
        return name.empty();
    if (mask[0] == u'*')
        return Matches(name, mask.substr(1)) || (!name.empty() && Matches(name.substr(1), mask));
    return !name.empty() &&
           (mask[0] == u'?' || Fold(mask.substr(0, 1)) == Fold(name.substr(0, 1))) &&
           Matches(name.substr(1), mask.substr(1));
}

// As Windows fills a caller's buffer: the length when it fits, else the size it needs.
inline uint32_t Fill(const Text& value, char16_t* buffer, uint32_t size) {
    if (buffer == nullptr || value.size() + 1 > size)
        return static_cast<uint32_t>(value.size() + 1);
    std::copy(value.begin(), value.end(), buffer);
    buffer[value.size()] = u'\0';
    return static_cast<uint32_t>(value.size());
}

// The Windows Installer's getters answer ERROR_MORE_DATA instead.
inline uint32_t FillInstaller(const Text& value, char16_t* buffer, uint32_t& length) {
    const uint32_t size = length;
    length = static_cast<uint32_t>(value.size());
    return buffer == nullptr || Fill(value, buffer, size) == length ? 0 : ERROR_MORE_DATA;
}

// The text after `opening` up to the next `closing`.
inline Text Between(const Text& line, const Text& opening, const Text& closing) {
    const size_t start = line.find(opening);
    if (start == Text::npos)
        return u"";
    const size_t from = start + opening.size();
    return line.substr(from, line.find(closing, from) - from);
}

inline std::vector<Control> DialogTemplate() {
    std::vector<Control> controls;
    std::istringstream source(test::ResourceSource("dialog.rc"));
    static const std::regex control(R"(^\s+(\w+)\s+(".*"), (\w+), [\d, ]+(.*)$)");
    std::smatch match;
    for (std::string line; std::getline(source, line);) {
        if (!std::regex_match(line, match, control))
            continue;
        const std::string style = match[4];
        Control item{match[1], test::ResourceNumber(match[3]),
                     test::FromUtf8(test::Unquote(match[2], 0))};
        item.visible = style.find("NOT WS_VISIBLE") == std::string::npos;
        item.startsGroup = item.kind == "LTEXT" || style.find("WS_GROUP") != std::string::npos;
        controls.push_back(item);
    }
    return controls;
}

// The Windows split of a command line: quotes group and \" is a quote (the runs of
// backslashes before a quote that Windows halves appear in no test's command line).
inline std::vector<Text> SplitCommandLine(const Text& line) {
    std::vector<Text> arguments;
    bool inArgument = false, quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const bool blank = !quoted && (line[i] == u' ' || line[i] == u'\t');
        if (!inArgument && !blank)
            arguments.emplace_back();
        inArgument = !blank;
        if (blank)
            continue;
        if (line[i] == u'"')
            quoted = !quoted;
        else
            arguments.back() += line.compare(i, 2, u"\\\"") == 0 ? line[++i] : line[i];
    }
    return arguments;
}

class SimulatedWindows : public WindowsApi {
public:
    // An administrator on 64-bit Windows 7 SP1 in English, with the program's resources, its
    // folder C:\dist as the current folder and TMP set to C:\tmp.
    SimulatedWindows() {
        for (const auto& [id, text] : test::StringTable()) {
            Block(id).resize(std::max<size_t>(Block(id).size(), 16));
            const auto at = Entry(id);
            *at = static_cast<char16_t>(text.size());
            Block(id).insert(at + 1, text.begin(), text.end());
        }
        AddFolder(u"C:\\tmp");
        AddFile(u"C:\\dist\\korvel-plugin-setup.exe");
        AddProgram(kMsiexec, 0);
        AddKey(u"Software");
    }

    Text commandLine = u"korvel-plugin-setup.exe";
    Text programFolder = u"C:\\dist";
    Text currentDirectory = u"C:\\dist";
    Text systemDirectory = u"C:\\Windows\\system32";
    std::map<Text, Text> environment = {{u"TMP", u"C:\\tmp"}};
    OsVersionInfoEx version = {0, 6, 1, 1};
    SystemTime localTime = {2016, 2, 1, 9, 7, 5};
    uint16_t uiLanguage = 0x0409;
    bool commandLineSplits = true, administrator = true, versionReadable = true;
    bool wow64 = true, hasIsWow64Process = true;
    bool hasRegDeleteKeyEx = true, holdsShutdownPrivilege = true, restartStarts = true;
    // The string table as the resource compiler lays it out.
    std::map<uint16_t, std::vector<char16_t>> stringBlocks;
    std::map<Text, Product> products;    // by product code
    std::map<Text, MsiPackage> packages; // by full path
    std::deque<int> answers;             // to the message boxes; then yes or OK
    std::deque<int> dialogClicks;        // controls clicked in the dialog; then Escape

    // Fault injection: the failAt-th call that can fail (from 1), and every call named
    // failingCall, fail as Windows would make them fail.
    size_t failAt = 0;
    std::string failingCall;
    size_t callsThatCanFail = 0;
    std::string failedCall;

    // The machine.
    void AddFolder(const Text& path) { AddFile(path, FILE_ATTRIBUTE_DIRECTORY); }
    // Adds the folders on the way too.
    void AddFile(const Text& path, uint32_t attributes = 0x20) {
        if (ParentOf(path).size() > 2)
            AddFolder(ParentOf(path));
        if (!Find(path))
            entries_.push_back({path, attributes});
    }
    void AddProgram(const Text& path, uint32_t exitCode) {
        AddFile(path);
        programs_[Fold(path)] = exitCode;
    }
    // Keys under HKCU, in the 32-bit view.
    bool HasKey(const Text& path) const { return keys_.count(Fold(path)) != 0; }
    void AddKey(const Text& path) { keys_.insert(Fold(path)); }
    std::vector<Text> FilesIn(const Text& folder) const {
        std::vector<Text> names;
        for (const auto& [entry, attributes] : entries_) {
            if (Fold(ParentOf(entry)) == Fold(folder))
                names.push_back(NameOf(entry));
        }
        return names;
    }
    // A message's entry made absent, or claiming `extraLength` more units than it has.
    void RemoveMessage(uint16_t id) {
        const auto at = Entry(id);
        Block(id).erase(at + 1, at + 1 + *at);
        *at = 0;
    }
    void DamageMessage(uint16_t id, int16_t extraLength) {
        *Entry(id) = static_cast<char16_t>(*Entry(id) + extraLength);
    }
    // What the program did.
    std::vector<std::string> calls;
    std::vector<test::Box> boxes;
    test::Strings children; // command lines of the processes started
    Text standardOutput;
    bool restarted = false;
    std::vector<Control> dialogControls; // as the last dialog ended
    size_t OpenHandleCount() const { return handles_.size(); }

    Text GetCommandLineW() override {
        calls.push_back("GetCommandLineW");
        return commandLine;
    }
    uint32_t GetLastError() override { return lastError_; }
    bool GetVersionExW(OsVersionInfoEx& info) override {
        // The service pack is filled in only for the extended structure's size.
        if (Enter(__func__) || !versionReadable || (info.size != 284 && info.size != 148))
            return Fail(ERROR_INVALID_PARAMETER);
        info = {info.size, version.majorVersion, version.minorVersion,
                static_cast<uint16_t>(info.size == 284 ? version.servicePackMajor : 0)};
        return true;
    }
    uint32_t GetFileAttributesW(const Text& path) override {
        const auto* entry = Enter(__func__) || path.empty() ? nullptr : Find(Full(path));
        return entry ? entry->second : Fail(ERROR_FILE_NOT_FOUND, INVALID_FILE_ATTRIBUTES);
    }
    ResourceBytes FindResourceW(uint16_t type, uint16_t name) override {
        const auto block = stringBlocks.find(name);
        if (Enter(__func__) || type != RT_STRING || block == stringBlocks.end())
            return Fail(ERROR_RESOURCE_NAME_NOT_FOUND, ResourceBytes{});
        // A copy of exactly the block's size, so that a read past its end is caught.
        loadedBlocks_.emplace_back(new char16_t[block->second.size()]);
        std::copy(block->second.begin(), block->second.end(), loadedBlocks_.back().get());
        return {loadedBlocks_.back().get(), static_cast<uint32_t>(block->second.size() * 2)};
    }
    uint32_t GetCurrentDirectoryW(uint32_t bufferLength, char16_t* buffer) override {
        return Enter(__func__) ? Fail(ERROR_ACCESS_DENIED)
                               : Fill(currentDirectory, buffer, bufferLength);
    }
    uint32_t GetSystemDirectoryW(char16_t* buffer, uint32_t size) override {
        return Enter(__func__) ? Fail(ERROR_ACCESS_DENIED) : Fill(systemDirectory, buffer, size);
    }
    Handle FindFirstFileW(const Text& pattern, FindData& data) override {
        const Text full = Full(pattern), folder = ParentOf(full);
        Object search{Object::Search};
        if (!Enter(__func__) && Find(folder)) {
            for (const char16_t* dot : {u".", u".."}) {
                if (folder.size() > 2 && Matches(dot, NameOf(full)))
                    search.found.push_back({FILE_ATTRIBUTE_DIRECTORY, dot});
            }
            for (const auto& [entry, attributes] : entries_) {
                if (Fold(ParentOf(entry)) == Fold(folder) && Matches(NameOf(entry), NameOf(full)))
                    search.found.push_back({attributes, NameOf(entry)});
            }
        }
        if (search.found.empty())
            return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
        data = search.found.front();
        search.found.erase(search.found.begin());
        return Open(std::move(search));
    }
    bool FindNextFileW(Handle find, FindData& data) override {
        Object* search = Opened(find, Object::Search);
        if (Enter(__func__) || search == nullptr)
            return Fail(ERROR_INVALID_HANDLE);
        if (search->found.empty())
            return Fail(ERROR_NO_MORE_FILES);
        data = search->found.front();
        search->found.erase(search->found.begin());
        return true;
    }
    bool FindClose(Handle find) override {
        return Close(find, {Object::Search}, __func__) || Fail(ERROR_INVALID_HANDLE);
    }
    uint32_t GetEnvironmentVariableW(const Text& name, char16_t* buffer, uint32_t size) override {
        const auto variable = environment.find(name);
        if (Enter(__func__) || variable == environment.end())
            return Fail(ERROR_ENVVAR_NOT_FOUND);
        return Fill(variable->second, buffer, size);
    }
    bool CreateProcessW(const char16_t* applicationName, char16_t* line, uint32_t creationFlags,
                        ProcessInformation& information) override {
        const Text command = line;
        Text program = applicationName ? applicationName : command.substr(0, command.find(u' '));
        if (program.find(u'\\') == Text::npos) {
            // A bare name: the program's own folder, the current folder, the system folder.
            for (const Text& folder : {programFolder, currentDirectory, systemDirectory}) {
                const Text file =
                    folder + u"\\" + program + (Matches(program, u"*.exe") ? u"" : u".exe");
                if (Find(file)) {
                    program = file;
                    break;
                }
            }
        }
        program = Full(program);
        if (Enter(__func__) || creationFlags != CREATE_NO_WINDOW)
            return Fail(ERROR_ACCESS_DENIED);
        if (!Find(program))
            return Fail(Find(ParentOf(program)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        children.push_back(test::ToUtf8(command));
        information.process = Open({Object::Process, 0, {}, Run(program, command)});
        information.thread = Open({Object::Thread});
        return true;
    }
    uint32_t WaitForSingleObject(Handle handle, uint32_t milliseconds) override {
        Object* process = Opened(handle, Object::Process);
        if (Enter(__func__) || process == nullptr || milliseconds != INFINITE)
            return Fail(ERROR_INVALID_HANDLE, WAIT_FAILED);
        process->ended = true;
        return 0; // WAIT_OBJECT_0
    }
    bool GetExitCodeProcess(Handle handle, uint32_t& exitCode) override {
        const Object* process = Opened(handle, Object::Process);
        if (Enter(__func__) || process == nullptr)
            return Fail(ERROR_INVALID_HANDLE);
        exitCode = process->ended ? process->exitCode : STILL_ACTIVE;
        return true;
    }
    bool CloseHandle(Handle handle) override {
        return Close(handle, {Object::Process, Object::Thread, Object::Token}, __func__) ||
               Fail(ERROR_INVALID_HANDLE);
    }
    ModuleHandle GetModuleHandleW(const char16_t* moduleName) override {
        const bool failing = Enter(__func__) || moduleName != nullptr;
        return failing ? Fail(ERROR_MOD_NOT_FOUND, ModuleHandle{}) : kProgramModule;
    }
    Handle GetCurrentProcess() override { return kCurrentProcess; }
    bool IsWow64Process(Handle process, bool& wow64Process) override {
        if (Enter(__func__) || !hasIsWow64Process || process != kCurrentProcess)
            return Fail(ERROR_ACCESS_DENIED);
        wow64Process = wow64;
        return true;
    }
    void GetLocalTime(SystemTime& time) override { time = localTime; }
    uint16_t GetSystemDefaultUILanguage() override { return uiLanguage; }
    void WriteStandardOutput(const Text& text) override { standardOutput += text; }
    bool CommandLineToArgvW(const Text& line, std::vector<Text>& arguments) override {
        if (Enter(__func__) || !commandLineSplits)
            return false;
        arguments = SplitCommandLine(line);
        return true;
    }
    bool IsUserAnAdmin() override { return !Enter(__func__) && administrator; }
    int32_t RegCreateKeyExW(RegistryKey key, const Text& subKey, uint32_t, uint32_t samDesired,
                            RegistryKey& result) override {
        if (Enter(__func__) || key != HKEY_CURRENT_USER || (samDesired & KEY_WRITE) != KEY_WRITE)
            return ERROR_ACCESS_DENIED;
        AddKey(subKey);
        result = Open({Object::Key, samDesired, subKey});
        return 0;
    }
    // A 32-bit program sees the 32-bit view unless it asks for the 64-bit one.
    int32_t RegOpenKeyExW(RegistryKey key, const Text& subKey, uint32_t, uint32_t samDesired,
                          RegistryKey& result) override {
        const bool view64 = (samDesired & 0x100) != 0; // KEY_WOW64_64KEY
        if (Enter(__func__) || key != HKEY_CURRENT_USER)
            return ERROR_ACCESS_DENIED;
        if (view64 || !HasKey(subKey))
            return ERROR_FILE_NOT_FOUND;
        result = Open({Object::Key, samDesired, subKey});
        return 0;
    }
    int32_t RegDeleteKeyExW(RegistryKey key, const Text& subKey, uint32_t samDesired,
                            uint32_t reserved) override {
        if (!hasRegDeleteKeyEx)
            return ERROR_CALL_NOT_IMPLEMENTED;
        if ((samDesired & 0x100) != 0 || reserved != 0)
            return ERROR_FILE_NOT_FOUND;
        return RegDeleteKeyW(key, subKey);
    }
    int32_t RegDeleteKeyW(RegistryKey key, const Text& subKey) override {
        const Object* parent = Opened(key, Object::Key);
        if (Enter(__func__) || parent == nullptr)
            return ERROR_INVALID_HANDLE;
        return keys_.erase(Fold(parent->path + u"\\" + subKey)) ? 0 : ERROR_FILE_NOT_FOUND;
    }
    int32_t RegCloseKey(RegistryKey key) override {
        return Close(key, {Object::Key}, __func__) ? 0 : ERROR_INVALID_HANDLE;
    }
    bool OpenProcessToken(Handle process, uint32_t desiredAccess, Handle& token) override {
        if (Enter(__func__) || process != kCurrentProcess)
            return Fail(ERROR_ACCESS_DENIED);
        token = Open({Object::Token, desiredAccess});
        return true;
    }
    bool LookupPrivilegeValueW(const char16_t* systemName, const Text& name, Luid& luid) override {
        if (Enter(__func__) || systemName != nullptr || name != u"SeShutdownPrivilege")
            return Fail(1313); // ERROR_NO_SUCH_PRIVILEGE
        luid = {19, 0};
        return true;
    }
    // Only a token opened for adjusting can be adjusted; the call succeeds when the account
    // lacks the privilege, and says so in the last error only.
    bool AdjustTokenPrivileges(Handle token, bool disableAllPrivileges, const Luid& luid,
                               uint32_t attributes) override {
        const Object* opened = Opened(token, Object::Token);
        if (Enter(__func__) || opened == nullptr)
            return Fail(ERROR_INVALID_HANDLE);
        if ((opened->access & TOKEN_ADJUST_PRIVILEGES) == 0)
            return Fail(ERROR_ACCESS_DENIED);
        const bool enabling =
            !disableAllPrivileges && luid.lowPart == 19 && attributes == SE_PRIVILEGE_ENABLED;
        shutdownEnabled_ = enabling && holdsShutdownPrivilege;
        lastError_ = shutdownEnabled_ || !enabling ? 0 : ERROR_NOT_ALL_ASSIGNED;
        return true;
    }
    int MessageBoxW(WindowHandle owner, const Text& text, const Text& caption,
                    uint32_t type) override {
        if (Enter(__func__) || owner != nullptr)
            return Fail(ERROR_NOT_ENOUGH_MEMORY);
        boxes.push_back({test::ToUtf8(caption), test::ToUtf8(text), type});
        return Next(answers, (type & 0xF) == MB_YESNO ? IDYES : IDOK);
    }
    bool ExitWindowsEx(uint32_t flags, uint32_t reason) override {
        if (Enter(__func__) || !shutdownEnabled_)
            return Fail(ERROR_PRIVILEGE_NOT_HELD);
        restarted = restartStarts && flags == (EWX_REBOOT | EWX_FORCE) &&
                    reason == SHTDN_REASON_MAJOR_APPLICATION;
        return restarted || Fail(ERROR_ACCESS_DENIED);
    }
    // The dialog: made from the program's template, shown until its procedure ends it.
    intptr_t DialogBoxParamW(ModuleHandle instance, uint16_t templateName, WindowHandle parent,
                             const DialogProcedure& dialogFunc, intptr_t initParam) override {
        if (Enter(__func__) || instance != kProgramModule || templateName != IDD_CONFIG ||
            parent != nullptr || initParam != 0)
            return Fail(ERROR_RESOURCE_NAME_NOT_FOUND, intptr_t{-1});
        dialogControls = DialogTemplate();
        dialogEnded_ = false;
        dialogFunc(this, WM_INITDIALOG, 0, 0);
        test::Box shown{test::DialogCaption(), "", 0};
        for (const Control& control : dialogControls) {
            if (control.checked)
                shown.checked.push_back(control.id);
        }
        boxes.push_back(shown);
        while (!dialogEnded_) {
            const int id = Next(dialogClicks, IDCANCEL);
            Control* clicked = Item(this, id);
            if (id != IDCANCEL && (clicked == nullptr || !clicked->visible))
                continue;
            if (clicked != nullptr && clicked->kind == "AUTORADIOBUTTON")
                CheckDlgButton(this, id, BST_CHECKED);
            dialogFunc(this, WM_COMMAND, static_cast<uintptr_t>(id), 0);
            if (id == IDCANCEL && dialogClicks.empty())
                break; // a dialog that stays open after Escape would wait forever
        }
        dialogFunc(this, WM_DESTROY, 0, 0);
        return dialogResult_;
    }
    bool EndDialog(WindowHandle dialog, intptr_t result) override {
        if (Enter(__func__) || dialog != this)
            return Fail(ERROR_INVALID_HANDLE);
        dialogEnded_ = true;
        dialogResult_ = result;
        return true;
    }
    Handle LoadImageW(ModuleHandle instance, uint16_t name, uint32_t type, int cx, int cy,
                      uint32_t load) override {
        if (Enter(__func__) || instance != kProgramModule || name != IDI_SETUP ||
            type != IMAGE_ICON || cx != 32 || cy != 32 || load != 0)
            return nullptr;
        return Open({Object::Icon});
    }
    bool DestroyIcon(Handle icon) override { return Close(icon, {Object::Icon}, __func__); }
    intptr_t SendMessageW(WindowHandle window, uint32_t message, uintptr_t wParam,
                          intptr_t lParam) override {
        const bool bigIcon = message == WM_SETICON && wParam == ICON_BIG &&
                             Opened(reinterpret_cast<Handle>(lParam), Object::Icon);
        calls.push_back(window == this && bigIcon ? "SendMessageW WM_SETICON" : "SendMessageW");
        return 0;
    }
    WindowHandle GetDlgItem(WindowHandle dialog, int id) override {
        return Enter(__func__) ? nullptr : Item(dialog, id);
    }
    bool ShowWindow(WindowHandle window, int cmdShow) override {
        Control* control = static_cast<Control*>(window);
        const bool wasVisible = control != nullptr && control->visible;
        if (!Enter(__func__) && control != nullptr)
            control->visible = cmdShow == SW_SHOW;
        return wasVisible;
    }
    bool CheckDlgButton(WindowHandle dialog, int id, uint32_t check) override {
        Control* button = Item(dialog, id);
        if (Enter(__func__) || button == nullptr)
            return Fail(ERROR_INVALID_HANDLE);
        // A radio button's group runs from a control that starts one to the next that does.
        size_t first = static_cast<size_t>(button - dialogControls.data());
        while (first > 0 && !dialogControls[first].startsGroup)
            --first;
        for (size_t i = first;
             check == BST_CHECKED && button->kind == "AUTORADIOBUTTON" &&
             i < dialogControls.size() && (i == first || !dialogControls[i].startsGroup);
             ++i)
            dialogControls[i].checked = false;
        button->checked = check == BST_CHECKED;
        return true;
    }
    uint32_t IsDlgButtonChecked(WindowHandle dialog, int id) override {
        const Control* button = Item(dialog, id);
        const bool checked = !Enter(__func__) && button != nullptr && button->checked;
        return checked ? BST_CHECKED : BST_UNCHECKED;
    }
    uint32_t GetDlgItemTextW(WindowHandle dialog, int id, char16_t* string, int maxCount) override {
        const Control* control = Item(dialog, id);
        if (Enter(__func__) || control == nullptr || maxCount <= 0)
            return Fail(ERROR_INVALID_HANDLE);
        const size_t length = std::min(control->text.size(), static_cast<size_t>(maxCount - 1));
        std::copy_n(control->text.begin(), length, string);
        string[length] = u'\0';
        return static_cast<uint32_t>(length);
    }
    bool SetDlgItemTextW(WindowHandle dialog, int id, const Text& string) override {
        Control* control = Item(dialog, id);
        if (Enter(__func__) || control == nullptr)
            return Fail(ERROR_INVALID_HANDLE);
        control->text = string;
        return true;
    }
    uint32_t MsiSetInternalUI(uint32_t level, WindowHandle*) override {
        calls.push_back("MsiSetInternalUI " + std::to_string(level));
        return 5; // INSTALLUILEVEL_DEFAULT, the level before
    }
    int32_t MsiQueryProductStateW(const Text& product) override {
        const auto found = products.find(product);
        if (Enter(__func__))
            return -2; // INSTALLSTATE_INVALIDARG
        return found == products.end() ? -1 : found->second.state;
    }
    int32_t MsiQueryFeatureStateW(const Text& product, const Text& feature) override {
        const auto found = products.find(product);
        if (Enter(__func__) || found == products.end() || feature != u"NPTAVEX")
            return -1; // INSTALLSTATE_UNKNOWN
        return found->second.feature;
    }
    uint32_t MsiGetProductInfoW(const Text& product, const Text& property, char16_t* buffer,
                                uint32_t& length) override {
        const auto found = products.find(product);
        if (Enter(__func__))
            return ERROR_BAD_CONFIGURATION;
        if (found == products.end() || property != u"VersionString")
            return ERROR_UNKNOWN_PRODUCT;
        return FillInstaller(found->second.version, buffer, length);
    }
    uint32_t MsiOpenPackageExW(const Text& packagePath, uint32_t options,
                               MsiHandle& package) override {
        if (Enter(__func__) || !packages.count(packagePath) || !Find(packagePath))
            return ERROR_INSTALL_PACKAGE_OPEN_FAILED;
        if (options != MSIOPENPACKAGEFLAGS_IGNOREMACHINESTATE && products.count(kPluginProductCode))
            return ERROR_PRODUCT_VERSION;
        package = static_cast<MsiHandle>(
            reinterpret_cast<uintptr_t>(Open({Object::Package, 0, packagePath})));
        return 0;
    }
    uint32_t MsiGetPropertyW(MsiHandle install, const Text& name, char16_t* buffer,
                             uint32_t& length) override {
        const Object* package =
            Opened(reinterpret_cast<Handle>(uintptr_t{install}), Object::Package);
        if (Enter(__func__))
            return ERROR_FUNCTION_FAILED;
        if (package == nullptr)
            return ERROR_INVALID_HANDLE;
        const MsiPackage& opened = packages.at(package->path);
        return FillInstaller(name == u"ProductVersion" ? opened.productVersion.value_or(u"") : u"",
                             buffer, length);
    }
    uint32_t MsiCloseHandle(MsiHandle handle) override {
        return Close(reinterpret_cast<Handle>(uintptr_t{handle}), {Object::Package}, __func__)
                   ? 0
                   : ERROR_INVALID_HANDLE;
    }
    uint32_t MsiSourceListClearAllW(const Text& product, const char16_t* userName,
                                    uint32_t reserved) override {
        if (Enter(__func__) || userName != nullptr || reserved != 0)
            return ERROR_BAD_CONFIGURATION;
        return products.count(product) ? 0 : ERROR_UNKNOWN_PRODUCT;
    }
    uint32_t MsiSourceListSetInfoW(const Text& product, const char16_t* userSid, uint32_t context,
                                   uint32_t options, const Text& property,
                                   const Text& value) override {
        const auto found = products.find(product);
        if (Enter(__func__) || userSid != nullptr || context != MSIINSTALLCONTEXT_MACHINE ||
            options != MSICODE_PRODUCT || property != u"PackageName")
            return ERROR_BAD_CONFIGURATION;
        if (found == products.end())
            return ERROR_UNKNOWN_PRODUCT;
        found->second.packageName = value;
        return 0;
    }

private:
    // What a handle stands for; `kind` tells which of the fields count.
    struct Object {
        enum Kind { Process, Thread, Search, Token, Key, Icon, Package };
        int kind;
        uint32_t access = 0;   // a token
        Text path;             // a key or a package
        uint32_t exitCode = 0; // a process
        bool ended = false;
        std::vector<FindData> found; // a search
    };
    std::vector<char16_t>& Block(uint16_t id) { return stringBlocks[uint16_t(id / 16 + 1)]; }
    std::vector<char16_t>::iterator Entry(uint16_t id) {
        auto at = Block(id).begin();
        for (unsigned k = 0; k < id % 16u; ++k)
            at += 1 + *at;
        return at;
    }
    bool Enter(std::string call) {
        const bool injected = ++callsThatCanFail == failAt;
        if (injected)
            failedCall = call;
        calls.push_back(call);
        return injected || call == failingCall;
    }
    // Closes a handle of one of `kinds`; any other is not open, as Windows would answer.
    bool Close(Handle handle, std::initializer_list<int> kinds, const char* call) {
        const auto found = handles_.find(handle);
        const bool open = found != handles_.end() &&
                          std::count(kinds.begin(), kinds.end(), found->second->kind) != 0;
        if (open)
            handles_.erase(found);
        return !Enter(call) && open;
    }
    static int Next(std::deque<int>& queue, int otherwise) {
        const int next = queue.empty() ? otherwise : queue.front();
        if (!queue.empty())
            queue.pop_front();
        return next;
    }
    template <class Result = bool> Result Fail(uint32_t error, Result result = {}) {
        lastError_ = error;
        return result;
    }
    Handle Open(Object object) {
        const Handle handle = reinterpret_cast<Handle>(nextHandle_ += 4);
        handles_[handle] = std::make_unique<Object>(std::move(object));
        return handle;
    }
    SimulatedWindows::Object* Opened(Handle handle, int kind) {
        const auto found = handles_.find(handle);
        const bool open = found != handles_.end() && found->second->kind == kind;
        return open ? found->second.get() : nullptr;
    }
    const std::pair<Text, uint32_t>* Find(const Text& path) const {
        for (const auto& entry : entries_) {
            if (Fold(entry.first) == Fold(path))
                return &entry;
        }
        return nullptr;
    }
    Text Full(const Text& path) const {
        return path.size() > 1 && path[1] == u':' ? path : currentDirectory + u"\\" + path;
    }
    // The child runs at once; its exit code is known once it has been waited for.
    uint32_t Run(const Text& program, const Text& line) {
        if (Fold(program) == Fold(kMsiexec))
            return RunMsiexec(line);
        const Text log = Between(line, u"\"\"\"", u"\"\"\"");
        if (!log.empty() && Find(ParentOf(log)))
            AddFile(log);
        return programs_[Fold(program)];
    }
    uint32_t RunMsiexec(const Text& line) {
        const Text path = Between(line, u"/i \"", u"\""), log = Between(line, u"/Lv! \"", u"\"");
        const auto package = packages.find(path);
        if (package == packages.end() || !Find(path))
            return ERROR_INSTALL_PACKAGE_OPEN_FAILED;
        if (!Find(ParentOf(log)))
            return ERROR_INSTALL_LOG_FAILURE;
        AddFile(log);
        if (!package->second.installerBox.empty() && line.find(u" /qb") != Text::npos)
            MessageBoxW(nullptr, package->second.installerBox, u"Windows Installer", MB_OK);
        const uint32_t result = package->second.installResult;
        if (!std::set<uint32_t>{0, 3010, 3011, 1641}.count(result)) // success, maybe a restart
            return result;
        const Text newVersion = package->second.productVersion.value_or(u"");
        const bool reinstall = line.find(u"REINSTALL=ALL") != Text::npos;
        auto installed = products.find(kPluginProductCode);
        if (installed != products.end() && installed->second.version != newVersion && !reinstall)
            return ERROR_PRODUCT_VERSION;
        Product& product = products[kPluginProductCode];
        product.version = newVersion;
        product.state = 5;
        if (installed == products.end() || line.find(u"ADDLOCAL=NPTAVEX") != Text::npos)
            product.feature = 3;
        return result;
    }
    Control* Item(WindowHandle dialog, int id) {
        for (Control& control : dialogControls) {
            if (dialog == this && control.id == id)
                return &control;
        }
        return nullptr;
    }

    uint32_t lastError_ = 0;
    uintptr_t nextHandle_ = 0x100;
    std::vector<std::pair<Text, uint32_t>> entries_; // path and attributes, listed
    std::map<Text, uint32_t> programs_;
    std::set<Text> keys_;
    std::map<Handle, std::unique_ptr<Object>> handles_;
    std::vector<std::unique_ptr<char16_t[]>> loadedBlocks_;
    bool shutdownEnabled_ = false;
    bool dialogEnded_ = false;
    intptr_t dialogResult_ = 0;
};

} // namespace korvel::sim
