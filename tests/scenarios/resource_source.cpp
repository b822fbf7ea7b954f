#include "resource_source.h"

#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace korvel::test {

std::string ResourceSource(const std::string& name) {
    std::ifstream file(KORVEL_SOURCE_DIR "/res/" + name);
    if (!file)
        throw std::runtime_error("cannot read res/" + name);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

uint16_t ResourceNumber(const std::string& token) {
    static const std::map<std::string, uint16_t> names = [] {
        std::map<std::string, uint16_t> defined = {{"IDOK", 1}, {"IDCANCEL", 2}};
        std::istringstream header(ResourceSource("resource.h"));
        static const std::regex definition(R"(^#define\s+(\w+)\s+(\d+)\s*$)");
        std::smatch match;
        for (std::string line; std::getline(header, line);) {
            if (std::regex_match(line, match, definition))
                defined[match[1]] = static_cast<uint16_t>(std::stoi(match[2]));
        }
        return defined;
    }();
    if (token.find_first_not_of("0123456789") == std::string::npos)
        return static_cast<uint16_t>(std::stoi(token));
    return names.at(token);
}

// Doubled quotes stand for one; \n, \t, \\ and \" as in C.
std::string Unquote(const std::string& line, size_t open, size_t& end) {
    std::string text;
    size_t i = open + 1;
    for (; i < line.size(); ++i) {
        if (line.compare(i, 2, "\"\"") == 0 || line[i] == '\\') {
            const char next = line[++i];
            text += next == 'n' ? '\n' : next == 't' ? '\t' : next;
        } else if (line[i] == '"') {
            break;
        } else {
            text += line[i];
        }
    }
    end = i + 1;
    return text;
}

const std::map<uint16_t, std::u16string>& StringTable() {
    static const auto table = [] {
        std::map<uint16_t, std::u16string> entries;
        std::istringstream source(ResourceSource("strings.rc"));
        static const std::regex entry(R"(^\s*(\w+)\s+(".*")\s*$)");
        std::smatch match;
        for (std::string line; std::getline(source, line);) {
            size_t end = 0;
            if (std::regex_match(line, match, entry))
                entries[ResourceNumber(match[1])] = FromUtf8(Unquote(match[2], 0, end));
        }
        return entries;
    }();
    return table;
}

std::string DialogCaption() {
    const std::string source = ResourceSource("dialog.rc");
    size_t end = 0;
    return Unquote(source, source.find('"', source.find("\nCAPTION")), end);
}

std::u16string FromUtf8(const std::string& text) {
    std::u16string result;
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        uint32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < text.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += 1 + extra;
        if (code >= 0x10000) {
            code -= 0x10000;
            result.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            code = 0xDC00 + (code & 0x3FF);
        }
        result.push_back(static_cast<char16_t>(code));
    }
    return result;
}

std::string ToUtf8(const std::u16string& text) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t code = text[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size())
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        static const unsigned kLead[] = {0, 0xC0, 0xE0, 0xF0};
        const int extra = code < 0x80 ? 0 : code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
        result += static_cast<char>(kLead[extra] | (code >> (6 * extra)));
        for (int k = extra - 1; k >= 0; --k)
            result += static_cast<char>(0x80 | ((code >> (6 * k)) & 0x3F));
    }
    return result;
}

} // namespace korvel::test
