#include "system/windows_bitness.h"

namespace korvel {

bool IsWindows64Bit(WindowsApi& os) {
    bool wow64 = false;
    return os.IsWow64Process(os.GetCurrentProcess(), wow64) && wow64;
}

} // namespace korvel
