// Whether Windows is the 64-bit or the 32-bit edition.
#pragma once

#include "os/windows_api.h"

namespace korvel {

// True on 64-bit Windows: this 32-bit program then runs under WOW64. A Windows without
// IsWow64Process, or a failing call, counts as 32-bit.
bool IsWindows64Bit(WindowsApi& os);

} // namespace korvel
