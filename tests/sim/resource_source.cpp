#include "resource_source.h"

#include <codecvt>
#include <fstream>
#include <locale>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace korvel::test {

using std::string;

namespace {

string ResourceSource(const string& name) {
    std::ifstream file(KORVEL_SOURCE_DIR "/res/" + name);
    if (!file)
        throw std::runtime_error("cannot read res/" + name);
    return {std::istreambuf_iterator<char>(file), {}};
}

// A quoted text from its opening quote: doubled quotes stand for one; \n, \t, \\ and \" as in C.
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

// Each match of `pattern` over the lines of res/<name>.
template <class Take> void ForEachLine(const string& name, const string& pattern, Take take) {
    std::istringstream source(ResourceSource(name));
    const std::regex line(pattern);
    std::smatch match;
    for (string text; std::getline(source, text);) {
        if (std::regex_match(text, match, line))
            take(match);
    }
}

} // namespace

uint16_t ResourceNumber(const string& token) {
    static const std::map<string, uint16_t> names = [] {
        std::map<string, uint16_t> defined = {{"IDCANCEL", 2}};
        ForEachLine("resource.h", R"(^#define\s+(\w+)\s+(\d+)\s*$)", [&](const std::smatch& m) {
            defined[m[1]] = static_cast<uint16_t>(std::stoi(m[2]));
        });
        return defined;
    }();
    return names.at(token);
}

const std::map<uint16_t, std::u16string>& StringTable() {
    static const auto table = [] {
        std::map<uint16_t, std::u16string> entries;
        ForEachLine("strings.rc", R"(^\s*(\w+)\s+(".*")\s*$)", [&](const std::smatch& m) {
            entries[ResourceNumber(m[1])] = FromUtf8(Unquote(m[2], 0));
        });
        return entries;
    }();
    return table;
}

string Message(uint16_t id) {
    return ToUtf8(StringTable().at(id));
}

const std::vector<DialogControl>& DialogControls() {
    static const auto controls = [] {
        std::vector<DialogControl> found;
        ForEachLine(
            "dialog.rc", R"(^\s+(\w+)\s+(".*"), (\w+), [\d, ]+(.*)$)", [&](const std::smatch& m) {
                const string style = m[4];
                found.push_back({m[1], ResourceNumber(m[3]), FromUtf8(Unquote(m[2], 0)),
                                 style.find("NOT WS_VISIBLE") == string::npos,
                                 m[1] == "LTEXT" || style.find("WS_GROUP") != string::npos});
            });
        return found;
    }();
    return controls;
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
