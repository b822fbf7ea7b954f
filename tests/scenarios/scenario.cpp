#include "scenario.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>

namespace korvel::test {

using std::string;

namespace {

// "NAME_YYYY-MM-DD-hh-mm-ss.log" in TMP for the placeholder of NAME.
string FindLog(const Observed& observed, const string& name) {
    const std::regex stamped(R"(_\d{4}(-\d\d){5}\.log)");
    for (const string& file : observed.tmpFiles) {
        if (file.rfind(name, 0) == 0 && std::regex_match(file.substr(name.size()), stamped))
            return observed.tmp + "\\" + file;
    }
    return "{no log of " + name + "}";
}

string Expand(string text, const Observed& observed) {
    static const std::regex placeholder(R"(\{(dist|log:([^}]*))\})");
    std::smatch match;
    while (std::regex_search(text, match, placeholder)) {
        const string value = match[1] == "dist" ? observed.dist : FindLog(observed, match[2]);
        text.replace(static_cast<size_t>(match.position(0)), static_cast<size_t>(match.length(0)),
                     value);
    }
    return text;
}

void CheckBox(const Box& expected, const Box& seen, const Observed& observed) {
    // A caption or a text that the row does not state is not looked at.
    EXPECT_EQ(seen.caption, expected.caption ? expected.caption : seen.caption);
    EXPECT_EQ(seen.text, expected.text ? Expand(*expected.text, observed) : seen.text);
    const uint32_t seenStyle = observed.wine ? 0xF : ~0u;
    EXPECT_EQ(seen.style & seenStyle, expected.style & seenStyle);
    const string text = "\n" + seen.text.value_or("") + "\n";
    for (const string& line : expected.lines) {
        const bool absent = line[0] == '!';
        const bool shown = text.find("\n" + line.substr(absent) + "\n") != string::npos;
        EXPECT_NE(shown, absent) << "the line \"" << line.substr(absent) << "\"";
    }
    EXPECT_EQ(seen.checked, expected.checked);
}

} // namespace

int ButtonId(const string& answer) {
    static const std::map<string, int> kIds = {{"ok", 1},
                                               {"escape", 2},
                                               {"yes", 6},
                                               {"no", 7},
                                               {"next", IDC_NEXT},
                                               {"options", IDC_OPTIONS},
                                               {"kc2", IDC_KC2},
                                               {"kc3", IDC_KC3},
                                               {"russian", IDC_RUSSIAN},
                                               {"english", IDC_ENGLISH}};
    return kIds.at(answer);
}

void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

void Check(const Scenario& scenario, const Observed& observed) {
    const Outcome& expect = scenario.expect;
    EXPECT_EQ(observed.exitCode, expect.exitCode);
    EXPECT_EQ(observed.boxes.size(), expect.boxes.size());
    for (size_t i = 0; i < std::min(observed.boxes.size(), expect.boxes.size()); ++i) {
        SCOPED_TRACE("box " + std::to_string(i + 1));
        CheckBox(expect.boxes[i], observed.boxes[i], observed);
    }
    Strings children, named;
    for (const string& child : expect.children) {
        named.push_back(Expand(child, observed));
        EXPECT_EQ(named.back().find("{no log of "), string::npos) << named.back();
        if (!observed.wine || child.rfind("msiexec ", 0) != 0)
            children.push_back(named.back());
    }
    EXPECT_EQ(observed.children, children);
    EXPECT_EQ(observed.version, expect.version);
    EXPECT_EQ(observed.feature, !expect.version.empty());
    EXPECT_EQ(observed.marker, expect.marker);
    EXPECT_EQ(observed.restart, expect.restart);
    for (const string& file : observed.tmpFiles) {
        const bool wanted = std::any_of(named.begin(), named.end(), [&](const auto& child) {
            return child.find(observed.tmp + "\\" + file) != string::npos;
        });
        EXPECT_TRUE(wanted) << "a file in TMP that no child was told to write: " << file;
    }
    // An installed product's source list names the package msiexec was last given, where
    // Windows looks once the cached one is gone; so even when msiexec fails.
    std::smatch package;
    const string last = expect.children.empty() ? "" : expect.children.back();
    if (!scenario.machine.installed.empty() &&
        std::regex_search(last, package, std::regex(R"re(^msiexec /i "[^"]*\\([^"\\]*)")re"))) {
        EXPECT_EQ(observed.sourcePackage, package[1].str());
    }
}

} // namespace korvel::test
