// The real Windows behind the seam. Built only into the setup program.
#pragma once

#include "os/windows_api.h"

namespace korvel {

class Win32Api final : public WindowsApi {
public:
    std::u16string GetCommandLineW() override;
    uint32_t GetLastError() override;
    bool GetVersionExW(OsVersionInfoEx& info) override;
    uint32_t GetFileAttributesW(const std::u16string& path) override;
    ResourceBytes FindResourceW(uint16_t type, uint16_t name) override;
    [[noreturn]] void exit(uint32_t code) override;

    bool CommandLineToArgvW(const std::u16string& commandLine,
                            std::vector<std::u16string>& arguments) override;
    bool IsUserAnAdmin() override;

    int MessageBoxW(WindowHandle owner, const std::u16string& text, const std::u16string& caption,
                    uint32_t type) override;

    uint32_t MsiSetInternalUI(uint32_t level, WindowHandle* window) override;
};

} // namespace korvel
