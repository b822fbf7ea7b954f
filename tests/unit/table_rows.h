// Helpers for table-driven tests: rows name themselves in test names and in failures.
#pragma once

#include "string_table.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace korvel {

inline void PrintTail(const char16_t* tail, std::ostream* out) {
    *out << '"' << sim::ToUtf8(tail) << '"';
}

// The test name of a row that carries a `name`.
template <class Row> std::string RowName(const testing::TestParamInfo<Row>& row) {
    return row.param.name;
}

} // namespace korvel
