#include "common/message_catalogue.h"

#include "os/windows_constants.h"

#include <cstring>

namespace korvel {

// String tables are stored in blocks of 16 entries; each entry is a length in UTF-16
// code units followed by that many units, with no terminator.
constexpr unsigned kEntriesPerBlock = 16;

static char16_t UnitAt(const ResourceBytes& block, size_t index) {
    char16_t unit;
    std::memcpy(&unit, static_cast<const unsigned char*>(block.data) + index * sizeof unit,
                sizeof unit);
    return unit;
}

bool LoadMessage(WindowsApi& os, MessageId id, std::u16string& text) {
    const ResourceBytes block =
        os.FindResourceW(RT_STRING, static_cast<uint16_t>(id / kEntriesPerBlock + 1));
    if (block.data == nullptr)
        return false;
    const size_t units = block.size / sizeof(char16_t);
    size_t position = 0;
    for (unsigned entry = 0; entry < id % kEntriesPerBlock; ++entry) {
        if (position >= units)
            return false;
        position += 1 + UnitAt(block, position);
    }
    if (position >= units)
        return false;
    const size_t length = UnitAt(block, position);
    // A damaged block must not make the copy run past its end.
    if (length == 0 || position + 1 + length > units)
        return false;
    text.resize(length);
    for (size_t i = 0; i < length; ++i)
        text[i] = UnitAt(block, position + 1 + i);
    return true;
}

std::u16string LoadMessage(WindowsApi& os, MessageId id) {
    std::u16string text;
    LoadMessage(os, id, text);
    return text;
}

} // namespace korvel
