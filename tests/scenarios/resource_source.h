// The program's resource sources read as the resource compiler reads them, so that the tests
// and the program share one copy of every text and number.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace korvel::test {

// A number the sources name: IDCANCEL or a name from res/resource.h.
uint16_t ResourceNumber(const std::string& token);

// The string table of res/strings.rc.
const std::map<uint16_t, std::u16string>& StringTable();

// The whole text of a resource source, "res/<name>".
std::string ResourceSource(const std::string& name);

// A quoted text of a source from its opening quote, with the escapes the sources use.
std::string Unquote(const std::string& line, size_t open);

// The caption of the configuration dialog in res/dialog.rc.
std::string DialogCaption();

std::u16string FromUtf8(const std::string& text);
std::string ToUtf8(const std::u16string& text);

} // namespace korvel::test
