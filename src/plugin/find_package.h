// Finding the plug-in package one folder level below the current folder.
#pragma once

#include "os/windows_api.h"

#include <cstdint>
#include <string>

namespace korvel {

// Looks into the subfolders of the current folder, in listing order, skipping those whose
// name begins with a full stop, for an entry matching `mask` (a file-name mask). Returns
// 0 and sets `path` to the current folder, "\", the subfolder and "\", the entry's name;
// ERROR_NO_DATA when nothing matches; or the error of reading the current folder.
uint32_t FindPackage(WindowsApi& os, const std::u16string& mask, std::u16string& path);

} // namespace korvel
