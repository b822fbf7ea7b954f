#!/usr/bin/env bash
# Measures what korvel-plugin-setup.exe -silent costs beyond the Windows Installer run it makes,
# in one Wine prefix, for a fresh installation of sample package 1.1.0 and an upgrade to it
# from 1.0.0. Four programs are timed in each case, from CreateProcessW to the end of their
# process, by tools/bench/launch.c inside the prefix while a persistent wineserver keeps it up:
# empty, which ends at once; floor, which loads msi.dll and asks once for the plug-in's state,
# the least a setup program must do; msiexec with the program's command line; and the
# program's -silent run, whose overhead is what it does around msiexec. Each round runs the four
# for each case, starting with another one each round so that drift hits all alike; a first
# round is not counted, nor putting the prefix into the case's state. Prints the medians, the
# overhead (the median over the rounds of setup minus msiexec), also as a multiple of the empty
# and floor programs, and the program's size.
#   scripts/benchmark.sh [rounds]        (default 15, about two minutes)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-15}
[[ $rounds =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [rounds]" >&2 && exit 2; }
# msiexec /qb shows a progress window, which needs a screen.
source scripts/lib/wine.sh
on_screen virtual "$@"

work=$PWD/build/bench state_file=$PWD/build/bench/state.txt dist=$PWD/build/bench/distribution
variants=(empty floor msiexec setup)
mkdir -p "$work"
for helper in empty floor launch; do
    subsystem=-mwindows && [ $helper = launch ] && subsystem=-mconsole
    i686-w64-mingw32-gcc -std=c11 -O2 -Wall -Wextra -Werror -municode $subsystem -static -s \
        -o "$work/$helper.exe" "tools/bench/$helper.c"
done
bash tests/wine/packages/build.sh "$work/packages" 1.0.0 1.1.0 >/dev/null
export WINEPREFIX=$work/prefix
# A wineserver left from an earlier display would draw msiexec's window on a dead one.
wineserver -k 2>/dev/null || true
make_prefix win64
trap 'wineserver -k 2>/dev/null || true' EXIT
wineserver -p

rm -rf "$dist"
mkdir -p "$dist/packages"
cp build/windows/korvel-plugin-setup.exe "$dist/"
cp "$work/packages/1.1.0/tavexcom-x64.msi" "$dist/packages/"
package=$(winpath "$dist/packages/tavexcom-x64.msi")
# What the program starts (GetSystemDirectoryW): for a 32-bit process the 32-bit msiexec.exe.
msiexec='C:\windows\system32\msiexec.exe'
# The log goes to %TMP%, named after the package and the time. Into a file: programs of the
# prefix's services that this wine may start keep its output open.
wine cmd /c 'echo %TMP%' >"$work/tmp.txt" 2>/dev/null
tmp=$(tr -d '\r\n' <"$work/tmp.txt")
tmp_unix=${tmp//\\//} tmp_unix=$WINEPREFIX/drive_c/${tmp_unix:3}

# Installs the package `$1` ("": nothing) in place of what is installed: version `$2`.
install() {
    [ "$(prefix_state version --package "$1")" = "${2:-}" ] ||
        fail "the prefix could not be made to hold plug-in \"${2:-}\""
}

# Puts the prefix into the state the case `$1` starts from. Every contender meets the prefix
# without the cached package of 1.0.0; the run that upgrades makes its own.
prepare() {
    rm -f "$tmp_unix"/tavexcom-x64.msi_*.log
    if [ "$1" = fresh ]; then
        install ""
        return
    fi
    [ "$(prefix_state version)" = 1.0.0 ] ||
        install "$(winpath "$work/packages/1.0.0/tavexcom-x64.msi")" 1.0.0
    move_cached_package_aside
}

# Runs the variant `$1` for the case `$2`, checks its outcome, and appends its time in
# microseconds to the file `$3`.
timed() {
    local variant=$1 case=$2 application line time code expected=0 properties=' /qb'
    [ "$case" = upgrade ] && properties='REINSTALL=ALL REINSTALLMODE=vomus /qb'
    case $variant-$case in
    floor-fresh) expected=4294967295 ;; # INSTALLSTATE_UNKNOWN
    floor-upgrade) expected=5 ;;        # INSTALLSTATE_DEFAULT
    esac
    case $variant in
    empty | floor) application=$(winpath "$work/$variant.exe") line="\"$application\"" ;;
    setup) application=$(winpath "$dist/korvel-plugin-setup.exe") line="\"$application\" -silent" ;;
    msiexec)
        application=$msiexec
        line="msiexec /i \"$package\" /Lv! \"$tmp\\tavexcom-x64.msi_$(date +%Y-%m-%d-%H-%M-%S).log\""
        line+=" REBOOT=R $properties"
        ;;
    esac
    printf '%s\n%s\n' "$application" "$line" >"$work/run.txt"
    rm -f "$work/report.txt"
    (cd "$dist" && wine "$work/launch.exe" "$(winpath "$work/run.txt")" \
        "$(winpath "$work/report.txt")") >/dev/null 2>&1 || fail "$variant ($case) could not be started"
    read -r time code <"$work/report.txt"
    [ "$code" = "$expected" ] || fail "$variant ($case) ended with $code"
    if [ "$variant" = msiexec ] || [ "$variant" = setup ]; then
        [ "$(prefix_state version)" = 1.1.0 ] || fail "$variant ($case) did not install 1.1.0"
        compgen -G "$tmp_unix/tavexcom-x64.msi_*.log" >/dev/null ||
            fail "$variant ($case) wrote no install log"
    fi
    echo "$time" >>"$3"
}

rm -f "$work"/fresh-* "$work"/upgrade-* "$work"/warm-up
for ((round = 0; round <= rounds; round++)); do
    for case in fresh upgrade; do
        for ((i = 0; i < ${#variants[@]}; i++)); do
            variant=${variants[(round + i) % ${#variants[@]}]} out=$work/$case-$variant
            [ $round = 0 ] && out=$work/warm-up
            prepare "$case"
            timed "$variant" "$case" "$out"
        done
    done
done
install ""

# The median of the numbers on standard input, in milliseconds from microseconds.
median_ms() {
    sort -n | awk '{ v[NR] = $1 }
        END { printf "%.1f", (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) / 1000 }'
}

row() { printf '%-8s %8s %8s %9s %9s %9s %8s %8s\n' "$@"; }
echo
echo "rounds: $rounds (and one not counted), $(wine --version), prefix $WINEPREFIX"
echo "median ms from CreateProcessW to the end of the process; overhead = median of setup - msiexec"
row case empty floor msiexec setup overhead "x empty" "x floor"
declare -A m
for case in fresh upgrade; do
    for variant in "${variants[@]}"; do
        m[$variant]=$(median_ms <"$work/$case-$variant")
    done
    overhead=$(paste "$work/$case-setup" "$work/$case-msiexec" | awk '{ print $1 - $2 }' | median_ms)
    row "$case" "${m[empty]}" "${m[floor]}" "${m[msiexec]}" "${m[setup]}" "$overhead" \
        "$(awk -v o="$overhead" -v e="${m[empty]}" 'BEGIN { printf "%.1f", o / e }')" \
        "$(awk -v o="$overhead" -v f="${m[floor]}" 'BEGIN { printf "%.1f", o / f }')"
done
echo "korvel-plugin-setup.exe: $(stat -c %s build/windows/korvel-plugin-setup.exe) bytes"
