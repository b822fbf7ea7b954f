// The simulated file system's mask matching against a plain dynamic-programming reading
// of the same rules: '*' any run, '?' one character, ASCII letters in either case.
#include "fuzz_input.h"
#include "simulated_windows.h"

#include <cstdlib>

namespace {

char16_t Fold(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

bool ReferenceMatch(const std::u16string& name, const std::u16string& mask) {
    // matches[j]: the name's first i characters match the mask's first j.
    std::vector<bool> matches(mask.size() + 1, false);
    matches[0] = true;
    for (size_t j = 1; j <= mask.size() && mask[j - 1] == u'*'; ++j)
        matches[j] = true;
    for (size_t i = 1; i <= name.size(); ++i) {
        std::vector<bool> next(mask.size() + 1, false);
        for (size_t j = 1; j <= mask.size(); ++j) {
            const char16_t m = mask[j - 1];
            if (m == u'*')
                next[j] = next[j - 1] || matches[j];
            else if (m == u'?' || Fold(m) == Fold(name[i - 1]))
                next[j] = matches[j - 1];
        }
        matches = next;
    }
    return matches[mask.size()];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::u16string> pieces = korvel::fuzz::Split(korvel::fuzz::Utf16(data, size));
    const std::u16string& name = pieces[0];
    const std::u16string mask = pieces.size() > 1 ? pieces[1] : u"*";
    if (korvel::sim::MatchesMask(name, mask) != ReferenceMatch(name, mask))
        std::abort();
    return 0;
}
