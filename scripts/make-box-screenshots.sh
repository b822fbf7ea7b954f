#!/usr/bin/env bash
# Runs the built program under Wine, as on a Russian Windows, on a virtual screen through the
# states that show each kind of message box, and stores a picture of each in docs/box-*.png:
# the question (103), the help with every option, installed (110), restart now? (108), the
# plug-in's and a provider's failures (106, 105), no package found (139), this version is
# installed already (147), a later version is (150). Each run must end with its known code.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/wine.sh
on_screen virtual "$@"
russian_windows

work=$PWD/build/box-screenshots state_file=$PWD/build/box-screenshots/state.txt
mkdir -p "$work" docs
bash tests/wine/packages/build.sh "$work/packages" 1.0.0 1.1.0 1.1.0-reboot 1.1.0-failing >/dev/null
export WINEPREFIX=$work/prefix
make_prefix win64

# The plug-in uninstalled and no restart marker, then `$1` (a package build) installed if given.
reset_prefix() {
    prefix_state version --marker 0 --windows "" \
        --package "${1:+$(winpath "$work/packages/$1/tavexcom-x64.msi")}" >/dev/null
}

# Starts the program in the background with the arguments after `$1`, from a distribution
# folder with it, the package build `$1` ("-": none) and a stand-in for csp\Setup.exe that
# ends with $provider_code.
start_program() {
    local dist=$work/distribution
    rm -rf "$dist"
    mkdir -p "$dist/packages" "$dist/csp"
    cp build/windows/korvel-plugin-setup.exe "$dist/"
    cp "$test_helper" "$dist/csp/Setup.exe"
    echo "${provider_code:-0}" >"$dist/csp/Setup.exe.exitcode"
    [ "$1" = - ] || cp "$work/packages/$1/tavexcom-x64.msi" "$dist/packages/"
    (cd "$dist" && run_for_exit_code "$work/exit-code.txt" "" korvel-plugin-setup.exe "${@:2}") \
        >/dev/null 2>&1 &
    program=$!
}

# Waits for the next box titled `$1`, stores it as docs/`$2`.png unless `$2` is "-", and
# presses the keys that follow.
box() {
    local id
    id=$(wine_window "$1")
    xdotool windowfocus --sync "$id"
    # The box is visible before its text is drawn.
    [ "$2" = - ] || { sleep 1 && import -window "$id" "docs/$2.png" && stored=$((stored + 1)); }
    press "$id" "${@:3}"
}

# Waits for the program and checks its exit code.
ended_with() {
    timeout 60 tail --pid="$program" -f /dev/null || { wineserver -k && fail "the program did not end"; }
    wait "$program" || true
    [ "$(exit_code_of "$work/exit-code.txt")" = "$1" ] ||
        fail "the program ended with $(exit_code_of "$work/exit-code.txt") instead of $1"
}

product_name='Korvel ЭЦП Browser plug-in'
stored=0

reset_prefix
start_program 1.1.0
box "$product_name" box-question Return
box "$product_name" box-installed Return
ended_with 0

start_program 1.1.0 -csp -ucsp -help
box 'Справка' box-help Return
ended_with 0

reset_prefix
start_program 1.1.0-reboot
box "$product_name" - Return
# Tab moves to "Нет" and space presses it: a "Да" would restart the prefix.
box "$product_name" box-restart Tab space
ended_with 0

reset_prefix
start_program 1.1.0-failing
box "$product_name" - Return
# Wine's msiexec shows the failed launch condition itself under /qb.
box 'Install Failed' - Return
box "$product_name" box-plugin-failed Return
ended_with 1603

reset_prefix
provider_code=1603 start_program 1.1.0 -csp
box "$product_name" - Return
box '' box-provider-failed Return
ended_with 1603

start_program -
box "$product_name" - Return
box 'Ошибка' box-error Return
box "$product_name" - Return
ended_with 232

reset_prefix 1.1.0
start_program 1.1.0
box "$product_name" - Return
box 'Обновление' box-reinstall Return
box "$product_name" - Return
ended_with 0

move_cached_package_aside
start_program 1.0.0
box "$product_name" - Return
box 'Обновление' box-refusal Return
box "$product_name" - Return
ended_with 0
reset_prefix

wineserver -w
echo "Stored $stored pictures in docs/."
