// Comparing the plug-in package's version with the installed one.
#pragma once

#include "os/windows_api.h"

#include <cstdint>
#include <string>

namespace korvel {

// +1: the package is later; 0: the same version text; -1: the installed one is later.
using VersionOrder = int;

// The mask of the package whose version is read, whatever its architecture.
extern const char16_t* const kAnyPackageMask;

// Reads the installed product's "VersionString" and the "ProductVersion" of the first
// package matching kAnyPackageMask, and compares them as texts. Returns 0 and sets
// `order`; on a failure shows its error message (also in a silent run) and returns the
// failing code, leaving `order` alone.
uint32_t ComparePackageVersion(WindowsApi& os, const std::u16string& productCode,
                               VersionOrder& order);

// Compares two version texts unit by unit as unsigned numbers; a text that is the
// beginning of the other is the smaller one.
VersionOrder CompareVersionTexts(const std::u16string& newVersion,
                                 const std::u16string& installedVersion);

} // namespace korvel
