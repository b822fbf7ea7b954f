// Table rows print as their command-line tail, so that a failing row names itself.
#pragma once

#include "string_table.h"

#include <ostream>

namespace korvel {

inline void PrintTail(const char16_t* tail, std::ostream* out) {
    *out << '"' << sim::ToUtf8(tail) << '"';
}

} // namespace korvel
