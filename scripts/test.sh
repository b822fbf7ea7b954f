#!/usr/bin/env bash
# The whole test suite: the shell files by shellcheck and shfmt, the unit tests and fault
# injection under AddressSanitizer and UndefinedBehaviorSanitizer, coverage of the portable
# logic, then the unit tests, the checks of the built program file and the program run for real
# under Wine on a virtual display. The last summary is that of the native suite.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
mapfile -t shell_files < <(find scripts tests -name '*.sh' | sort)
shellcheck -x "${shell_files[@]}"
shfmt -d "${shell_files[@]}"
cmake --workflow --preset windows
cmake --workflow --preset test-helpers
cmake --workflow --preset asan
cmake --workflow --preset coverage
cmake --preset native
cmake --build --preset native
# Said once here, and by each test that Wine cannot run on such a machine.
(source scripts/lib/wine.sh && exit_unless_32_bit_runs) || true
xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset all
