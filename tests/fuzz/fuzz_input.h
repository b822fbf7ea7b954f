// Turning a fuzzer's bytes into the texts the program works on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvel::fuzz {

// Pairs of bytes as UTF-16 code units; an odd last byte is dropped.
inline std::u16string Utf16(const uint8_t* data, size_t size) {
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2)
        text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    return text;
}

// The text cut at each zero unit.
inline std::vector<std::u16string> Split(const std::u16string& text) {
    std::vector<std::u16string> pieces(1);
    for (const char16_t c : text) {
        if (c == u'\0')
            pieces.emplace_back();
        else
            pieces.back().push_back(c);
    }
    return pieces;
}

} // namespace korvel::fuzz
