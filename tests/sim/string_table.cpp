#include "string_table.h"

#include <cctype>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace korvel::sim {

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
            result.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            result.push_back(static_cast<char16_t>(code));
        }
    }
    return result;
}

std::string ToUtf8(const std::u16string& text) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t code = text[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size())
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (code < 0x80) {
            result += static_cast<char>(code);
        } else if (code < 0x800) {
            result += static_cast<char>(0xC0 | (code >> 6));
            result += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            result += static_cast<char>(0xE0 | (code >> 12));
            result += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            result += static_cast<char>(0xF0 | (code >> 18));
            result += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            result += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return result;
}

uint16_t ResourceNumber(const std::string& token) {
    static const std::map<std::string, uint16_t> names = [] {
        std::map<std::string, uint16_t> defined = {{"IDOK", 1}, {"IDCANCEL", 2}};
        std::ifstream header(KORVEL_SOURCE_DIR "/res/resource.h");
        static const std::regex definition(R"(^#define\s+(\w+)\s+(\d+)\s*$)");
        for (std::string line; std::getline(header, line);) {
            std::smatch match;
            if (std::regex_match(line, match, definition))
                defined[match[1]] = static_cast<uint16_t>(std::stoi(match[2]));
        }
        return defined;
    }();
    if (!token.empty() && std::isdigit(static_cast<unsigned char>(token[0])))
        return static_cast<uint16_t>(std::stoi(token));
    const auto name = names.find(token);
    if (name == names.end())
        throw std::runtime_error("no resource number for " + token);
    return name->second;
}

// The resource compiler's escapes that the catalogue uses.
static std::string Unescape(const std::string& quoted) {
    std::string text;
    for (size_t i = 0; i < quoted.size(); ++i) {
        if (quoted[i] != '\\' || i + 1 == quoted.size()) {
            text += quoted[i];
            continue;
        }
        const char escaped = quoted[++i];
        if (escaped == 'n')
            text += '\n';
        else if (escaped == 't')
            text += '\t';
        else if (escaped == '\\' || escaped == '"')
            text += escaped;
        else
            throw std::runtime_error("unknown escape in string table");
    }
    return text;
}

std::map<uint16_t, std::u16string> ReadStringTableSource(const std::string& path) {
    std::ifstream file(path);
    if (!file)
        throw std::runtime_error("cannot read " + path);
    std::stringstream content;
    content << file.rdbuf();
    const std::string source = content.str();
    const size_t begin = source.find("\nBEGIN");
    const size_t end = source.find("\nEND", begin);
    if (begin == std::string::npos || end == std::string::npos)
        throw std::runtime_error("no STRINGTABLE in " + path);

    static const std::regex entry(R"re(^\s*(\w+)\s*,?\s*"((?:[^"\\]|\\.)*)"\s*$)re");
    std::map<uint16_t, std::u16string> entries;
    std::istringstream lines(source.substr(begin + 6, end - begin - 6));
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_match(line, match, entry))
            entries[ResourceNumber(match[1])] = FromUtf8(Unescape(match[2]));
    }
    return entries;
}

std::map<uint16_t, std::vector<char16_t>>
BuildStringBlocks(const std::map<uint16_t, std::u16string>& entries) {
    std::map<uint16_t, std::vector<char16_t>> blocks;
    for (const auto& [id, text] : entries) {
        std::vector<char16_t>& block = blocks[static_cast<uint16_t>(id / 16 + 1)];
        if (block.empty())
            block.assign(16, 0);
        // Entry k starts after the k earlier entries, each 1 + its length units long.
        size_t position = 0;
        for (unsigned k = 0; k < id % 16; ++k)
            position += 1 + block[position];
        block[position] = static_cast<char16_t>(text.size());
        block.insert(block.begin() + static_cast<std::ptrdiff_t>(position) + 1, text.begin(),
                     text.end());
    }
    return blocks;
}

const std::map<uint16_t, std::u16string>& Catalogue() {
    static const auto catalogue = ReadStringTableSource(KORVEL_SOURCE_DIR "/res/strings.rc");
    return catalogue;
}

} // namespace korvel::sim
