#!/usr/bin/env bash
# Longer fuzzing than the test suite's short run: the command-line target for the given seconds
# (default 600), with a corpus kept in build/fuzz/corpus. Prints its executions and findings;
# exits non-zero when anything was found.
# Usage: scripts/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}

scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null

out=build/fuzz/runs
mkdir -p "$out"
run() {
  local target=$1
  mkdir -p "build/fuzz/corpus/$target" "$out/$target"
  rm -f "$out/$target"/crash-* "$out/$target"/leak-* "$out/$target"/timeout-*
  "build/fuzz/tests/fuzz/${target}_fuzz" -max_total_time="$seconds" -max_len=512 \
    -artifact_prefix="$out/$target/" "build/fuzz/corpus/$target" >"$out/$target.log" 2>&1 || true
}

targets=(command_line)
for target in "${targets[@]}"; do
  run "$target"
done

findings_total=0
for target in "${targets[@]}"; do
  executions=$(grep -o 'Done [0-9]* runs' "$out/$target.log" | grep -o '[0-9]*' || echo "?")
  findings=$(find "$out/$target" -type f | wc -l)
  findings_total=$((findings_total + findings))
  echo "$target: $executions executions in ${seconds} s, $findings finding(s)"
done
[ "$findings_total" -eq 0 ]
