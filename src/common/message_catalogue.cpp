#include "common/message_catalogue.h"

namespace korvel {

bool LoadMessage(WindowsApi& os, MessageId id, std::u16string& text) {
    std::optional<std::u16string> found = os.LoadStringW(id);
    if (!found)
        return false;
    text = std::move(*found);
    return true;
}

std::u16string LoadMessage(WindowsApi& os, MessageId id) {
    return os.LoadStringW(id).value_or(u"");
}

} // namespace korvel
