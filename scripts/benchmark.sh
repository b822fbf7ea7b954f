#!/usr/bin/env bash
# Measures what korvel-plugin-setup.exe -silent costs beyond the Windows Installer run it makes,
# in one Wine prefix, on the same package files, for
#   fresh:   nothing installed -> sample package 1.1.0
#   upgrade: 1.0.0 installed   -> sample package 1.1.0
# Four programs are timed in each case:
#   empty    a program that starts and ends at once (tools/bench/empty.c)
#   floor    one that loads msi.dll from the system folder and asks once for the plug-in's state
#            (tools/bench/floor.c): the least a setup program must do before deciding anything
#   msiexec  the system's 32-bit msiexec.exe with exactly the command line the program gives it:
#              msiexec /i "<package>" /Lv! "<log>" REBOOT=R  /qb
#              msiexec /i "<package>" /Lv! "<log>" REBOOT=R REINSTALL=ALL REINSTALLMODE=vomus /qb
#   setup    the program's -silent run, started from a distribution folder; what it does around
#            msiexec (its checks, the source-list calls before it) is its overhead
# All are started the same way, by tools/bench/launch.c inside the prefix, which times each one
# from CreateProcessW to the end of its process while a persistent wineserver keeps the prefix
# up. Each round runs the four in turn for each case, starting with another one each round, so
# that drift of the machine hits all alike; a first round is not counted. Before every run the
# prefix is put into the case's state, untimed (uninstalling, installing 1.0.0).
# Prints the medians, the program's overhead over the bare msiexec (the median over the rounds of
# setup minus msiexec of the same round) and that overhead as a multiple of the empty and floor
# programs' medians; then every run and the program's size.
#   scripts/benchmark.sh [rounds]        (default 15, about two minutes)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

rounds=${1:-15}
if ! [[ $rounds =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 [rounds]" >&2
    exit 2
fi

# The program always installs the plug-in with msiexec /qb, whose progress window needs a
# screen.
source scripts/lib/wine.sh
on_virtual_screen "$@"

work=$root/build/bench
setup=$root/build/windows/korvel-plugin-setup.exe
variants=(empty floor msiexec setup)
mkdir -p "$work"

for helper in empty floor launch; do
    subsystem=-mwindows
    [ $helper = launch ] && subsystem=
    i686-w64-mingw32-gcc -std=c11 -O2 -Wall -Wextra -Werror -municode $subsystem -static -s \
        -o "$work/$helper.exe" "tools/bench/$helper.c"
done
bash tests/wine/packages/build.sh "$work/packages" 1.0.0 1.1.0 >/dev/null

export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A wineserver left from an earlier display would draw msiexec's window on a dead one.
wineserver -k 2>/dev/null || true
bash tests/wine/prefix.sh "$WINEPREFIX" win64
trap 'wineserver -k 2>/dev/null || true' EXIT
# Kept up between runs, so that no run pays for starting the prefix.
wineserver -p

dist=$work/distribution
rm -rf "$dist"
mkdir -p "$dist/packages"
cp "$setup" "$dist/"
cp "$work/packages/1.1.0/tavexcom-x64.msi" "$dist/packages/"
package=$(winpath "$dist/packages/tavexcom-x64.msi")
old_package=$(winpath "$work/packages/1.0.0/tavexcom-x64.msi")
# What the program starts (GetSystemDirectoryW): for a 32-bit process the 32-bit msiexec.exe.
msiexec='C:\windows\system32\msiexec.exe'
# The program names its log in %TMP% after the package and the time; so does the bare run.
# Into a file: programs of the prefix's services that this wine may start keep its output open.
wine cmd /c 'echo %TMP%' >"$work/tmp.txt" 2>/dev/null
tmp=$(tr -d '\r\n' <"$work/tmp.txt")
tmp_unix=${tmp//\\//}
tmp_unix=$WINEPREFIX/drive_c/${tmp_unix:3}

uninstall() {
    if [ -n "$(prefix_state version)" ]; then
        wine msiexec /x "$product" /qn >/dev/null 2>&1 || true
    fi
    if [ -n "$(prefix_state version)" ]; then
        echo "the plug-in cannot be uninstalled" >&2
        exit 1
    fi
}

# Wine's MsiOpenPackageExW refuses a package of another version of the installed product
# while the product's cached package is in place (docs/wine.md); the program
# needs that call.
# Every contender meets the prefix without it; the run that upgrades makes a cached package of
# its own. helper.exe moves it aside, and puts it back at its next call while the product
# still wants it.
drop_cached_package() {
    prefix_state version --aside >/dev/null
}

# Puts the prefix into the state the case `$1` (fresh or upgrade) starts from.
prepare() {
    rm -f "$tmp_unix"/tavexcom-x64.msi_*.log
    if [ "$1" = upgrade ] && [ "$(prefix_state version)" = 1.0.0 ]; then
        drop_cached_package
        return
    fi
    uninstall
    if [ "$1" = upgrade ]; then
        wine msiexec /i "$old_package" /qn >/dev/null 2>&1
        [ "$(prefix_state version)" = 1.0.0 ] || { echo "1.0.0 did not install" >&2; exit 1; }
        drop_cached_package
    fi
}

# The exit code the variant `$1` must end with in the case `$2`.
expected_exit_code() {
    case $1-$2 in
    floor-fresh) echo 4294967295 ;; # INSTALLSTATE_UNKNOWN
    floor-upgrade) echo 5 ;;        # INSTALLSTATE_DEFAULT
    *) echo 0 ;;
    esac
}

# Runs the variant `$1` for the case `$2` (from the prefix's state for that case), checks its
# outcome, and appends its time in microseconds to the file `$3`.
timed() {
    local variant=$1 case=$2 application line properties=' /qb' time code
    [ "$case" = upgrade ] && properties='REINSTALL=ALL REINSTALLMODE=vomus /qb'
    case $variant in
    empty | floor)
        application=$(winpath "$work/$variant.exe")
        line="\"$application\""
        ;;
    msiexec)
        application=$msiexec
        line="msiexec /i \"$package\" /Lv! \"$tmp\\tavexcom-x64.msi_$(date +%Y-%m-%d-%H-%M-%S).log\""
        line+=" REBOOT=R $properties"
        ;;
    setup)
        application=$(winpath "$dist/korvel-plugin-setup.exe")
        line="\"$application\" -silent"
        ;;
    esac
    printf '%s\n%s\n' "$application" "$line" >"$work/run.txt"
    rm -f "$work/report.txt"
    if ! (cd "$dist" && wine "$work/launch.exe" "$(winpath "$work/run.txt")" \
        "$(winpath "$work/report.txt")") >/dev/null 2>&1; then
        echo "$variant ($case) could not be started" >&2
        exit 1
    fi
    read -r time code <"$work/report.txt"
    if [ "$code" != "$(expected_exit_code "$variant" "$case")" ]; then
        echo "$variant ($case) ended with $code" >&2
        exit 1
    fi
    if [ "$variant" = msiexec ] || [ "$variant" = setup ]; then
        [ "$(prefix_state version)" = 1.1.0 ] || {
            echo "$variant ($case) did not install 1.1.0" >&2
            exit 1
        }
        compgen -G "$tmp_unix/tavexcom-x64.msi_*.log" >/dev/null || {
            echo "$variant ($case) wrote no install log" >&2
            exit 1
        }
    fi
    echo "$time" >>"$3"
}

rm -f "$work"/fresh-* "$work"/upgrade-* "$work"/warm-up
for ((round = 0; round <= rounds; round++)); do
    for case in fresh upgrade; do
        for ((i = 0; i < ${#variants[@]}; i++)); do
            variant=${variants[(round + i) % ${#variants[@]}]}
            prepare "$case"
            out=$work/$case-$variant
            [ $round = 0 ] && out=$work/warm-up
            timed "$variant" "$case" "$out"
        done
    done
done
uninstall

# The median of the numbers on standard input, in milliseconds from microseconds.
median_ms() {
    sort -n | awk '{ v[NR] = $1 }
        END { printf "%.1f", (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) / 1000 }'
}

echo
echo "rounds: $rounds (and one not counted), $(wine --version), prefix $WINEPREFIX"
echo "median ms from CreateProcessW to the end of the process; overhead = median over the rounds"
echo "of (setup - msiexec) in the same round"
printf '%-8s %8s %8s %9s %9s %9s %8s %8s\n' case empty floor msiexec setup overhead "x empty" \
    "x floor"
declare -A m
for case in fresh upgrade; do
    for variant in "${variants[@]}"; do
        m[$variant]=$(median_ms <"$work/$case-$variant")
    done
    overhead=$(paste "$work/$case-setup" "$work/$case-msiexec" | awk '{ print $1 - $2 }' | median_ms)
    printf '%-8s %8s %8s %9s %9s %9s %8s %8s\n' "$case" "${m[empty]}" "${m[floor]}" \
        "${m[msiexec]}" "${m[setup]}" "$overhead" \
        "$(awk -v o="$overhead" -v e="${m[empty]}" 'BEGIN { printf "%.1f", o / e }')" \
        "$(awk -v o="$overhead" -v f="${m[floor]}" 'BEGIN { printf "%.1f", o / f }')"
done
echo
echo "every run, ms, in round order:"
for case in fresh upgrade; do
    for variant in "${variants[@]}"; do
        printf '%-8s %-8s %s\n' "$case" "$variant" \
            "$(awk '{ printf "%s%.1f", (NR > 1 ? " " : ""), $1 / 1000 }' "$work/$case-$variant")"
    done
done
echo "korvel-plugin-setup.exe: $(stat -c %s "$setup") bytes"
