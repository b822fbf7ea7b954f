#!/usr/bin/env bash
# Builds the test packages of the plug-in with wixl:
#   build.sh <output folder>
# gives <output folder>/<build>/tavexcom-<x64|win32>.msi for each build below, where a build
# is a version, optionally followed by "-reboot", "-failing" or "-cancelled" (see tavexcom.wxs).
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 <output folder>" >&2
    exit 2
fi
out=$1
source=$(cd "$(dirname "$0")" && pwd)/tavexcom.wxs
builds=(1.0.0 1.1.0 1.1.0-reboot 1.1.0-failing 1.1.0-cancelled 1.9.0 1.10.0)

if ! command -v wixl >/dev/null; then
    echo "$0: wixl is missing (apt-get install wixl)" >&2
    exit 1
fi

for build in "${builds[@]}"; do
    version=${build%%-*}
    variant=plain
    [ "$build" = "$version" ] || variant=${build#*-}
    mkdir -p "$out/$build"
    for arch in x64 win32; do
        # wixl leaves a half-written file behind when it fails.
        if ! wixl -D Version="$version" -D PackageArch="$arch" -D Variant="$variant" \
            -o "$out/$build/tavexcom-$arch.msi.part" "$source"; then
            rm -f "$out/$build/tavexcom-$arch.msi.part"
            exit 1
        fi
        mv "$out/$build/tavexcom-$arch.msi.part" "$out/$build/tavexcom-$arch.msi"
    done
done
echo "test packages in $out: ${builds[*]}"
