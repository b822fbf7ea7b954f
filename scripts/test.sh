#!/usr/bin/env bash
# The whole test suite: unit tests against the simulated Windows, checks of the built
# program file, and the program run for real under Wine on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --workflow --preset windows
cmake --preset native
cmake --build --preset native
xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset all
