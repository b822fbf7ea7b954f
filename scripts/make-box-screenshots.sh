#!/usr/bin/env bash
# Runs the built program under Wine, as on a Russian Windows, on a virtual screen through the
# states that show each kind of message box, and stores a picture of each box in docs/box-*.png:
#   box-question        the first question (103)
#   box-help            the help "Справка", with every option (-csp -ucsp -help)
#   box-installed       installed, restart the browser (110)
#   box-restart         installed, restart the computer now? (108, warning icon)
#   box-plugin-failed   the plug-in's installation failed, with its log (106)
#   box-provider-failed a provider's setup failed, no caption (105)
#   box-error           "Ошибка": no package found (139)
#   box-reinstall       "Обновление": this version is installed already (147)
#   box-refusal         "Обновление": a later version is installed (150)
# Each run must end with its known exit code.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

source scripts/lib/wine.sh
on_virtual_screen "$@"
russian_windows

work=$root/build/box-screenshots
mkdir -p "$work" "$root/docs"
bash tests/wine/packages/build.sh "$work/packages" 1.0.0 1.1.0 1.1.0-reboot 1.1.0-failing >/dev/null
export WINEPREFIX=$work/prefix WINEDEBUG=-all
make_prefix



# The plug-in uninstalled and no restart marker, then `$1` (a package build) installed if given.
reset_prefix() {
    prefix_state version --marker 0 --windows "" \
        --package "${1:+$(winpath "$work/packages/$1/tavexcom-x64.msi")}" >/dev/null
}

# A distribution folder with the program and `$1` (a package build, or nothing).
lay_out() {
    rm -rf "$work/distribution"
    mkdir -p "$work/distribution"
    cp build/windows/korvel-plugin-setup.exe "$work/distribution/"
    if [ -n "${1:-}" ]; then
        mkdir -p "$work/distribution/packages"
        cp "$work/packages/$1/tavexcom-x64.msi" "$work/distribution/packages/"
    fi
}

# Plants the provider stub as <kind>\Setup.exe, ending with the code `$2`.
plant_provider() {
    mkdir -p "$work/distribution/$1"
    cp "$test_helper" "$work/distribution/$1/Setup.exe"
    echo "$2" >"$work/distribution/$1/Setup.exe.exitcode"
}

# Starts the program in the distribution folder. A batch file waits for the windowed program
# and keeps its full exit code, which Wine's exit status would cut to 8 bits.
start_program() {
    printf '@echo off\r\n%%*\r\n>"%s" echo %%ERRORLEVEL%%\r\n' \
        "$(winpath "$work/exit-code.txt")" >"$work/run.cmd"
    rm -f "$work/exit-code.txt"
    (cd "$work/distribution" && exec wine cmd /c "$(winpath "$work/run.cmd")" \
        korvel-plugin-setup.exe "$@") >/dev/null 2>&1 &
    program=$!
    seen=" "
}

# Waits for a new visible window of Wine whose title matches the regular expression `$1`
# exactly, and prints its id. Only Wine's windows have a class; the root window has none.
next_box() {
    local deadline=$((SECONDS + 60)) id
    while [ $SECONDS -lt $deadline ]; do
        for id in $(xdotool search --onlyvisible --class . 2>/dev/null); do
            [[ $seen == *" $id "* ]] && continue
            if [[ $(xdotool getwindowname "$id" 2>/dev/null) =~ ^($1)$ ]]; then
                seen+="$id "
                echo "$id"
                return 0
            fi
        done
        sleep 0.2
    done
    echo "no window titled \"$1\" appeared" >&2
    return 1
}

# Waits for the next box titled `$1`, stores it as docs/`$2`.png unless `$2` is "-", and
# presses the keys that follow.
box() {
    local id
    id=$(next_box "$1")
    # Without a window manager a window takes keys only once it has the focus; focused, every
    # box is drawn with the caption of the active window.
    xdotool windowfocus --sync "$id"
    if [ "$2" != - ]; then
        # The box is visible before its text is drawn.
        sleep 1
        import -window "$id" "$root/docs/$2.png"
        stored+=("docs/$2.png")
    fi
    xdotool key --delay 200 "${@:3}"
}

# Waits for the program and checks its exit code.
ended_with() {
    local deadline=$((SECONDS + 60))
    while kill -0 "$program" 2>/dev/null && [ $SECONDS -lt $deadline ]; do
        sleep 0.2
    done
    if kill -0 "$program" 2>/dev/null; then
        echo "the program did not end" >&2
        wineserver -k
        exit 1
    fi
    wait "$program" || true
    local code
    code=$(tr -d '\r ' <"$work/exit-code.txt" 2>/dev/null || echo none)
    if [ "$code" != "$1" ]; then
        echo "the program ended with exit code $code instead of $1" >&2
        exit 1
    fi
}

product_name='Korvel ЭЦП Browser plug-in'
stored=()

reset_prefix
lay_out 1.1.0
start_program
box "$product_name" box-question Return
box "$product_name" box-installed Return
ended_with 0

lay_out 1.1.0
start_program -csp -ucsp -help
box 'Справка' box-help Return
ended_with 0

reset_prefix
lay_out 1.1.0-reboot
start_program
box "$product_name" - Return
# Tab moves to "Нет" and space presses it: a "Да" would restart the prefix.
box "$product_name" box-restart Tab space
ended_with 0

reset_prefix
lay_out 1.1.0-failing
start_program
box "$product_name" - Return
# Wine's msiexec shows the failed launch condition itself under /qb.
box 'Install Failed' - Return
box "$product_name" box-plugin-failed Return
ended_with 1603

reset_prefix
lay_out 1.1.0
plant_provider csp 1603
start_program -csp
box "$product_name" - Return
box '' box-provider-failed Return
ended_with 1603

lay_out
start_program
box "$product_name" - Return
box 'Ошибка' box-error Return
box "$product_name" - Return
ended_with 232

reset_prefix 1.1.0
lay_out 1.1.0
start_program
box "$product_name" - Return
box 'Обновление' box-reinstall Return
box "$product_name" - Return
ended_with 0

# Wine's MsiOpenPackageExW refuses a package of another version of the installed product
# while the product's cached package is in place (docs/wine.md); the program needs
# that call. helper.exe moves it aside, and puts it back at its next call.
lay_out 1.0.0
prefix_state version --aside >/dev/null
start_program
box "$product_name" - Return
box 'Обновление' box-refusal Return
box "$product_name" - Return
ended_with 0
reset_prefix

wineserver -w
echo "Stored ${stored[*]}."
