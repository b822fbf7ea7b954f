// The scenarios on the simulated Windows, and what must hold in every one of them.
#include "plugin/install_plugin.h"
#include "resource_source.h"
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
    EXPECT_EQ(os.handles.size(), 0u);
    // Logs are named by the local time, which the output tells, a line each.
    const std::string stamp = "2016-02-01-09-07-05";
    for (const std::string& file : seen.tmpFiles)
        EXPECT_NE(file.find("_" + stamp + ".log"), std::string::npos) << file;
    EXPECT_TRUE(std::regex_match(ToUtf8(os.standardOutput), std::regex("(" + stamp + "\n)*")));
    const auto first = [&](const std::string& prefix) {
        return std::find_if(os.calls.begin(), os.calls.end(),
                            [&](const std::string& call) { return call.rfind(prefix, 0) == 0; });
    };
    // The Windows Installer's own interface stays off for every query of the run.
    EXPECT_LE(first("MsiSetInternalUI 2"), first("MsiQuery"));
    // An empty command-line tail is not parsed.
    EXPECT_TRUE(!scenario.args.empty() || first("CommandLineToArgvW") == os.calls.end());
    EXPECT_TRUE(os.holdsShutdownPrivilege || first("ExitWindowsEx") == os.calls.end())
        << "a restart without the privilege";
    // Children have no console window; the installed product's source list no longer names the
    // network once msiexec runs.
    for (const uint32_t flags : os.creationFlags)
        EXPECT_EQ(flags, 0x08000000u) << "CREATE_NO_WINDOW";
    const std::string last = seen.children.empty() ? "" : seen.children.back();
    EXPECT_TRUE(!installed || last.rfind("msiexec /i ", 0) != 0 ||
                os.products[kPluginProductCode].networkSources.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, SimulatedWindows, testing::ValuesIn(Scenarios()),
                         [](const auto& row) { return row.param.name; });

} // namespace
} // namespace korvel::test
