// Placeholder until the provider installation lands: reports success without running
// anything.
#include "provider/install_provider.h"

namespace korvel {

uint32_t InstallProvider(WindowsApi&, const std::u16string&, std::u16string, bool, bool) {
    return 0;
}

} // namespace korvel
