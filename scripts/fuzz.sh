#!/usr/bin/env bash
# Longer fuzzing than the test suite's short run: the command-line target for the given seconds
# (default 600), with a corpus kept in build/fuzz/corpus; non-zero when anything was found.
#   scripts/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}

scripts/install-deps.sh
cmake --preset fuzz >/dev/null && cmake --build --preset fuzz >/dev/null
out=build/fuzz/runs/command_line corpus=build/fuzz/corpus/command_line
mkdir -p "$out" "$corpus"
rm -f "$out"/crash-* "$out"/leak-* "$out"/timeout-*
build/fuzz/tests/fuzz/command_line_fuzz -max_total_time="$seconds" -max_len=512 \
    -artifact_prefix="$out/" "$corpus" >"$out.log" 2>&1 || true
executions=$(grep -o 'Done [0-9]* runs' "$out.log" | grep -o '[0-9]*' || echo "?")
findings=$(find "$out" -type f | wc -l)
echo "command_line: $executions executions in $seconds s, $findings finding(s)"
[ "$findings" -eq 0 ]
