#!/usr/bin/env bash
# Shows the configuration dialog of the built program under Wine, as on a Russian Windows, on a
# virtual screen and stores pictures of both panels, docs/dialog-intro.png and
# docs/dialog-options.png, and of the introduction on a screen scaled to 150 %,
# docs/dialog-intro-150.png. Answers the first question yes, presses "Опции", then Escape,
# which must end the program with exit code 0.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/wine.sh
on_screen virtual "$@"
russian_windows

work=$PWD/build/dialog-screenshots
mkdir -p "$work/distribution" docs
cp build/windows/korvel-plugin-setup.exe "$work/distribution/"
export WINEPREFIX=$work/prefix
make_prefix win64

# Runs the program at `$1` dots per inch and stores the introduction as docs/`$2`.png, and the
# options as docs/`$3`.png unless `$3` is empty.
pictures() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    wineserver -w
    (cd "$work/distribution" && exec wine korvel-plugin-setup.exe -csp -selectDlg) &
    local program=$! dialog code
    press "$(wine_window 'Korvel.*')" Return
    dialog=$(wine_window ZUZUdizo)
    sleep 1
    import -window "$dialog" "docs/$2.png"
    if [ -n "$3" ]; then
        # The focus starts on "Далее"; "Отмена" and "Опции" are the next tab stops.
        press "$dialog" Tab Tab space
        sleep 1
        import -window "$dialog" "docs/$3.png"
    fi
    press "$dialog" Escape
    code=0
    wait "$program" || code=$?
    wineserver -w
    [ "$code" = 0 ] || fail "Escape ended the program with exit code $code instead of 0"
}

pictures 96 dialog-intro dialog-options
pictures 144 dialog-intro-150 ""
echo "Stored docs/dialog-intro.png, docs/dialog-options.png and docs/dialog-intro-150.png;" \
    "Escape ended the program with 0."
