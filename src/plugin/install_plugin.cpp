// Placeholder until the plug-in installation lands: reports success without installing.
#include "plugin/install_plugin.h"

namespace korvel {

uint32_t InstallPlugin(WindowsApi&, const std::u16string&, bool, std::u16string&, bool) {
    return 0;
}

} // namespace korvel
