// Small helpers over the UTF-16 text that the whole program works in.
#pragma once

#include <cstdint>
#include <string>

namespace korvel {

// Appends `value` as an unsigned decimal number, as printf's "%u" would.
void AppendUnsigned(std::u16string& text, uint32_t value);

// Whole-text comparison that ignores case for the ASCII letters A to Z only; every other
// character must match exactly.
bool EqualsIgnoringAsciiCase(const std::u16string& text, const std::u16string& other);

} // namespace korvel
