// The error code of a Windows call that failed.
#pragma once

#include "os/windows_api.h"

#include <cstdint>

namespace korvel {

// GetLastError after a failed call, or `whenUnset` where Windows left no code behind: a
// failure must never read as 0, which is success.
inline uint32_t LastErrorOr(WindowsApi& os, uint32_t whenUnset) {
    const uint32_t error = os.GetLastError();
    return error != 0 ? error : whenUnset;
}

} // namespace korvel
