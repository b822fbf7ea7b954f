// Version texts compare unit by unit as unsigned numbers, a prefix being the smaller:
// exactly the order of std::u16string::compare.
#include "fuzz_input.h"
#include "plugin/compare_version.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::u16string> pieces = korvel::fuzz::Split(korvel::fuzz::Utf16(data, size));
    const std::u16string& newVersion = pieces[0];
    const std::u16string installed = pieces.size() > 1 ? pieces[1] : u"";
    const int reference = newVersion.compare(installed);
    const int expected = reference > 0 ? 1 : reference < 0 ? -1 : 0;
    if (korvel::CompareVersionTexts(newVersion, installed) != expected ||
        korvel::CompareVersionTexts(installed, newVersion) != -expected)
        std::abort();
    return 0;
}
