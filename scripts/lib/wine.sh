# Shared by the scripts that drive the built program under Wine; sourced from the
# repository's root folder after `set -euo pipefail`.

product='{5B0E2C71-8D34-4F6A-9C1E-3A7D2B904E68}'
# The tests' helper inside the prefix (tests/wine/inside/helper.cpp).
test_helper=$PWD/build/test-helpers/helper.exe

# "Z:\..." for an absolute Unix path.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# Makes the Wine prefix $WINEPREFIX for the architecture `$1` (win64, the default, or win32)
# unless it is made, set up for every run in it (docs/wine.md): Mono and Gecko never offered (a
# window that would wait forever), windows unmanaged (2 s less each time one hides), and Wine's
# own fonts where Debian's Wine 8 looks for them (without, a caption's close button reads "r").
# One half made, or made otherwise, is made anew.
make_prefix() {
    local arch=${1:-win64} started=$SECONDS
    local made="$arch fonts overrides"
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

# One value of helper.exe's report on the plug-in: version, feature, marker or product-name;
# the report is kept as $work/state.txt. Further arguments are the options of helper.exe state
# (tests/wine/inside/helper.cpp), which set the prefix up first: --marker, --windows,
# --package, --properties, --aside.
prefix_state() {
    wine "$test_helper" state --report "$(winpath "$work/state.txt")" "${@:2}" >/dev/null 2>&1
    awk -F'\t' -v key="$1" '{ split("version feature marker product-name", k, " ")
        for (i = 1; i <= 4; i++) if (k[i] == key) print $i }' "$work/state.txt"
}

# The program's users run Russian Windows. In the Unix locale ru_RU.UTF-8 Wine has the
# user-interface language 0x0419 and labels its buttons in Russian ("Да", "Нет").
russian_windows() {
    export LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8
}

# Installs what is needed, builds the program and its helpers, then runs the calling script
# again on a virtual screen; returns only in that second run.
on_virtual_screen() {
    if [ -z "${KORVEL_ON_VIRTUAL_SCREEN:-}" ]; then
        scripts/install-deps.sh
        cmake --workflow --preset windows >/dev/null
        cmake --workflow --preset test-helpers >/dev/null
        KORVEL_ON_VIRTUAL_SCREEN=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
    fi
}
