// Stands in for a provider's setup, planted as csp\Setup.exe or ucsp\Setup.exe. When started it
//   - appends one UTF-8 line to "providers.trace" in the folder above its own: its command line,
//     TAB, the names of the files in %TMP% at its start (sorted, comma list), which tell what ran
//     before it;
//   - creates the log its command line names between the first """ and the next """, as the
//     provider's msiexec would;
//   - exits with the decimal code in "<its own file>.exitcode", 0 without that file.
// It shows no window.

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::wstring own_path() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring folder_of(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::string utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size,
                        nullptr, nullptr);
    return out;
}

std::wstring tmp_listing() {
    wchar_t tmp[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"TMP", tmp, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return L"";
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((std::wstring(tmp) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return L"";
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    std::wstring listing;
    for (const std::wstring& name : names)
        listing += (listing.empty() ? L"" : L",") + name;
    return listing;
}

void write_file(const std::wstring& path, DWORD access, DWORD disposition,
                const std::string& content) {
    HANDLE file = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

std::wstring named_log(const std::wstring& command_line) {
    const std::wstring quotes = L"\"\"\"";
    const size_t start = command_line.find(quotes);
    if (start == std::wstring::npos)
        return {};
    const size_t end = command_line.find(quotes, start + quotes.size());
    if (end == std::wstring::npos)
        return {};
    return command_line.substr(start + quotes.size(), end - start - quotes.size());
}

DWORD wanted_exit_code(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    char text[16] = {};
    DWORD read = 0;
    ReadFile(file, text, sizeof text - 1, &read, nullptr);
    CloseHandle(file);
    return static_cast<DWORD>(std::strtoul(text, nullptr, 10));
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const std::wstring self = own_path();
    const std::wstring command_line = GetCommandLineW();
    // Appending never overwrites what the provider before this one wrote.
    write_file(folder_of(folder_of(self)) + L"\\providers.trace", FILE_APPEND_DATA, OPEN_ALWAYS,
               utf8(command_line + L"\t" + tmp_listing() + L"\n"));
    const std::wstring log = named_log(command_line);
    if (!log.empty())
        write_file(log, GENERIC_WRITE, CREATE_ALWAYS, "the provider stub's log\r\n");
    return static_cast<int>(wanted_exit_code(self + L".exitcode"));
}
