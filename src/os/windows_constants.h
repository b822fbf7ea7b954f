// Windows constants that the logic uses, under their Windows names. Kept here because
// the logic does not include <windows.h>.
#pragma once

#include <cstdint>

namespace korvel {

// Error codes.
constexpr uint32_t ERROR_SUCCESS = 0;
constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr uint32_t ERROR_INSTALL_USEREXIT = 1602;

constexpr uint32_t INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// Resource types.
constexpr uint16_t RT_STRING = 6;

// MessageBoxW styles and answers.
constexpr uint32_t MB_OK = 0x00;
constexpr uint32_t MB_YESNO = 0x04;
constexpr uint32_t MB_ICONERROR = 0x10;
constexpr uint32_t MB_ICONWARNING = 0x30;
constexpr uint32_t MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Windows Installer user-interface level.
constexpr uint32_t INSTALLUILEVEL_NONE = 2;

} // namespace korvel
