#!/usr/bin/env bash
# Measures, in one Wine prefix and on the same package files, the wall time of
#   korvel-plugin-setup.exe -silent          (started from a distribution folder)
# against the bare Windows Installer command (the same 32-bit msiexec.exe), for
#   fresh:   nothing installed -> sample package 1.1.0   msiexec /i <package> /qn
#   upgrade: 1.0.0 installed   -> sample package 1.1.0   msiexec /i <package> REINSTALL=ALL
#                                                        REINSTALLMODE=vomus /qn
# (a plain /i of another version of an installed product ends with 1638; these are the
# properties the program adds for an upgrade). Runs alternate between the two, first one then
# the other, so both meet the same state of the machine. Preparations (uninstalling,
# installing 1.0.0) are not timed. Prints figures only: medians, their ratio, the program's size.
#   scripts/benchmark.sh [repetitions]        (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

runs=${1:-5}
if ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 [repetitions]" >&2
    exit 2
fi

# The program always installs the plug-in with msiexec /qb, whose progress window needs a
# screen.
source scripts/lib/wine.sh
on_virtual_screen "$@"

work=$root/build/benchmark
setup=$root/build/windows/korvel-plugin-setup.exe
mkdir -p "$work"
bash tests/wine/packages/build.sh "$work/packages" >/dev/null
bash tests/wine/prefix.sh "$work/prefix" win64
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="


dist=$work/distribution
rm -rf "$dist"
mkdir -p "$dist/packages"
cp "$setup" "$dist/"
cp "$work/packages/1.1.0/tavexcom-x64.msi" "$dist/packages/"
package=$(winpath "$dist/packages/tavexcom-x64.msi")
old_package=$(winpath "$work/packages/1.0.0/tavexcom-x64.msi")
# The one the 32-bit program starts (GetSystemDirectoryW), rather than the 64-bit one.
msiexec='C:\windows\syswow64\msiexec.exe'


uninstall() {
    if [ "$(prefix_state state)" = 5 ]; then
        wine msiexec /x "$product" /qn >/dev/null 2>&1 || true
    fi
    if [ "$(prefix_state state)" = 5 ]; then
        echo "the plug-in cannot be uninstalled" >&2
        exit 1
    fi
}

# Wine's MsiOpenPackageExW refuses a package of another version of the installed product
# while the product's cached package is in place (tests/wine/README.md); the program needs
# that call.
# Both contenders run without it, so that they meet the same prefix; the run that upgrades
# makes a cached package of its own.
drop_cached_package() {
    local cached
    cached=$(prefix_state local-package)
    cached=${cached//\\//}
    rm -f "$WINEPREFIX/drive_c/${cached:3}"
}

# Runs the contender `$1` (setup or msiexec) for the case `$2` (fresh or upgrade), checks that
# it installed 1.1.0, and appends its wall time in milliseconds to $work/<case>-<contender>.
timed() {
    local contender=$1 case=$2 start end status=0
    local extra=()
    [ "$case" = upgrade ] && extra=(REINSTALL=ALL REINSTALLMODE=vomus)
    start=$EPOCHREALTIME
    if [ "$contender" = setup ]; then
        (cd "$dist" && wine korvel-plugin-setup.exe -silent) >/dev/null 2>&1 || status=$?
    else
        wine "$msiexec" /i "$package" "${extra[@]}" /qn >/dev/null 2>&1 || status=$?
    fi
    end=$EPOCHREALTIME
    if [ "$status" != 0 ] || [ "$(prefix_state version)" != 1.1.0 ]; then
        echo "$contender ($case) did not install 1.1.0: exit status $status" >&2
        exit 1
    fi
    echo $(((${end/./} - ${start/./}) / 1000)) >>"$work/$case-$contender"
}

prepare() {
    uninstall
    if [ "$1" = upgrade ]; then
        wine msiexec /i "$old_package" /qn >/dev/null 2>&1
        [ "$(prefix_state version)" = 1.0.0 ] || { echo "1.0.0 did not install" >&2; exit 1; }
        drop_cached_package
    fi
}

rm -f "$work"/fresh-* "$work"/upgrade-*
for ((i = 1; i <= runs; i++)); do
    order=(setup msiexec)
    [ $((i % 2)) = 0 ] && order=(msiexec setup)
    for case in fresh upgrade; do
        for contender in "${order[@]}"; do
            prepare "$case"
            timed "$contender" "$case"
        done
    done
done
uninstall
wineserver -w

median() {
    sort -n "$1" | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}

echo
echo "$runs runs each, $(wine --version), prefix $WINEPREFIX"
printf '%-8s %14s %14s %8s   %s\n' case "setup -silent" "bare msiexec" ratio "all runs, ms (setup | msiexec)"
for case in fresh upgrade; do
    s=$(median "$work/$case-setup")
    m=$(median "$work/$case-msiexec")
    printf '%-8s %11s ms %11s ms %8s   %s | %s\n' "$case" "$s" "$m" \
        "$(awk -v s="$s" -v m="$m" 'BEGIN { printf "%.2f", s / m }')" \
        "$(paste -sd' ' "$work/$case-setup")" "$(paste -sd' ' "$work/$case-msiexec")"
done
echo "korvel-plugin-setup.exe: $(stat -c %s "$setup") bytes"
