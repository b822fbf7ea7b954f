// A simulated Windows behind the seam: the machine state a test sets up, scripted
// answers and child programs, and a record of every call so tests can assert what the
// program showed, started and changed.
#pragma once

#include "os/windows_api.h"
#include "simulated_dialog.h"

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace korvel::sim {

// Windows error codes that the simulation gives and the program never names.
constexpr uint32_t ERROR_MOD_NOT_FOUND = 126;

struct MessageBoxRecord {
    std::u16string text;
    std::u16string caption;
    uint32_t style;

    bool operator==(const MessageBoxRecord& other) const {
        return text == other.text && caption == other.caption && style == other.style;
    }
};

struct ProcessRecord {
    std::u16string applicationName; // empty when none was given
    std::u16string commandLine;
    uint32_t creationFlags;
    std::u16string program; // the file that ran
};

// A program a child process can run: what it does to the machine, and its exit code
// unless the effect gives another.
struct ChildProgram {
    uint32_t exitCode = 0;
    std::function<std::optional<uint32_t>(class SimulatedWindows&, const ProcessRecord&)> effect;
};

struct RegistryCall {
    std::string operation;
    std::u16string subKey;
    uint32_t samDesired;

    bool operator==(const RegistryCall& other) const {
        return operation == other.operation && subKey == other.subKey &&
               samDesired == other.samDesired;
    }
};

struct InstalledProduct {
    int32_t state = 5; // INSTALLSTATE_DEFAULT
    std::u16string versionString;
    std::map<std::u16string, int32_t> features;
    bool sourceListCleared = false;
    std::u16string packageName;
};

struct InstallerPackage {
    std::optional<std::u16string> productVersion;
    uint32_t openResult = 0;
    uint32_t propertyResult = 0; // what reading a property gives instead of the value
};

// The program's own module, where its resources are.
inline const ModuleHandle kProgramModule = reinterpret_cast<ModuleHandle>(uintptr_t{0x00400000});

// Windows-style file-name mask: '*' any run, '?' one character, letters in any case.
bool MatchesMask(const std::u16string& name, const std::u16string& mask);

class SimulatedWindows : public WindowsApi {
public:
    // An administrator on 64-bit Windows 7 SP1 with the program's string table, the
    // folder C:\dist as the current folder and TMP set to C:\Temp.
    SimulatedWindows();

    // Machine state.
    std::u16string commandLine = u"korvel-plugin-setup.exe";
    bool commandLineSplits = true;
    bool administrator = true;
    bool versionReadable = true;
    OsVersionInfoEx version;
    std::map<uint16_t, std::vector<char16_t>> stringBlocks;
    std::u16string currentDirectory = u"C:\\dist";
    std::u16string systemDirectory = u"C:\\Windows\\system32";
    std::map<std::u16string, std::u16string> environment;
    SystemTime localTime = {2016, 2, 1, 9, 7, 5};
    bool hasIsWow64Process = true;
    bool isWow64ProcessFails = false;
    bool wow64 = true;
    bool hasRegDeleteKeyEx = true;
    bool canOpenProcessToken = true;
    bool knowsShutdownPrivilege = true;
    bool holdsShutdownPrivilege = true;
    bool restartStarts = true;
    std::map<std::u16string, InstalledProduct> products;
    std::map<std::u16string, InstallerPackage> packages; // by full path

    // User interface: the system's language (Russian), the program's icons and dialog
    // templates, and what the user does in the dialogs, in order.
    uint16_t systemDefaultUILanguage = 0x0419;
    std::set<uint16_t> iconResources = {100};
    std::map<uint16_t, std::vector<DialogControl>> dialogTemplates = DialogTemplates();
    std::deque<DialogInput> dialogInputs;

    // Answers to the message boxes, in order; when none is left a box gets IDYES for a
    // yes/no question and IDOK otherwise.
    std::deque<int> answers;

    // File system, in listing order: every entry is a full path.
    void AddFolder(const std::u16string& path);
    void AddFile(const std::u16string& path);
    void AddProgram(const std::u16string& path, ChildProgram program);
    bool Exists(const std::u16string& path) const;
    // Registry keys as "HKCU\<path>" per view: 32 or 64.
    bool HasKey(int view, const std::u16string& path) const;
    void AddKey(int view, const std::u16string& path);

    // Fault injection: the failAt-th call that can fail (counting from 1) fails as Windows
    // would; 0 fails none. callsThatCanFail counts those calls as they are made. Every call
    // named `failingCall` fails too.
    size_t failAt = 0;
    std::string failingCall;
    size_t callsThatCanFail = 0;
    std::string failedCall;

    // What the program did.
    std::vector<std::string> calls;
    std::vector<MessageBoxRecord> boxes;
    std::vector<ProcessRecord> processes;
    std::vector<RegistryCall> registryCalls;
    std::u16string standardOutput;
    uint32_t versionInfoSizeAsked = 0;
    std::vector<std::pair<uint32_t, uint32_t>> restarts; // flags and reason
    std::optional<SimulatedDialog> dialog;               // the last one shown
    size_t OpenHandleCount() const;

    std::u16string GetCommandLineW() override;
    uint32_t GetLastError() override;
    bool GetVersionExW(OsVersionInfoEx& info) override;
    uint32_t GetFileAttributesW(const std::u16string& path) override;
    ResourceBytes FindResourceW(uint16_t type, uint16_t name) override;
    uint32_t GetCurrentDirectoryW(uint32_t bufferLength, char16_t* buffer) override;
    uint32_t GetSystemDirectoryW(char16_t* buffer, uint32_t size) override;
    Handle FindFirstFileW(const std::u16string& pattern, FindData& data) override;
    bool FindNextFileW(Handle find, FindData& data) override;
    bool FindClose(Handle find) override;
    uint32_t GetEnvironmentVariableW(const std::u16string& name, char16_t* buffer,
                                     uint32_t size) override;
    bool CreateProcessW(const char16_t* applicationName, char16_t* commandLine,
                        uint32_t creationFlags, ProcessInformation& information) override;
    uint32_t WaitForSingleObject(Handle handle, uint32_t milliseconds) override;
    bool GetExitCodeProcess(Handle process, uint32_t& exitCode) override;
    bool CloseHandle(Handle handle) override;
    ModuleHandle GetModuleHandleW(const char16_t* moduleName) override;
    Handle GetCurrentProcess() override;
    bool IsWow64Process(Handle process, bool& wow64Process) override;
    void GetLocalTime(SystemTime& time) override;
    uint16_t GetSystemDefaultUILanguage() override;
    void WriteStandardOutput(const std::u16string& text) override;
    bool CommandLineToArgvW(const std::u16string& line,
                            std::vector<std::u16string>& arguments) override;
    bool IsUserAnAdmin() override;
    int32_t RegCreateKeyExW(RegistryKey key, const std::u16string& subKey, uint32_t options,
                            uint32_t samDesired, RegistryKey& result) override;
    int32_t RegOpenKeyExW(RegistryKey key, const std::u16string& subKey, uint32_t options,
                          uint32_t samDesired, RegistryKey& result) override;
    int32_t RegDeleteKeyExW(RegistryKey key, const std::u16string& subKey, uint32_t samDesired,
                            uint32_t reserved) override;
    int32_t RegDeleteKeyW(RegistryKey key, const std::u16string& subKey) override;
    int32_t RegCloseKey(RegistryKey key) override;
    bool OpenProcessToken(Handle process, uint32_t desiredAccess, Handle& token) override;
    bool LookupPrivilegeValueW(const char16_t* systemName, const std::u16string& name,
                               Luid& luid) override;
    bool AdjustTokenPrivileges(Handle token, bool disableAllPrivileges, const Luid& luid,
                               uint32_t attributes) override;
    int MessageBoxW(WindowHandle owner, const std::u16string& text, const std::u16string& caption,
                    uint32_t type) override;
    bool ExitWindowsEx(uint32_t flags, uint32_t reason) override;
    intptr_t DialogBoxParamW(ModuleHandle instance, uint16_t templateName, WindowHandle parent,
                             const DialogProcedure& dialogFunc, intptr_t initParam) override;
    bool EndDialog(WindowHandle dialog, intptr_t result) override;
    Handle LoadImageW(ModuleHandle instance, uint16_t name, uint32_t type, int cx, int cy,
                      uint32_t load) override;
    bool DestroyIcon(Handle icon) override;
    intptr_t SendMessageW(WindowHandle window, uint32_t message, uintptr_t wParam,
                          intptr_t lParam) override;
    WindowHandle GetDlgItem(WindowHandle dialog, int id) override;
    bool ShowWindow(WindowHandle window, int cmdShow) override;
    bool CheckDlgButton(WindowHandle dialog, int id, uint32_t check) override;
    uint32_t IsDlgButtonChecked(WindowHandle dialog, int id) override;
    uint32_t GetDlgItemTextW(WindowHandle dialog, int id, char16_t* string, int maxCount) override;
    bool SetDlgItemTextW(WindowHandle dialog, int id, const std::u16string& string) override;
    uint32_t MsiSetInternalUI(uint32_t level, WindowHandle* window) override;
    int32_t MsiQueryProductStateW(const std::u16string& product) override;
    int32_t MsiQueryFeatureStateW(const std::u16string& product,
                                  const std::u16string& feature) override;
    uint32_t MsiGetProductInfoW(const std::u16string& product, const std::u16string& property,
                                char16_t* buffer, uint32_t& length) override;
    uint32_t MsiOpenPackageExW(const std::u16string& packagePath, uint32_t options,
                               MsiHandle& package) override;
    uint32_t MsiGetPropertyW(MsiHandle install, const std::u16string& name, char16_t* buffer,
                             uint32_t& length) override;
    uint32_t MsiCloseHandle(MsiHandle handle) override;
    uint32_t MsiSourceListClearAllW(const std::u16string& product, const char16_t* userName,
                                    uint32_t reserved) override;
    uint32_t MsiSourceListSetInfoW(const std::u16string& product, const char16_t* userSid,
                                   uint32_t context, uint32_t options,
                                   const std::u16string& property,
                                   const std::u16string& value) override;

private:
    struct Entry {
        std::u16string path;
        uint32_t attributes;
    };
    struct Child {
        uint32_t exitCode;
    };

    const Entry* Find(const std::u16string& path) const;
    std::u16string FullPath(const std::u16string& path) const;
    std::optional<std::u16string> ResolveProgram(const std::u16string& name) const;
    Handle NewHandle();
    uint32_t Fail(uint32_t error);
    // Records a call; true when it is the one that must fail.
    bool Enter(std::string call);
    // Records a call that cannot fail.
    void Record(std::string call);
    DialogControl* DialogItem(WindowHandle dialogWindow, int id);
    void Deliver(const DialogProcedure& procedure, uint32_t message, uintptr_t wParam,
                 intptr_t lParam);
    void Deliver(const DialogProcedure& procedure, const DialogInput& input);

    uint32_t lastError_ = 0;
    uintptr_t nextHandle_ = 0x100;
    std::vector<Entry> entries_;
    std::map<std::u16string, ChildProgram> programs_;
    std::map<Handle, std::vector<FindData>> finds_;
    std::map<Handle, Child> children_;
    std::set<Handle> threads_;
    std::set<Handle> tokens_;
    std::map<Handle, std::pair<int, std::u16string>> keys_; // view and path
    std::set<std::pair<int, std::u16string>> registry_;
    std::map<MsiHandle, std::u16string> msiHandles_;
    std::set<Handle> icons_;
};

// The Windows rules for splitting a command line: quotes group, backslashes escape a
// quote only when they precede one, and the program name is taken without escapes.
std::vector<std::u16string> SplitCommandLine(const std::u16string& line);

} // namespace korvel::sim
