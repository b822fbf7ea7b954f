// The scenarios on the simulated Windows.
#include "simulated_run.h"

#include <gtest/gtest.h>

namespace korvel::test {
namespace {

class SimulatedWindows : public testing::TestWithParam<Scenario> {};

TEST_P(SimulatedWindows, Run) {
    const Scenario& scenario = GetParam();
    if (scenario.where == Where::Wine)
        GTEST_SKIP() << "only Wine can make this happen";
    sim::SimulatedWindows os;
    Stage(scenario, os);
    Check(scenario, RunSimulated(scenario, os));
    EXPECT_EQ(os.OpenHandleCount(), 0u) << "handles left open";
}

INSTANTIATE_TEST_SUITE_P(Table, SimulatedWindows, testing::ValuesIn(Scenarios()),
                         [](const auto& row) { return row.param.name; });

} // namespace
} // namespace korvel::test
