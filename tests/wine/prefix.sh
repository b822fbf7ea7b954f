#!/usr/bin/env bash
# Creates the Wine prefix of the "program" tests, or reuses it when it is already complete.
#   prefix.sh <prefix folder> [win64|win32]     (default: $WINEARCH, else win64)
# Safe to run again and from concurrent test runs.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 <prefix folder> [win64|win32]" >&2
    exit 2
fi
prefix=$1
arch=${2:-${WINEARCH:-win64}}
case $arch in
win64 | win32) ;;
*)
    echo "$0: unknown architecture '$arch'" >&2
    exit 2
    ;;
esac

mkdir -p "$(dirname "$prefix")"
prefix=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")
ready="$prefix/.korvel-prefix-ready"

exec 9>"$prefix.lock"
flock 9

export WINEPREFIX=$prefix
export WINEARCH=$arch
export WINEDEBUG=-all
# Without these Wine offers to install Mono and Gecko: a window that waits forever under Xvfb.
export WINEDLLOVERRIDES="mscoree,mshtml="

if [ -f "$ready" ] && [ "$(cat "$ready")" = "$arch" ]; then
    exit 0
fi

# A prefix of the other architecture, or one left half made, cannot be repaired in place.
if [ -e "$prefix" ]; then
    wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
fi

started=$SECONDS
wineboot -i >/dev/null 2>&1
# Unmanaged windows spare a 2 s wait each time Wine hides one.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
# A crashing program must end instead of showing Wine's crash dialog.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wineserver -w

echo "$arch" >"$ready"
echo "Wine prefix $prefix ($arch) made in $((SECONDS - started)) s"
