#!/usr/bin/env bash
# Builds the setup program and runs it under Wine in a distribution folder of its own.
# With a display the message boxes appear and wait for you; without one it runs -silent.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh
cmake --workflow --preset windows >/dev/null

demo="$root/build/demo"
mkdir -p "$demo/distribution"
cp build/windows/korvel-plugin-setup.exe "$demo/distribution/"

export WINEPREFIX="$demo/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
args=("$@")
if [ -z "${DISPLAY:-}" ]; then
  run=(xvfb-run -a)
  [ ${#args[@]} -gt 0 ] || args=(-silent)
else
  run=()
fi

cd "$demo/distribution"
echo "Running korvel-plugin-setup.exe ${args[*]:-} in $demo/distribution"
set +e
"${run[@]}" wine korvel-plugin-setup.exe "${args[@]}"
code=$?
set -e
wineserver -w

case $code in
  0) meaning="success (or the question was answered no, or the help was shown)" ;;
  1) meaning="no administrator rights" ;;
  2) meaning="the Windows version could not be read" ;;
  3|4|5|6) meaning="Windows is older than the setup supports" ;;
  7) meaning="a restart was accepted but could not be started" ;;
  *) meaning="an installation failed (Wine shows only the low 8 bits of the exit code)" ;;
esac
echo "Exit code $code: $meaning."
