#!/usr/bin/env bash
# Usage: check-reproducible.sh <source dir>. Builds the program twice from clean folders at
# different paths: nothing of the time or place of a build may end up in it.
set -euo pipefail
src=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for build in first second-at-another-path; do
    cmake -S "$src" -B "$work/$build" -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-mingw-w64-i686.cmake" >/dev/null
    cmake --build "$work/$build" --target korvel-plugin-setup -j 2 >/dev/null
    sleep 1 # a different second for anything that would stamp the time
done
cmp "$work"/{first,second-at-another-path}/korvel-plugin-setup.exe
echo "two clean builds gave the same $(stat -c %s "$work/first/korvel-plugin-setup.exe") bytes"
