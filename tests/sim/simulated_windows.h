// A simulated Windows behind the seam, as strict as Windows where the logic's decisions depend
// on it. It holds the machine a test sets up and records every call and what the program
// showed, started and changed. Each section of the seam has a file of its own.
#pragma once

#include "os/windows_api.h"

#include <deque>
#include <map>
#include <string>

namespace korvel::sim {

using Text = std::u16string;

// What a failing call answers where it has a code: ERROR_INTERNAL_ERROR, which nothing else gives.
inline constexpr uint32_t kInjectedError = 1359;
inline constexpr int32_t INSTALLSTATE_LOCAL = 3;

struct Box {
    Text caption, text;
    uint32_t style = 0;
    std::vector<int> checked; // a dialog's checked choices as it ends
};

struct Product {
    int32_t state = 5; // INSTALLSTATE_DEFAULT
    Text version;
    int32_t feature = INSTALLSTATE_LOCAL; // NPTAVEX's
    Text packageName, networkSources;     // of its source list
};

struct Package {
    Text version;        // "ProductVersion"
    uint32_t result = 0; // how msiexec ends when it installs it
    Text installerBox;   // what msiexec shows before it fails, under /qb
};

struct Control {
    int id = 0;
    Text text;
    bool visible = true, startsGroup = false, radio = false, checked = false;
};

// What a handle stands for: a process (its program and command line), a token (its rights),
// a key (its view and path, the rights it was opened with), an icon, a package (its path).
struct Object {
    enum Kind { Process, Token, Key, Icon, Msi } kind;
    uint32_t access = 0;
    Text path, line;
    bool ended = false;
    uint32_t exitCode = 0;
};

Text Fold(Text text); // as Windows compares names
Text ParentOf(const Text& path);
Text NameOf(const Text& path);
// The text after `opening` up to the next `closing`; empty without `opening`.
Text Between(const Text& line, const Text& opening, const Text& closing);

class SimulatedWindows : public WindowsApi {
public:
    // An administrator on 64-bit Windows 7 SP1 in English, with the program's string table,
    // started from its folder C:\dist, TMP C:\tmp.
    SimulatedWindows();

    std::vector<Text> args = {u"C:\\dist\\korvel-plugin-setup.exe"};
    Text programFolder = u"C:\\dist", currentDirectory = u"C:\\dist";
    Text systemDirectory = u"C:\\Windows\\system32";
    std::map<Text, Text> environment = {{u"TMP", u"C:\\tmp"}};
    std::optional<OsVersionInfoEx> version = OsVersionInfoEx{6, 1, 1};
    uint16_t uiLanguage = 0x0409;
    std::optional<bool> wow64 = true; // nothing: a Windows without IsWow64Process
    bool administrator = true, hasRegDeleteKeyEx = true, holdsShutdownPrivilege = true;
    bool restartStarts = true;
    std::map<uint16_t, Text> strings;
    std::map<Text, Product> products; // by product code
    std::map<Text, Package> packages; // by path
    std::deque<int> answers;          // to the boxes; then yes, or OK
    std::deque<int> clicks;           // on the dialog's controls; then Escape
    // Files and folders in the order they were added, the folders on the way too.
    std::vector<std::pair<Text, uint32_t>> files; // path and attributes
    std::map<Text, uint32_t> programs;            // exit codes, by folded path
    std::map<Text, uint32_t> keys; // options, by view ("32\" or "64\") and folded path

    void AddFile(const Text& path, uint32_t attributes = 0x80);
    const std::pair<Text, uint32_t>* Find(const Text& path) const;
    // Under HKEY_CURRENT_USER in the 32-bit view, and kept at the next logon: not volatile.
    bool HasKey(const Text& path) const;

    // Fault injection: the failAt-th call that can fail (from 1), and every call named
    // `failing`, answer as Windows does when it fails, with `injectedError` where it has a code.
    size_t failAt = 0, failableCalls = 0;
    std::string failing, failed; // `failed`: the name of the failAt-th
    uint32_t injectedError = kInjectedError;

    // What the program did.
    std::vector<std::string> calls;
    std::vector<Box> boxes;
    std::vector<Text> children; // the command lines of the processes started
    std::vector<uint32_t> creationFlags;
    Text standardOutput;
    bool restarted = false, shutdownEnabled = false, dialogEnded = false;
    std::vector<Control> dialog; // as the last dialog ended
    std::map<Handle, Object> handles;
    uintptr_t lastHandle = 0x100;

    // For the sections: whether the call last recorded fails, and its answer then.
    bool Fails();
    template <class Value> Answer<Value> Give(Value value, uint32_t error = 0) {
        return Fails() ? Answer<Value>{injectedError} : Answer<Value>{error, std::move(value)};
    }
    Handle Open(Object object);
    Object* Opened(Handle handle, Object::Kind kind);
    uint32_t Close(Handle handle, Object::Kind kind);
    Text Full(const Text& path) const;
    Text View(uint32_t samDesired) const;
    void Run(Object& process);
    uint32_t RunMsiexec(const Text& line);
    Control* Item(WindowHandle window, int id);
    void Check(Control& button);
};

// The simulated Windows behind `os`, which records the call.
inline SimulatedWindows& Sim(WindowsApi& os, const std::string& call) {
    static_cast<SimulatedWindows&>(os).calls.push_back(call);
    return static_cast<SimulatedWindows&>(os);
}

} // namespace korvel::sim
