# shellcheck shell=bash
# What the scripts that drive the built program under Wine share, each fact of docs/wine.md in
# one place; sourced from the repository's root folder after `set -euo pipefail`.

# The tests' helper inside the prefix (tests/wine/inside/helper.cpp).
test_helper=$PWD/build/test-helpers/helper.exe

fail() { echo "$*" >&2 && exit 1; }

# "Z:\..." for an absolute Unix path.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# Wine starts a 32-bit program through its 32-bit loader, which a host whose kernel runs 64-bit
# code only refuses (ENOEXEC: the shell's status 126). There nothing of Wine's 32-bit side
# runs: this says so and ends the calling script with 77, which the suite counts as skipped.
exit_unless_32_bit_runs() {
    local status=0
    /usr/lib/wine/wine --version >/dev/null 2>&1 || status=$?
    [ $status -ne 126 ] && return 0
    echo "skipped: this machine cannot run 32-bit programs (IA-32 emulation is off), so Wine cannot run the program" >&2
    exit 77
}

# Installs what is needed, builds the program and its helpers, and runs the calling script
# again with its arguments (after `$1`) on a virtual screen, or on the display when `$1` is
# "display" and there is one; returns in that run, with KORVEL_SCREEN "virtual" or "display".
on_screen() {
    exit_unless_32_bit_runs
    [ -z "${KORVEL_SCREEN:-}" ] || return 0
    scripts/install-deps.sh
    cmake --workflow --preset windows >/dev/null
    cmake --workflow --preset test-helpers >/dev/null
    [ "$1" != display ] || [ -z "${DISPLAY:-}" ] || { export KORVEL_SCREEN=display && return; }
    KORVEL_SCREEN=virtual exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "${@:2}"
}

# Makes the Wine prefix $WINEPREFIX for the architecture `$1` (win64 or win32) unless it is
# made, as docs/wine.md says: Mono and Gecko never offered, windows unmanaged, Wine's fonts
# where Debian's Wine 8 looks for them. One half made, or made otherwise, is made anew.
make_prefix() {
    exit_unless_32_bit_runs
    local arch=${1:-win64} started=$SECONDS made="${1:-win64} fonts overrides"
    export WINEDEBUG=-all
    mkdir -p "$WINEPREFIX"
    exec 9>"$WINEPREFIX.lock"
    flock 9
    if [ "$(cat "$WINEPREFIX/.korvel-prefix-ready" 2>/dev/null)" != "$made" ]; then
        wineserver -k 2>/dev/null || true
        rm -rf "$WINEPREFIX"
        WINEARCH=$arch WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\DllOverrides' /v mscoree /d '' /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\DllOverrides' /v mshtml /d '' /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
        wineserver -w
        echo "$made" >"$WINEPREFIX/.korvel-prefix-ready"
        echo "Wine prefix $WINEPREFIX ($arch) made in $((SECONDS - started)) s"
    fi
    exec 9>&-
}

# One value of helper.exe's report on the plug-in, kept in the caller's `$state_file`: version,
# feature, marker or product-name. Further arguments are the options of helper.exe state,
# which set the prefix up first (--marker, --windows, --dpi, --package, --properties, --aside).
prefix_state() {
    wine "$test_helper" state --report "$(winpath "${state_file:?}")" "${@:2}" >/dev/null 2>&1
    awk -F'\t' -v key="$1" '{ split("version feature marker product-name", k, " ")
        for (i = 1; i <= 4; i++) if (k[i] == key) print $i }' "$state_file"
}

# Wine's MsiOpenPackageExW, which the program needs, refuses another version of the installed
# product while its cached package is there: aside it goes, and back at helper.exe's next call.
move_cached_package_aside() {
    prefix_state version --aside >/dev/null
}

# The program's users run Russian Windows. In the Unix locale ru_RU.UTF-8 Wine has the
# user-interface language 0x0419 and labels its buttons in Russian ("Да", "Нет").
russian_windows() {
    export LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8
}

# Runs `$3...` (a program and its arguments) in the working folder, with TMP `$2` unless empty,
# through a batch file that waits for it and writes its full exit code, of which Wine's exit
# status keeps 8 bits, to `$1`.
run_for_exit_code() {
    local code=$1 tmp=$2
    shift 2
    rm -f "$code"
    printf '@echo off\r\n%s%%*\r\n>"%s" echo %%ERRORLEVEL%%\r\n' \
        "${tmp:+set \"TMP=$tmp\"$'\r\n'}" "$(winpath "$code")" >"$code.cmd"
    wine cmd /c "$(winpath "$code.cmd")" "$@"
}

# The id of the first visible window of Wine whose title matches the regular expression `$1`
# whole, within 60 s. Only Wine's windows have a class; the root window has none.
wine_window() {
    local deadline=$((SECONDS + 60)) id
    while [ $SECONDS -lt $deadline ]; do
        for id in $(xdotool search --onlyvisible --class . 2>/dev/null); do
            [[ $(xdotool getwindowname "$id" 2>/dev/null) =~ ^($1)$ ]] && echo "$id" && return 0
        done
        sleep 0.2
    done
    fail "no window titled \"$1\" appeared"
}

# Presses the keys `$2...` in the window `$1`. Without a window manager a window takes keys only
# once it has the focus; focused, a box is drawn with the caption of the active window.
press() { xdotool windowfocus --sync "$1" && xdotool key --delay 200 "${@:2}"; }

# The code run_for_exit_code wrote to `$1`, or "none".
exit_code_of() {
    tr -d '\r ' 2>/dev/null <"$1" || echo none
}
