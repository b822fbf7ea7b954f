#include "common/text.h"

namespace korvel {

void AppendUnsigned(std::u16string& text, uint32_t value) {
    char16_t digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0)
        text.push_back(digits[--count]);
}

static char16_t FoldAsciiCase(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool EqualsIgnoringAsciiCase(const std::u16string& text, const std::u16string& other) {
    if (text.size() != other.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (FoldAsciiCase(text[i]) != FoldAsciiCase(other[i]))
            return false;
    }
    return true;
}

} // namespace korvel
