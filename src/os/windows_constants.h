// Windows constants that the logic uses, under their Windows names. Kept here because
// the logic does not include <windows.h>.
#pragma once

#include "os/windows_api.h"

#include <cstdint>

namespace korvel {

// Error codes.
constexpr uint32_t ERROR_SUCCESS = 0;
constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr uint32_t ERROR_CALL_NOT_IMPLEMENTED = 120;
constexpr uint32_t ERROR_ENVVAR_NOT_FOUND = 203;
constexpr uint32_t ERROR_NO_DATA = 232;
constexpr uint32_t ERROR_INSTALL_USEREXIT = 1602;
constexpr uint32_t ERROR_SUCCESS_REBOOT_INITIATED = 1641;
constexpr uint32_t ERROR_SUCCESS_REBOOT_REQUIRED = 3010;
constexpr uint32_t ERROR_SUCCESS_RESTART_REQUIRED = 3011;

// Files and processes.
constexpr uint32_t INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr uint32_t CREATE_NO_WINDOW = 0x08000000;
constexpr uint32_t INFINITE = 0xFFFFFFFF;

// Registry and security.
inline const RegistryKey HKEY_CURRENT_USER = reinterpret_cast<RegistryKey>(uintptr_t{0x80000001});
constexpr uint32_t REG_OPTION_NON_VOLATILE = 0;
constexpr uint32_t KEY_READ = 0x20019;
constexpr uint32_t KEY_WRITE = 0x20006;
constexpr uint32_t KEY_WOW64_32KEY = 0x200;
constexpr uint32_t TOKEN_ADJUST_PRIVILEGES = 0x20;
constexpr uint32_t TOKEN_QUERY = 0x08;
constexpr uint32_t SE_PRIVILEGE_ENABLED = 2;
constexpr uint32_t EWX_REBOOT = 0x02;
constexpr uint32_t EWX_FORCE = 0x04;
constexpr uint32_t SHTDN_REASON_MAJOR_APPLICATION = 0x00040000;

// MessageBoxW styles and answers.
constexpr uint32_t MB_OK = 0x00;
constexpr uint32_t MB_YESNO = 0x04;
constexpr uint32_t MB_ICONERROR = 0x10;
constexpr uint32_t MB_ICONWARNING = 0x30;
constexpr uint32_t MB_ICONINFORMATION = 0x40;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Dialogs, windows and their messages.
constexpr intptr_t FALSE = 0;
constexpr intptr_t TRUE = 1;
constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_SETICON = 0x0080;
constexpr uint32_t WM_INITDIALOG = 0x0110;
constexpr uint32_t WM_COMMAND = 0x0111;
constexpr uintptr_t ICON_BIG = 1;
constexpr uint32_t IMAGE_ICON = 1;
constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;
constexpr uint32_t BST_UNCHECKED = 0;
constexpr uint32_t BST_CHECKED = 1;

constexpr uint16_t LOWORD(uintptr_t value) {
    return static_cast<uint16_t>(value & 0xFFFF);
}

// Languages.
constexpr uint16_t LANG_RUSSIAN = 0x19;
constexpr uint16_t SUBLANG_RUSSIAN_RUSSIA = 0x01;

constexpr uint16_t MAKELANGID(uint16_t primary, uint16_t sublanguage) {
    return static_cast<uint16_t>(sublanguage << 10 | primary);
}

// Windows Installer.
constexpr uint32_t INSTALLUILEVEL_NONE = 2;
constexpr int32_t INSTALLSTATE_ABSENT = 2;
constexpr int32_t INSTALLSTATE_DEFAULT = 5;
constexpr uint32_t MSIOPENPACKAGEFLAGS_IGNOREMACHINESTATE = 1;
constexpr uint32_t MSIINSTALLCONTEXT_MACHINE = 4;
constexpr uint32_t MSICODE_PRODUCT = 0;

} // namespace korvel
