// The seam between the setup's decision logic and Windows. Every Windows, shell,
// user-interface and Windows Installer call that the logic makes goes through this
// interface, named after the call it stands for, so that the whole system surface is
// visible in one place. The logic never includes <windows.h>; the Win32 implementation
// lives in os/win32 and is built only into the setup program, and the tests run the
// logic against a simulated Windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvel {

// Windows handles, seen by the logic as opaque pointers.
using WindowHandle = void*;
using ModuleHandle = void*;

// The part of OSVERSIONINFOEXW that the version check uses. `size` is the structure
// size the caller asks for: the service pack numbers are filled in only when it is the
// size of the extended structure.
struct OsVersionInfoEx {
    uint32_t size = 0;
    uint32_t majorVersion = 0;
    uint32_t minorVersion = 0;
    uint16_t servicePackMajor = 0;
};

// The bytes of one resource as the loader maps them; `data` is null when the resource
// does not exist. The memory stays valid for the life of the module.
struct ResourceBytes {
    const void* data = nullptr;
    uint32_t size = 0;
};

class WindowsApi {
public:
    virtual ~WindowsApi() = default;

    // Windows kernel.
    virtual std::u16string GetCommandLineW() = 0;
    virtual uint32_t GetLastError() = 0;
    virtual bool GetVersionExW(OsVersionInfoEx& info) = 0;
    // INVALID_FILE_ATTRIBUTES when nothing exists under the path.
    virtual uint32_t GetFileAttributesW(const std::u16string& path) = 0;
    // FindResourceW, LoadResource, LockResource and SizeofResource on the program's own
    // module, for the language-neutral request.
    virtual ResourceBytes FindResourceW(uint16_t type, uint16_t name) = 0;
    // The C runtime's normal process exit: end-of-process clean-up runs.
    [[noreturn]] virtual void exit(uint32_t code) = 0;

    // Windows shell. The argument array is released with LocalFree before returning.
    virtual bool CommandLineToArgvW(const std::u16string& commandLine,
                                    std::vector<std::u16string>& arguments) = 0;
    virtual bool IsUserAnAdmin() = 0;

    // Windows user interface.
    virtual int MessageBoxW(WindowHandle owner, const std::u16string& text,
                            const std::u16string& caption, uint32_t type) = 0;

    // Windows Installer.
    virtual uint32_t MsiSetInternalUI(uint32_t level, WindowHandle* window) = 0;
};

} // namespace korvel
