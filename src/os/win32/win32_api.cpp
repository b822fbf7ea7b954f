// Each method makes the Windows call it is named after and converts at the edge:
// UTF-16 text is wchar_t on Windows, so strings pass through without conversion.
#include "os/win32/win32_api.h"

#include <windows.h>

#include <msi.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdlib>

namespace korvel {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

static const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

static std::u16string FromWide(const wchar_t* text) {
    return text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}

std::u16string Win32Api::GetCommandLineW() {
    return FromWide(::GetCommandLineW());
}

uint32_t Win32Api::GetLastError() {
    return ::GetLastError();
}

bool Win32Api::GetVersionExW(OsVersionInfoEx& info) {
    static_assert(sizeof(OSVERSIONINFOEXW) == 284, "the size the version check asks with");
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = info.size;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version)))
        return false;
#pragma GCC diagnostic pop
    info.majorVersion = version.dwMajorVersion;
    info.minorVersion = version.dwMinorVersion;
    info.servicePackMajor = version.wServicePackMajor;
    return true;
}

uint32_t Win32Api::GetFileAttributesW(const std::u16string& path) {
    return ::GetFileAttributesW(Wide(path));
}

ResourceBytes Win32Api::FindResourceW(uint16_t type, uint16_t name) {
    HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(name), MAKEINTRESOURCEW(type));
    if (found == nullptr)
        return {};
    HGLOBAL loaded = ::LoadResource(nullptr, found);
    if (loaded == nullptr)
        return {};
    return {::LockResource(loaded), ::SizeofResource(nullptr, found)};
}

void Win32Api::exit(uint32_t code) {
    std::exit(static_cast<int>(code));
}

bool Win32Api::CommandLineToArgvW(const std::u16string& commandLine,
                                  std::vector<std::u16string>& arguments) {
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(Wide(commandLine), &count);
    if (argv == nullptr)
        return false;
    arguments.clear();
    for (int i = 0; i < count; ++i)
        arguments.push_back(FromWide(argv[i]));
    ::LocalFree(argv);
    return true;
}

bool Win32Api::IsUserAnAdmin() {
    return ::IsUserAnAdmin() != FALSE;
}

int Win32Api::MessageBoxW(WindowHandle owner, const std::u16string& text,
                          const std::u16string& caption, uint32_t type) {
    return ::MessageBoxW(static_cast<HWND>(owner), Wide(text), Wide(caption), type);
}

uint32_t Win32Api::MsiSetInternalUI(uint32_t level, WindowHandle* window) {
    return ::MsiSetInternalUI(static_cast<INSTALLUILEVEL>(level), reinterpret_cast<HWND*>(window));
}

} // namespace korvel
