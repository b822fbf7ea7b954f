// The built setup program under Wine: what boxes a user sees for a command line, and how the
// program ends.

#include "wine_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace korvel::wine {
namespace {

const std::string kHelpCaption = "Справка";
const std::string kHelpFirstLine = "Установщик Korvel ЭЦП Browser plug-in.";
const std::string kHelpLineHelp = "  -?\t\t вывести данную справку";
const std::string kHelpLineKc = "  -KC\t\t уровень KC Korvel CSP";
const std::string kProduct = "Korvel ЭЦП Browser plug-in";

struct ExpectedBox {
    std::optional<std::string> caption;
    std::optional<std::string> text;       // the whole text
    std::optional<std::string> first_line; // of the text
    std::vector<std::string> lines;        // each a whole line of the text
    std::vector<std::string> absent;       // none occurs anywhere in the text
    std::optional<std::vector<int>> buttons;
};

struct Scenario {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::string> answers;
    std::vector<ExpectedBox> boxes; // all boxes, in order
    std::uint32_t exit_code;
};

void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

const ExpectedBox kHelpBox{kHelpCaption, {}, kHelpFirstLine, {kHelpLineHelp}, {}, {}};

const Scenario kScenarios[] = {
    {"help", {"-help"}, {}, {kHelpBox}, 0},
    {"unknown_argument", {"-bogus"}, {}, {kHelpBox}, 0},
    {"csp_then_help",
     {"-csp", "-help"},
     {},
     {{kHelpCaption, {}, kHelpFirstLine, {kHelpLineHelp, kHelpLineKc}, {}, {}}},
     0},
    {"help_then_csp",
     {"-help", "-csp"},
     {},
     {{kHelpCaption, {}, kHelpFirstLine, {kHelpLineHelp}, {"-KC"}, {}}},
     0},
    {"no_argument_declined",
     {},
     {"no"},
     {{kProduct, "Установить " + kProduct + "?", {}, {}, {}, std::vector<int>{kYes, kNo}}},
     0},
    {"silent", {"-silent"}, {}, {}, 0},
};

class SetupProgram : public testing::TestWithParam<Scenario> {};

TEST_P(SetupProgram, Run) {
    const Scenario& scenario = GetParam();
    WineRun run;
    run.args = scenario.args;
    run.answers = scenario.answers;
    const Transcript transcript = run_in_wine(run);

    ASSERT_TRUE(transcript.problems.empty()) << transcript;
    ASSERT_EQ(transcript.boxes.size(), scenario.boxes.size()) << transcript;
    for (size_t i = 0; i < scenario.boxes.size(); ++i) {
        const ExpectedBox& expected = scenario.boxes[i];
        const Box& box = transcript.boxes[i];
        SCOPED_TRACE("box " + std::to_string(i + 1));
        const std::vector<std::string> lines = box.lines();
        if (expected.caption) {
            EXPECT_EQ(box.caption, *expected.caption);
        }
        if (expected.text) {
            EXPECT_EQ(box.text, *expected.text);
        }
        if (expected.first_line) {
            EXPECT_EQ(lines.front(), *expected.first_line);
        }
        for (const std::string& line : expected.lines) {
            EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end())
                << "no line \"" << line << "\"";
        }
        for (const std::string& fragment : expected.absent) {
            EXPECT_EQ(box.text.find(fragment), std::string::npos)
                << "\"" << fragment << "\" occurs";
        }
        if (expected.buttons) {
            EXPECT_EQ(box.buttons, *expected.buttons);
        }
    }
    EXPECT_EQ(transcript.exit_code, scenario.exit_code);
    if (testing::Test::HasFailure())
        ADD_FAILURE() << "what the program did:" << transcript;
}

std::string scenario_name(const testing::TestParamInfo<Scenario>& param) {
    return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(Wine, SetupProgram, testing::ValuesIn(kScenarios), scenario_name);

} // namespace
} // namespace korvel::wine
