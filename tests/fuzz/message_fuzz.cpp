// LoadMessage over arbitrary string-table bytes: it never reads past the block, and it
// finds exactly what a careful reading of the block finds.
#include "common/message_catalogue.h"
#include "simulated_windows.h"

#include <cstdlib>
#include <cstring>

namespace {

// The entry's text, or nothing when the entry lies outside the block or is empty.
bool ReferenceEntry(const std::vector<char16_t>& block, unsigned entry, std::u16string& text) {
    size_t position = 0;
    for (unsigned k = 0; k < entry; ++k) {
        if (position >= block.size())
            return false;
        position += 1 + block[position];
    }
    if (position >= block.size() || block[position] == 0 ||
        position + 1 + block[position] > block.size())
        return false;
    text.assign(block.begin() + static_cast<std::ptrdiff_t>(position) + 1,
                block.begin() + static_cast<std::ptrdiff_t>(position) + 1 + block[position]);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const unsigned entry = data[0] % 16;
    // An odd byte count leaves half a unit at the end, which must not be read.
    std::vector<char16_t> block((size - 1) / 2);
    if (!block.empty())
        std::memcpy(block.data(), data + 1, block.size() * sizeof(char16_t));

    korvel::sim::SimulatedWindows os;
    os.stringBlocks = {{1, block}};
    std::u16string text = u"before";
    const bool found = korvel::LoadMessage(os, static_cast<korvel::MessageId>(entry), text);
    std::u16string expected = u"before";
    if (found != ReferenceEntry(block, entry, expected) || text != expected)
        std::abort();
    return 0;
}
