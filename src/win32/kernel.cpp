// The Windows kernel's part of the seam, in the seam's order.
#include "os/windows_api.h"
#include "win32/system_function.h"
#include "win32/wide_text.h"

#include <vector>

namespace korvel {

namespace {

// The kernel's way of filling a buffer: given too small a buffer, a call answers the size it
// needs, terminator included, and else the length it copied; 0 when it fails. The first call
// asks for the size alone, and the call is made again for as long as the text grows in between.
// A call that answers 0 and leaves no error behind has read an empty text.
template <class Call> Answer<std::u16string> ReadText(Call call) {
    std::vector<wchar_t> buffer;
    for (;;) {
        ::SetLastError(ERROR_SUCCESS);
        const DWORD length =
            call(buffer.empty() ? nullptr : buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {::GetLastError()};
        if (length < buffer.size())
            return {0, FromWide(buffer.data(), length)};
        buffer.resize(length);
    }
}

} // namespace

std::u16string WindowsApi::GetCommandLineW() {
    return FromWide(::GetCommandLineW());
}

std::optional<OsVersionInfoEx> WindowsApi::GetVersionExW() {
    // Only the extended structure's size makes Windows fill in the service pack.
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    static_assert(sizeof version == 284, "the extended structure");
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version)))
        return std::nullopt;
#pragma GCC diagnostic pop
    return OsVersionInfoEx{version.dwMajorVersion, version.dwMinorVersion,
                           version.wServicePackMajor};
}

uint32_t WindowsApi::GetFileAttributesW(const std::u16string& path) {
    return ::GetFileAttributesW(Wide(path));
}

Answer<std::u16string> WindowsApi::GetCurrentDirectoryW() {
    return ReadText(
        [](wchar_t* buffer, DWORD size) { return ::GetCurrentDirectoryW(size, buffer); });
}

Answer<std::u16string> WindowsApi::GetSystemDirectoryW() {
    return ReadText(
        [](wchar_t* buffer, DWORD size) { return ::GetSystemDirectoryW(buffer, size); });
}

std::vector<FindData> WindowsApi::FindFirstFileW(const std::u16string& pattern) {
    std::vector<FindData> entries;
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW(Wide(pattern), &found);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do
        entries.push_back({found.dwFileAttributes, FromWide(found.cFileName)});
    while (::FindNextFileW(search, &found));
    // The entries are read; a search that will not close changes nothing.
    ::FindClose(search);
    return entries;
}

Answer<std::u16string> WindowsApi::GetEnvironmentVariableW(const std::u16string& name) {
    return ReadText([&name](wchar_t* buffer, DWORD size) {
        return ::GetEnvironmentVariableW(Wide(name), buffer, size);
    });
}

Answer<Handle> WindowsApi::CreateProcessW(const std::u16string& applicationName,
                                          const std::u16string& commandLine,
                                          uint32_t creationFlags) {
    // Windows may write into the command line it is given; the caller's stays as it was.
    std::u16string writable = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    if (!::CreateProcessW(WideOrNull(applicationName), reinterpret_cast<wchar_t*>(writable.data()),
                          nullptr, nullptr, FALSE, creationFlags, nullptr, nullptr, &startup,
                          &child))
        return {LastErrorOr(ERROR_FILE_NOT_FOUND)};
    // The child is waited for by its process; its main thread is nobody's concern.
    ::CloseHandle(child.hThread);
    return {0, child.hProcess};
}

uint32_t WindowsApi::WaitForSingleObject(Handle handle, uint32_t milliseconds) {
    const DWORD waited = ::WaitForSingleObject(handle, milliseconds);
    if (waited == WAIT_FAILED)
        return LastErrorOr(ERROR_INVALID_HANDLE);
    return waited == WAIT_OBJECT_0 ? 0 : waited;
}

Answer<uint32_t> WindowsApi::GetExitCodeProcess(Handle process) {
    DWORD exitCode = 0;
    if (!::GetExitCodeProcess(process, &exitCode))
        return {LastErrorOr(ERROR_INVALID_HANDLE)};
    return {0, exitCode};
}

uint32_t WindowsApi::CloseHandle(Handle handle) {
    return ::CloseHandle(handle) ? 0 : LastErrorOr(ERROR_INVALID_HANDLE);
}

std::optional<bool> WindowsApi::IsWow64Process() {
    using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
    static const auto isWow64Process =
        FindFunction<IsWow64ProcessFunction>(LoadedModule(L"kernel32.dll"), "IsWow64Process");
    BOOL wow64 = FALSE;
    if (isWow64Process == nullptr || !isWow64Process(::GetCurrentProcess(), &wow64))
        return std::nullopt;
    return wow64 != FALSE;
}

SystemTime WindowsApi::GetLocalTime() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

uint16_t WindowsApi::GetSystemDefaultUILanguage() {
    return ::GetSystemDefaultUILanguage();
}

void WindowsApi::WriteStandardOutput(const std::u16string& text) {
    // A windowed program has no console; the text is seen only where output is redirected.
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE)
        return;
    const int wide = static_cast<int>(text.size());
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, Wide(text), wide, nullptr, 0, nullptr, nullptr);
    // Not std::string: that one use would link the library's whole narrow string.
    std::vector<char> utf8(static_cast<size_t>(size));
    ::WideCharToMultiByte(CP_UTF8, 0, Wide(text), wide, utf8.data(), size, nullptr, nullptr);
    // Nobody may be reading; a time stamp that cannot be written is no reason to stop.
    DWORD written = 0;
    ::WriteFile(output, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

} // namespace korvel
