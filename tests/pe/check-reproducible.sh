#!/usr/bin/env bash
# Builds the setup program twice from clean folders at different paths and requires the
# two program files to be byte-identical: nothing of the time or place of a build may end
# up in it.
# Usage: check-reproducible.sh <source dir>
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

first=$work/first/korvel-plugin-setup.exe
second=$work/second-at-another-path/korvel-plugin-setup.exe
if cmp "$first" "$second"; then
    echo "two clean builds gave the same $(stat -c %s "$first") bytes, sha256 $(sha256sum <"$first" | cut -c1-16)"
else
    echo "FAIL: two clean builds of the same sources differ" >&2
    exit 1
fi
