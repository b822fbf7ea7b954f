#include "machine.h"
#include "plugin/compare_version.h"
#include "plugin/find_package.h"
#include "string_table.h"
#include "table_rows.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

using sim::SimulatedWindows;

struct SearchRow {
    const char* name;
    std::vector<std::u16string>
        entries; // below C:\dist in listing order; a final '\' marks a folder
    const char16_t* mask;
    uint32_t result;
    const char16_t* found;
};

void PrintTo(const SearchRow& row, std::ostream* out) {
    *out << row.name;
}

class PackageSearch : public testing::TestWithParam<SearchRow> {};

TEST_P(PackageSearch, FindsTheFirstMatchOneLevelDown) {
    const SearchRow& row = GetParam();
    SimulatedWindows os;
    for (const std::u16string& entry : row.entries) {
        if (entry.back() == u'\\')
            os.AddFolder(u"C:\\dist\\" + entry.substr(0, entry.size() - 1));
        else
            os.AddFile(u"C:\\dist\\" + entry);
    }
    std::u16string path = u"untouched";
    EXPECT_EQ(FindPackage(os, row.mask, path), row.result);
    EXPECT_EQ(path, row.found);
    EXPECT_EQ(os.OpenHandleCount(), 0u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, PackageSearch, testing::Values(
    SearchRow{"InASubfolder", {u"p\\", u"p\\tavexcom-x64.msi"}, u"tavexcom*x64*", 0, u"C:\\dist\\p\\tavexcom-x64.msi"},
    SearchRow{"CaseIgnored", {u"p\\", u"p\\TAVEXCOM-x64.MSI"}, u"tavexcom*.msi", 0, u"C:\\dist\\p\\TAVEXCOM-x64.MSI"},
    SearchRow{"BesideTheProgramNotFound", {u"tavexcom-x64.msi"}, u"tavexcom*.msi", ERROR_NO_DATA, u"untouched"},
    SearchRow{"DotFolderSkipped", {u".hidden\\", u".hidden\\tavexcom-x64.msi"}, u"tavexcom*.msi", ERROR_NO_DATA, u"untouched"},
    SearchRow{"TwoLevelsDownNotFound", {u"a\\", u"a\\b\\", u"a\\b\\tavexcom-x64.msi"}, u"tavexcom*.msi", ERROR_NO_DATA, u"untouched"},
    SearchRow{"FirstListedFolderWins", {u"z\\", u"a\\", u"a\\tavexcom-win32.msi", u"z\\tavexcom-x64.msi"}, u"tavexcom*.msi", 0, u"C:\\dist\\z\\tavexcom-x64.msi"},
    SearchRow{"FirstMatchInFolderWins", {u"p\\", u"p\\tavexcom-win32.msi", u"p\\tavexcom-x64.msi"}, u"tavexcom*.msi", 0, u"C:\\dist\\p\\tavexcom-win32.msi"},
    SearchRow{"FolderMatchCounts", {u"p\\", u"p\\tavexcom-x64.msi\\"}, u"tavexcom*x64*", 0, u"C:\\dist\\p\\tavexcom-x64.msi"},
    SearchRow{"OtherArchitectureNotFound", {u"p\\", u"p\\tavexcom-win32.msi"}, u"tavexcom*x64*", ERROR_NO_DATA, u"untouched"}
), RowName<SearchRow>);
// clang-format on

TEST(PackageSearch, ReadsALongCurrentFolderWhole) {
    SimulatedWindows os;
    os.currentDirectory = u"C:\\" + std::u16string(300, u'd');
    os.AddFolder(os.currentDirectory);
    os.AddFolder(os.currentDirectory + u"\\p");
    os.AddFile(os.currentDirectory + u"\\p\\tavexcom-x64.msi");
    std::u16string path;
    EXPECT_EQ(FindPackage(os, u"tavexcom*.msi", path), 0u);
    EXPECT_EQ(path, os.currentDirectory + u"\\p\\tavexcom-x64.msi");
}

struct TextOrderRow {
    const char16_t* newVersion;
    const char16_t* installed;
    VersionOrder order;
};

void PrintTo(const TextOrderRow& row, std::ostream* out) {
    *out << sim::ToUtf8(row.newVersion) << " vs " << sim::ToUtf8(row.installed);
}

class VersionText : public testing::TestWithParam<TextOrderRow> {};

TEST_P(VersionText, ComparesUnitByUnit) {
    EXPECT_EQ(CompareVersionTexts(GetParam().newVersion, GetParam().installed), GetParam().order);
}

INSTANTIATE_TEST_SUITE_P(
    Table, VersionText,
    testing::Values(TextOrderRow{u"2.0.13", u"2.0.13", 0}, TextOrderRow{u"2.0.14", u"2.0.13", 1},
                    TextOrderRow{u"2.0.13", u"2.0.14", -1}, TextOrderRow{u"2.0.9", u"2.0.13", 1},
                    TextOrderRow{u"1.0", u"1.0.0", -1}, TextOrderRow{u"1.0.0", u"1.0", 1},
                    TextOrderRow{u"", u"1.0", -1}, TextOrderRow{u"", u"", 0},
                    TextOrderRow{u"1.0a", u"1.0A", 1}, TextOrderRow{u"\uFFFF", u"\u0100", 1},
                    TextOrderRow{u"1.10.0", u"1.9.0", -1}));

struct ComparisonFailureRow {
    const char* name;
    bool installedReadable, packagePresent;
    uint32_t openResult, propertyResult;
    uint32_t result;
    uint16_t message;
};

void PrintTo(const ComparisonFailureRow& row, std::ostream* out) {
    *out << row.name;
}

class VersionComparisonFailure : public testing::TestWithParam<ComparisonFailureRow> {};

TEST_P(VersionComparisonFailure, IsShownAndReturned) {
    const ComparisonFailureRow& row = GetParam();
    SimulatedWindows os;
    if (row.installedReadable)
        test::InstallPluginProduct(os, u"1.0");
    if (row.packagePresent) {
        const std::u16string path = test::AddPackage(os, u"tavexcom-x64.msi", u"2.0");
        os.packages[path].openResult = row.openResult;
        os.packages[path].propertyResult = row.propertyResult;
    }
    VersionOrder order = 42;
    EXPECT_EQ(ComparePackageVersion(os, kPluginProductCode, order), row.result);
    EXPECT_EQ(order, 42);
    EXPECT_EQ(os.boxes,
              (std::vector<sim::MessageBoxRecord>{
                  {sim::Catalogue().at(row.message), sim::Catalogue().at(129), MB_ICONERROR}}));
    EXPECT_EQ(os.OpenHandleCount(), 0u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, VersionComparisonFailure, testing::Values(
    ComparisonFailureRow{"InstalledVersionUnreadable", false, true, 0, 0, 1605, 131},
    ComparisonFailureRow{"NoPackage", true, false, 0, 0, ERROR_NO_DATA, 139},
    ComparisonFailureRow{"PackageCannotOpen", true, true, 1638, 0, 1638, 133},
    ComparisonFailureRow{"PackageVersionUnreadable", true, true, 0, 1627, 1627, 134}
), RowName<ComparisonFailureRow>);
// clang-format on

TEST(VersionComparison, ReadsThePackageVersionThroughAnOpenedHandleAndClosesIt) {
    SimulatedWindows os;
    test::InstallPluginProduct(os, u"2.0.13");
    const std::u16string path = test::AddPackage(os, u"tavexcom-win32.msi", u"2.0.9");
    VersionOrder order = 0;
    EXPECT_EQ(ComparePackageVersion(os, kPluginProductCode, order), 0u);
    EXPECT_EQ(order, 1);
    EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "MsiOpenPackageExW 1"), 1);
    EXPECT_EQ(os.OpenHandleCount(), 0u);
    os.packages[path].productVersion.reset();
    EXPECT_EQ(ComparePackageVersion(os, kPluginProductCode, order), 0u);
    EXPECT_EQ(order, -1);
}

} // namespace
} // namespace korvel
