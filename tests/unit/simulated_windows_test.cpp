// The simulated Windows must split command lines as Windows does, or the command-line
// tests would prove nothing about the real program.
#include "simulated_windows.h"
#include "string_table.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

struct SplitRow {
    const char16_t* line;
    std::vector<std::u16string> arguments;
};

void PrintTo(const SplitRow& row, std::ostream* out) {
    *out << sim::ToUtf8(row.line);
}

class CommandLineSplit : public testing::TestWithParam<SplitRow> {};

TEST_P(CommandLineSplit, FollowsTheWindowsRules) {
    EXPECT_EQ(sim::SplitCommandLine(GetParam().line), GetParam().arguments)
        << sim::ToUtf8(GetParam().line);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, CommandLineSplit, testing::Values(
    SplitRow{u"setup.exe", {u"setup.exe"}},
    SplitRow{u"\"C:\\My Dir\\setup.exe\" -csp", {u"C:\\My Dir\\setup.exe", u"-csp"}},
    SplitRow{u"C:\\dir\\setup.exe  a\tb ", {u"C:\\dir\\setup.exe", u"a", u"b"}},
    SplitRow{u"s \"a b\" c", {u"s", u"a b", u"c"}},
    SplitRow{u"s \"\"", {u"s", u""}},
    SplitRow{u"s a\\\\b", {u"s", u"a\\\\b"}},
    SplitRow{u"s a\\\"b", {u"s", u"a\"b"}},
    SplitRow{u"s a\\\\\"b c\"", {u"s", u"a\\b c"}},
    SplitRow{u"s \"a\"\"b\"", {u"s", u"a\"b"}},
    SplitRow{u"s \"C:\\Temp\\\\\"", {u"s", u"C:\\Temp\\"}}
));
// clang-format on

TEST(StringBlocks, AreLaidOutAsWindowsStoresThem) {
    const auto blocks = sim::BuildStringBlocks({{17, u"ab"}, {19, u"c"}});
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks.at(2), (std::vector<char16_t>{0, 2, u'a', u'b', 0, 1, u'c', 0, 0, 0, 0, 0, 0,
                                                   0, 0, 0, 0, 0, 0}));
}

} // namespace
} // namespace korvel

namespace korvel {
namespace {

struct MaskRow {
    const char16_t* name;
    const char16_t* mask;
    bool matches;
};

void PrintTo(const MaskRow& row, std::ostream* out) {
    *out << sim::ToUtf8(row.name) << " ~ " << sim::ToUtf8(row.mask);
}

class FileNameMask : public testing::TestWithParam<MaskRow> {};

TEST_P(FileNameMask, MatchesAsWindowsMasksDo) {
    EXPECT_EQ(sim::MatchesMask(GetParam().name, GetParam().mask), GetParam().matches);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, FileNameMask, testing::Values(
    MaskRow{u"tavexcom-x64.msi", u"tavexcom*x64*", true},
    MaskRow{u"TAVEXCOM-X64.MSI", u"tavexcom*.msi", true},
    MaskRow{u"tavexcom.msi", u"tavexcom*.msi", true},
    MaskRow{u"tavexcom-win32.msi", u"tavexcom*x64*", false},
    MaskRow{u"a", u"?", true},
    MaskRow{u"", u"?", false},
    MaskRow{u"*\u0003", u"*", true},
    MaskRow{u"*", u"**", true},
    MaskRow{u"x64", u"*x64*", true}
));
// clang-format on

} // namespace
} // namespace korvel
