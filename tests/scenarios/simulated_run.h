// A scenario on the simulated Windows.
#pragma once

#include "scenario.h"
#include "simulated_windows.h"

namespace korvel::test {

// Lays the scenario's machine, command line and answers out on `os`; the simulated row's own
// changes come last.
void Stage(const Scenario& scenario, sim::SimulatedWindows& os);

// Runs the program as its entry point would and reads what happened.
Observed RunSimulated(const Scenario& scenario, sim::SimulatedWindows& os);

} // namespace korvel::test
