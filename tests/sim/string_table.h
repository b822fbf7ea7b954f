// The program's string table read from its resource source, so that the tests and the
// program share one copy of the texts.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace korvel::sim {

// The id and text of every entry of a STRINGTABLE in UTF-8 resource source.
std::map<uint16_t, std::u16string> ReadStringTableSource(const std::string& path);

// The entries laid out as Windows stores them: blocks of 16 length-prefixed texts,
// keyed by block number (id / 16 + 1).
std::map<uint16_t, std::vector<char16_t>>
BuildStringBlocks(const std::map<uint16_t, std::u16string>& entries);

// The catalogue of the program, from res/strings.rc.
const std::map<uint16_t, std::u16string>& Catalogue();

// A resource number as the sources write it: digits, IDOK, IDCANCEL or a name that
// res/resource.h defines.
uint16_t ResourceNumber(const std::string& token);

std::u16string FromUtf8(const std::string& text);
std::string ToUtf8(const std::u16string& text);

} // namespace korvel::sim
