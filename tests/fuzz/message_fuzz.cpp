// LoadMessage over an arbitrary string-table block, handed out at exactly its size so that
// AddressSanitizer stops a read past its end; a message found must lie inside the block.
#include "common/message_catalogue.h"
#include "simulated_windows.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string block(size / 2, u'\0');
    std::memcpy(block.data(), data, block.size() * 2);
    korvel::sim::SimulatedWindows os;
    os.stringBlocks = {{1, {block.begin(), block.end()}}};
    std::u16string text;
    // The input's length picks the entry of the block.
    if (korvel::LoadMessage(os, size % 16, text) && block.find(text) == std::u16string::npos)
        std::abort();
    return 0;
}
