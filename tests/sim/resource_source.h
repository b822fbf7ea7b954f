// The program's resource sources read as the resource compiler reads them, so that the tests
// and the program share one copy of every text and number.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace korvel::test {

// A number the sources name: IDCANCEL or a name from res/resource.h.
uint16_t ResourceNumber(const std::string& token);

// The string table of res/strings.rc.
const std::map<uint16_t, std::u16string>& StringTable();

// A text of the string table, UTF-8.
std::string Message(uint16_t id);

// A control of the configuration dialog in res/dialog.rc, in the template's order.
struct DialogControl {
    std::string kind; // PUSHBUTTON, AUTORADIOBUTTON, GROUPBOX, LTEXT, ...
    int id = 0;
    std::u16string text;
    bool visible = true;
    bool startsGroup = false;
};
const std::vector<DialogControl>& DialogControls();
std::string DialogCaption();

std::u16string FromUtf8(const std::string& text);
std::string ToUtf8(const std::u16string& text);

} // namespace korvel::test
