#include "os/windows_constants.h"
#include "simulated_windows.h"
#include "string_table.h"
#include "system/prerequisites.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

struct VersionRow {
    uint32_t major, minor;
    uint16_t servicePack;
    uint32_t result;
    uint16_t message; // 0: none
};

void PrintTo(const VersionRow& row, std::ostream* out) {
    *out << row.major << '.' << row.minor << " SP" << row.servicePack;
}

class WindowsVersion : public testing::TestWithParam<VersionRow> {};

TEST_P(WindowsVersion, IsAdmittedOrRefusedWithItsMessage) {
    const VersionRow& row = GetParam();
    for (const bool silent : {false, true}) {
        sim::SimulatedWindows os;
        os.version = {0, row.major, row.minor, row.servicePack};
        EXPECT_EQ(CheckWindowsVersion(os, silent), row.result);
        EXPECT_EQ(os.versionInfoSizeAsked, 284u);
        const bool shown = row.message != 0 && (!silent || row.major < 5);
        ASSERT_EQ(os.boxes.size(), shown ? 1u : 0u) << row.major << "." << row.minor;
        if (shown) {
            EXPECT_EQ(os.boxes[0].text, sim::Catalogue().at(row.message));
            EXPECT_EQ(os.boxes[0].caption, u"Korvel ЭЦП Browser plug-in");
            EXPECT_EQ(os.boxes[0].style, MB_ICONERROR);
        }
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, WindowsVersion, testing::Values(
    VersionRow{4, 90, 9, 6, 116},
    VersionRow{5, 0, 3, 3, 117},
    VersionRow{5, 0, 4, 0, 0},
    VersionRow{5, 1, 1, 4, 118},
    VersionRow{5, 1, 2, 0, 0},
    VersionRow{5, 1, 3, 0, 0},
    VersionRow{5, 2, 1, 5, 119},
    VersionRow{5, 2, 2, 0, 0},
    VersionRow{5, 3, 0, 0, 0},
    VersionRow{6, 0, 0, 0, 0},
    VersionRow{6, 2, 0, 0, 0},
    VersionRow{10, 0, 0, 0, 0}
));
// clang-format on

TEST(WindowsVersion, ThatCannotBeReadRefusesWithCode2) {
    for (const bool silent : {false, true}) {
        sim::SimulatedWindows os;
        os.versionReadable = false;
        EXPECT_EQ(CheckWindowsVersion(os, silent), 2u);
        ASSERT_EQ(os.boxes.size(), silent ? 0u : 1u);
        if (!silent) {
            EXPECT_EQ(os.boxes[0].text, sim::Catalogue().at(121));
        }
    }
}

} // namespace
} // namespace korvel
