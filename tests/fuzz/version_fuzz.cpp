// Version texts compare unit by unit as unsigned numbers, a prefix being the smaller: an
// order, reflexive and antisymmetric, and exactly that of std::u16string::compare.
#include "plugin/compare_version.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The new package's version and the installed one's, apart at the first zero.
    std::u16string texts(size / 2, u'\0');
    std::memcpy(texts.data(), data, texts.size() * 2);
    const std::u16string newer(texts.c_str());
    const std::u16string installed = texts.substr(std::min(newer.size() + 1, texts.size()));
    const int order = newer.compare(installed);
    const int compared = korvel::CompareVersionTexts(newer, installed);
    if (compared != (order > 0) - (order < 0) ||
        korvel::CompareVersionTexts(installed, newer) != -compared ||
        korvel::CompareVersionTexts(newer, newer) != 0)
        std::abort();
    return 0;
}
