#!/usr/bin/env bash
# Builds the test packages (tavexcom.wxs) as <folder>/<build>/tavexcom-<arch>.msi:
#   build.sh <folder>
set -euo pipefail
source=$(cd "$(dirname "$0")" && pwd)/tavexcom.wxs
for build in 1.0.0 1.1.0 1.1.0-reboot 1.1.0-failing 1.1.0-cancelled 1.9.0 1.10.0; do
    variant=${build#*-}
    [ "$variant" != "$build" ] || variant=plain
    mkdir -p "$1/$build"
    for arch in x64 win32; do
        wixl -D Version="${build%%-*}" -D Variant="$variant" -D Arch=$arch -o "$1/$build/tavexcom-$arch.msi" \
            "$source"
    done
done
