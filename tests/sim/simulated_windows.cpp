#include "simulated_windows.h"

#include "resource_source.h"

#include <algorithm>

namespace korvel::sim {

Text Fold(Text text) {
    for (char16_t& c : text)
        c = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
    return text;
}

Text ParentOf(const Text& path) {
    return path.substr(0, std::min(path.rfind(u'\\'), path.size()));
}

Text NameOf(const Text& path) {
    return path.substr(path.rfind(u'\\') + 1);
}

Text Between(const Text& line, const Text& opening, const Text& closing) {
    const size_t start = line.find(opening), from = start + opening.size();
    return start == Text::npos ? u"" : line.substr(from, line.find(closing, from) - from);
}

SimulatedWindows::SimulatedWindows()
    : strings(test::StringTable().begin(), test::StringTable().end()) {
    AddFile(u"C:\\tmp", 0x10);
    AddFile(args[0]);
    AddFile(systemDirectory + u"\\msiexec.exe");
    programs[Fold(systemDirectory + u"\\msiexec.exe")] = 0;
    // HKEY_CURRENT_USER\Software is one key in both views.
    keys = {{u"32\\SOFTWARE", 0}, {u"64\\SOFTWARE", 0}};
}

void SimulatedWindows::AddFile(const Text& path, uint32_t attributes) {
    if (ParentOf(path).size() > 2)
        AddFile(ParentOf(path), 0x10);
    if (!Find(path))
        files.emplace_back(path, attributes);
}

const std::pair<Text, uint32_t>* SimulatedWindows::Find(const Text& path) const {
    const auto found = std::find_if(files.begin(), files.end(), [&](const auto& file) {
        return Fold(file.first) == Fold(path);
    });
    return found != files.end() ? &*found : nullptr;
}

bool SimulatedWindows::HasKey(const Text& path) const {
    const auto key = keys.find(u"32\\" + Fold(path));
    return key != keys.end() && key->second == 0; // REG_OPTION_NON_VOLATILE
}

bool SimulatedWindows::Fails() {
    if (++failableCalls == failAt)
        failed = calls.back();
    return failableCalls == failAt || calls.back() == failing;
}

Handle SimulatedWindows::Open(Object object) {
    const Handle handle = reinterpret_cast<Handle>(lastHandle += 4);
    handles.emplace(handle, std::move(object));
    return handle;
}

Object* SimulatedWindows::Opened(Handle handle, Object::Kind kind) {
    const auto found = handles.find(handle);
    return found != handles.end() && found->second.kind == kind ? &found->second : nullptr;
}

// A handle of another kind is not open, as Windows would answer.
uint32_t SimulatedWindows::Close(Handle handle, Object::Kind kind) {
    const bool open = Opened(handle, kind) != nullptr && handles.erase(handle) != 0;
    return Fails() ? injectedError : open ? 0 : 6; // ERROR_INVALID_HANDLE
}

Text SimulatedWindows::Full(const Text& path) const {
    return path.size() > 1 && path[1] == u':' ? path : currentDirectory + u"\\" + path;
}

// A 32-bit program on 64-bit Windows sees the 32-bit view unless it asks for KEY_WOW64_64KEY.
Text SimulatedWindows::View(uint32_t samDesired) const {
    return wow64.value_or(false) && (samDesired & 0x100) != 0 ? u"64\\" : u"32\\";
}

} // namespace korvel::sim
