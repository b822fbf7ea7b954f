#!/usr/bin/env bash
# Shows the configuration dialog of the built program under Wine, as on a Russian Windows, on a
# virtual screen and stores pictures of both panels: docs/dialog-intro.png and
# docs/dialog-options.png. Answers the first question yes, presses "Опции", then Escape, which
# must end the program with exit code 0.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

source scripts/lib/wine.sh
on_virtual_screen "$@"
russian_windows

work="$root/build/dialog-screenshots"
mkdir -p "$work/distribution" "$root/docs"
cp build/windows/korvel-plugin-setup.exe "$work/distribution/"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX" ] || { wineboot --init >/dev/null 2>&1; wineserver -w; }
# With no window manager on the screen, Wine draws the caption and frame itself only for
# unmanaged windows.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

# Waits for a top-level window whose title matches, and prints its id.
window() {
    timeout 60 xdotool search --sync --onlyvisible --name "$1" | head -n 1
}

# Without a window manager a window takes keys only once it has the focus.
keys() {
    xdotool windowfocus --sync "$1"
    shift
    xdotool key --delay 200 "$@"
}

cd "$work/distribution"
wine korvel-plugin-setup.exe -csp -selectDlg &
program=$!

keys "$(window '^Korvel')" Return
dialog=$(window '^ZUZUdizo$')
sleep 1
import -window "$dialog" "$root/docs/dialog-intro.png"
# The focus starts on "Далее"; "Отмена" and "Опции" are the next tab stops.
keys "$dialog" Tab Tab space
sleep 1
import -window "$dialog" "$root/docs/dialog-options.png"
keys "$dialog" Escape

set +e
wait "$program"
code=$?
set -e
wineserver -w
if [ "$code" -ne 0 ]; then
    echo "Escape ended the program with exit code $code instead of 0" >&2
    exit 1
fi
echo "Stored docs/dialog-intro.png and docs/dialog-options.png; Escape ended the program with 0."
