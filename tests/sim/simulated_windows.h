// A simulated Windows behind the seam, as strict as Windows where the program depends on it:
// a child runs until it is waited for, a handle is valid from its opening to its closing, a
// token has only the rights it was opened with, a resource block is exactly as long as it is.
// It holds the machine a test sets up and records what the program showed, started and
// changed. Its msiexec installs packages as the Windows Installer would.
#pragma once

#include "os/windows_api.h"

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace korvel::sim {

// The program's own module, where its resources are.
inline const ModuleHandle kProgramModule = reinterpret_cast<ModuleHandle>(uintptr_t{0x00400000});

struct BoxRecord {
    std::u16string caption;
    std::u16string text;
    uint32_t style = 0;
    bool dialog = false;
    std::vector<int> checked; // a dialog's checked choices when it appears
    bool operator==(const BoxRecord& other) const = default;
};

struct Control {
    std::string kind; // PUSHBUTTON, AUTORADIOBUTTON, GROUPBOX, LTEXT, ...
    int id = 0;
    std::u16string text;
    bool visible = true;
    bool startsGroup = false;
    bool checked = false;
};

struct Product {
    int32_t state = 5;      // INSTALLSTATE_DEFAULT
    std::u16string version; // "VersionString"
    int32_t feature = 3;    // NPTAVEX: INSTALLSTATE_LOCAL, or 2 (absent)
    std::u16string packageName;
};

struct MsiPackage {
    std::optional<std::u16string> productVersion;
    uint32_t installResult = 0;  // msiexec's exit code when it installs this package
    std::u16string installerBox; // shown by msiexec before it fails, under /qb
};

class SimulatedWindows : public WindowsApi {
public:
    // An administrator on 64-bit Windows 7 SP1 in English, with the program's resources, its
    // folder C:\dist as the current folder and TMP set to C:\tmp.
    SimulatedWindows();
    ~SimulatedWindows() override;

    std::u16string commandLine = u"korvel-plugin-setup.exe";
    std::u16string programFolder = u"C:\\dist";
    std::u16string currentDirectory = u"C:\\dist";
    std::u16string systemDirectory = u"C:\\Windows\\system32";
    std::map<std::u16string, std::u16string> environment = {{u"TMP", u"C:\\tmp"}};
    OsVersionInfoEx version = {0, 6, 1, 1};
    SystemTime localTime = {2016, 2, 1, 9, 7, 5};
    uint16_t uiLanguage = 0x0409;
    bool commandLineSplits = true, administrator = true, versionReadable = true;
    bool wow64 = true, hasIsWow64Process = true, isWow64ProcessFails = false;
    bool hasRegDeleteKeyEx = true, holdsShutdownPrivilege = true, restartStarts = true;
    std::map<uint16_t, std::vector<char16_t>> stringBlocks; // as the resource compiler lays them
    std::map<std::u16string, Product> products;             // by product code
    std::map<std::u16string, MsiPackage> packages;          // by full path
    std::deque<int> answers;                                // to the message boxes; then yes or OK
    std::deque<int> dialogClicks; // controls clicked in the dialog; then Escape

    // Fault injection: the failAt-th call that can fail (from 1), and every call named
    // failingCall, fail as Windows would make them fail.
    size_t failAt = 0;
    std::string failingCall;
    size_t callsThatCanFail = 0;
    std::string failedCall;

    // The machine.
    void AddFolder(const std::u16string& path);
    void AddFile(const std::u16string& path, uint32_t attributes = 0x20);
    void AddProgram(const std::u16string& path, uint32_t exitCode);
    bool Exists(const std::u16string& path) const;
    std::vector<std::u16string> FilesIn(const std::u16string& folder) const; // names
    bool HasKey(const std::u16string& path) const; // under HKCU, in the 32-bit view
    void AddKey(const std::u16string& path);
    void RemoveMessage(uint16_t id);
    void DamageMessage(uint16_t id, int16_t extraLength); // its length claims more or less

    // What the program did.
    std::vector<std::string> calls;
    std::vector<BoxRecord> boxes;
    std::vector<std::u16string> children; // command lines of the processes started
    std::u16string standardOutput;
    bool restarted = false;
    std::vector<Control> dialogControls; // as the last dialog ended
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
    struct Object; // what a handle stands for
    bool Enter(std::string call);
    bool Fail(uint32_t error);
    Handle Open(Object object);
    Object* Opened(Handle handle, int kind);
    const std::u16string* Find(const std::u16string& path) const;
    std::u16string Full(const std::u16string& path) const;
    uint32_t Run(const std::u16string& program, const std::u16string& line);
    uint32_t RunMsiexec(const std::u16string& line);
    void Deliver(const DialogProcedure& procedure, uint32_t message, uintptr_t wParam);
    Control* Item(WindowHandle dialog, int id);

    uint32_t lastError_ = 0;
    uintptr_t nextHandle_ = 0x100;
    std::vector<std::pair<std::u16string, uint32_t>> entries_; // path and attributes, listed
    std::map<std::u16string, uint32_t> programs_;
    std::set<std::u16string> keys_;
    std::map<Handle, std::unique_ptr<Object>> handles_;
    std::vector<std::unique_ptr<char16_t[]>> loadedBlocks_;
    bool shutdownEnabled_ = false;
    bool dialogEnded_ = false;
    intptr_t dialogResult_ = 0;
};

// The Windows rules for splitting a command line: quotes group, backslashes escape a quote
// only when they precede one, and the program name is taken without escapes.
std::vector<std::u16string> SplitCommandLine(const std::u16string& line);

} // namespace korvel::sim
