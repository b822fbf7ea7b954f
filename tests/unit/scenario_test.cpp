// The scenarios on the simulated Windows.
#include "simulated_run.h"

#include <gtest/gtest.h>

#include <regex>

namespace korvel::test {
namespace {

class SimulatedWindows : public testing::TestWithParam<Scenario> {};

TEST_P(SimulatedWindows, Run) {
    const Scenario& scenario = GetParam();
    if (scenario.where == Where::Wine)
        GTEST_SKIP() << "only Wine can make this happen";
    sim::SimulatedWindows os;
    Stage(scenario, os);
    const bool installed = os.products.count(kPluginProductCode) != 0;
    const Observed seen = RunSimulated(scenario, os);
    Check(scenario, seen);
    EXPECT_EQ(os.OpenHandleCount(), 0u);
    // Logs are named by the local time, which the output tells, a line each.
    const std::string stamp = "2016-02-01-09-07-05";
    for (const std::string& file : seen.tmpFiles)
        EXPECT_NE(file.find("_" + stamp + ".log"), std::string::npos) << file;
    EXPECT_TRUE(std::regex_match(ToUtf8(os.standardOutput), std::regex("(" + stamp + "\n)*")));
    // The Windows Installer's own interface stays off for every query of the run.
    const auto first = [&](const std::string& prefix) {
        return std::find_if(os.calls.begin(), os.calls.end(),
                            [&](const std::string& call) { return call.rfind(prefix, 0) == 0; });
    };
    EXPECT_LE(first("MsiSetInternalUI 2"), first("MsiQuery"));
    if (scenario.args.empty()) // an empty command-line tail is not parsed
        EXPECT_EQ(first("GetCommandLineW"), os.calls.end());
    if (installed && !os.children.empty() && os.children.back().rfind("msiexec", 0) == 0)
        EXPECT_EQ(os.products[kPluginProductCode].packageName, u"tavexcom-x64.msi");
    if (!os.holdsShutdownPrivilege)
        EXPECT_EQ(first("ExitWindowsEx"), os.calls.end()) << "a restart without the privilege";
}

INSTANTIATE_TEST_SUITE_P(Table, SimulatedWindows, testing::ValuesIn(Scenarios()),
                         [](const auto& row) { return row.param.name; });

} // namespace
} // namespace korvel::test
