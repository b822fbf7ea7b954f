#include "resource_source.h"

#include <codecvt>
#include <fstream>
#include <locale>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace korvel::test {

using std::string;

string ResourceSource(const string& name) {
    std::ifstream file(KORVEL_SOURCE_DIR "/res/" + name);
    if (!file)
        throw std::runtime_error("cannot read res/" + name);
    return {std::istreambuf_iterator<char>(file), {}};
}

uint16_t ResourceNumber(const string& token) {
    static const std::map<string, uint16_t> names = [] {
        std::map<string, uint16_t> defined = {{"IDCANCEL", 2}};
        std::istringstream header(ResourceSource("resource.h"));
        static const std::regex definition(R"(^#define\s+(\w+)\s+(\d+)\s*$)");
        std::smatch match;
        for (string line; std::getline(header, line);) {
            if (std::regex_match(line, match, definition))
                defined[match[1]] = static_cast<uint16_t>(std::stoi(match[2]));
        }
        return defined;
    }();
    return names.at(token);
}

// Doubled quotes stand for one; \n, \t, \\ and \" as in C.
string Unquote(const string& line, size_t open) {
    string text;
    for (size_t i = open + 1; i < line.size(); ++i) {
        if (line.compare(i, 2, "\"\"") == 0 || line[i] == '\\') {
            const char next = line[++i];
            text += next == 'n' ? '\n' : next == 't' ? '\t' : next;
        } else if (line[i] == '"') {
            break;
        } else {
            text += line[i];
        }
    }
    return text;
}

const std::map<uint16_t, std::u16string>& StringTable() {
    static const auto table = [] {
        std::map<uint16_t, std::u16string> entries;
        std::istringstream source(ResourceSource("strings.rc"));
        static const std::regex entry(R"(^\s*(\w+)\s+(".*")\s*$)");
        std::smatch match;
        for (string line; std::getline(source, line);) {
            if (std::regex_match(line, match, entry))
                entries[ResourceNumber(match[1])] = FromUtf8(Unquote(match[2], 0));
        }
        return entries;
    }();
    return table;
}

string DialogCaption() {
    const string source = ResourceSource("dialog.rc");
    return Unquote(source, source.find('"', source.find("\nCAPTION")));
}

// The standard's converter is deprecated for its error handling, which texts of the
// program's own sources never need.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
using Converter = std::wstring_convert<std::codecvt_utf8_utf16<char16_t>, char16_t>;

std::u16string FromUtf8(const string& text) {
    return Converter().from_bytes(text);
}

string ToUtf8(const std::u16string& text) {
    return Converter().to_bytes(text);
}

} // namespace korvel::test
