#!/usr/bin/env bash
# Builds the test packages of the builds named (tavexcom.wxs), each a version with a variant
# or none, as <folder>/<build>/tavexcom-<arch>.msi:
#   build.sh <folder> <build>...        for example: build.sh packages 1.0.0 1.1.0-reboot
set -euo pipefail
source=$(cd "$(dirname "$0")" && pwd)/tavexcom.wxs
folder=$1
shift
for build; do
    variant=${build#*-}
    [ "$variant" != "$build" ] || variant=plain
    work=$(mktemp -d "$folder.XXXXXX")
    for arch in x64 win32; do
        wixl -D Version="${build%%-*}" -D Variant="$variant" -D Arch=$arch \
            -o "$work/tavexcom-$arch.msi" "$source"
        if [ "$variant" = unversioned ]; then
            msibuild "$work/tavexcom-$arch.msi" -q "DELETE FROM Property WHERE Property = 'ProductVersion'"
        fi
    done
    # Whole or not at all: a row finds a package by its file.
    mkdir -p "$folder"
    rm -rf "${folder:?}/$build"
    mv "$work" "$folder/$build"
done
