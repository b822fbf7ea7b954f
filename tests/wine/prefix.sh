#!/usr/bin/env bash
# Makes a Wine prefix of the "program" tests unless it is made (docs/wine.md):
#   prefix.sh <folder> [win64|win32]
set -euo pipefail
mkdir -p "$1"
export WINEPREFIX=$(cd "$1" && pwd) WINEARCH=${2:-win64} WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
exec 9>"$WINEPREFIX.lock"
flock 9
[ "$(cat "$WINEPREFIX/.korvel-prefix-ready" 2>/dev/null)" != "$WINEARCH" ] || exit 0
# One of the other architecture, or half made, cannot be repaired.
wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -w
echo "$WINEARCH" >"$WINEPREFIX/.korvel-prefix-ready"
echo "Wine prefix $WINEPREFIX ($WINEARCH) made in $SECONDS s"
