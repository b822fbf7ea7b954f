#!/usr/bin/env bash
# Installs what is needed, builds the setup program, lays out a distribution folder as the
# vendor ships it (build/demo/distribution: the program, packages\ with the plug-in's sample
# packages, csp\Setup.exe and ucsp\Setup.exe) and runs the program on it in a Wine prefix of
# its own (build/demo/prefix). Then tells what happened: exit code, installed version, install
# logs, pending restart.
#   scripts/demo.sh [program arguments...]        for example: scripts/demo.sh -csp -ucsp
# With a display the program's message boxes wait for you; without one the program runs
# -silent on a virtual screen. The first run lays out the sample package 1.0.0, every later
# run 1.1.0, so the second run is an upgrade; rm -rf build/demo starts over.
# Ends with 0 when the program ended with 0, else 1.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

if [ -z "${KORVEL_DEMO_SCREEN:-}" ]; then
    scripts/install-deps.sh
    cmake --workflow --preset windows >/dev/null
    cmake --workflow --preset test-helpers >/dev/null
    if [ -z "${DISPLAY:-}" ]; then
        KORVEL_DEMO_SCREEN=virtual exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
    fi
    export KORVEL_DEMO_SCREEN=display
fi

# The tests run it in a folder of their own.
demo=${KORVEL_DEMO_DIR:-$root/build/demo}
samples=$demo/samples
dist=$demo/distribution
tmp=$demo/tmp
state_file=$demo/last-laid-out

# "Z:\..." for an absolute Unix path: what the prefix calls it.
source scripts/lib/wine.sh
# As the program's users see it: buttons "Да" and "Нет".
russian_windows

mkdir -p "$demo"
# wixl stamps every package with a new package code: rebuilt samples of an installed version
# would no longer match the installed one.
if [ ! -f "$samples/.built" ] ||
    [ -n "$(find tests/wine/packages -type f -newer "$samples/.built")" ]; then
    bash tests/wine/packages/build.sh "$samples" 1.0.0 1.1.0 >/dev/null
    touch "$samples/.built"
fi

[ -f "$demo/prefix/.korvel-prefix-ready" ] || rm -f "$state_file"
bash tests/wine/prefix.sh "$demo/prefix" win64
export WINEPREFIX=$demo/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

version=1.0.0
[ -f "$state_file" ] && version=1.1.0

rm -rf "$dist" "$tmp"
mkdir -p "$dist/packages" "$dist/csp" "$dist/ucsp" "$tmp"
cp build/windows/korvel-plugin-setup.exe "$dist/"
cp "$samples/$version/tavexcom-x64.msi" "$samples/$version/tavexcom-win32.msi" "$dist/packages/"
cp "$test_helper" "$dist/csp/Setup.exe"
cp "$test_helper" "$dist/ucsp/Setup.exe"

work=$demo
before=$(prefix_state version)
# Wine's MsiOpenPackageExW refuses a package of another version of the installed product
# while the product's cached package is in place (docs/wine.md); the program needs
# that call. helper.exe moves it aside, and puts it back at its next call.
if [ -n "$before" ] && [ "$before" != "$version" ]; then
    prefix_state version --aside >/dev/null
fi

args=("$@")
if [ "$KORVEL_DEMO_SCREEN" = virtual ]; then
    silent=
    for arg in "${args[@]}"; do
        [ "${arg,,}" = -silent ] && silent=1
    done
    [ -n "$silent" ] || args+=(-silent)
fi

echo
echo "Distribution folder $dist:"
printf '  %s\n' 'korvel-plugin-setup.exe, packages\tavexcom-x64.msi and packages\tavexcom-win32.msi' \
    "(sample plug-in package $version), csp\\Setup.exe and ucsp\\Setup.exe (stand-ins that install nothing)"
echo "Before the run: $([ -n "$before" ] && echo "plug-in $before installed" || echo "plug-in not installed")."
echo "Running korvel-plugin-setup.exe ${args[*]:-(no arguments)} in the Wine prefix $WINEPREFIX, TMP=$tmp"
[ "$KORVEL_DEMO_SCREEN" = display ] && echo "Answer the program's message boxes on your screen."

transcript=$demo/transcript.txt
output=$demo/output.txt
rm -f "$transcript" "$demo/exit-code.txt"
set +e
if [ "$KORVEL_DEMO_SCREEN" = virtual ]; then
    # helper.exe answers any box that still shows (the help, Wine's own msiexec errors) and
    # reads the full 32-bit exit code, which Wine's exit status cuts to 8 bits.
    (cd "$dist" && wine "$test_helper" drive --transcript "$(winpath "$transcript")" \
        --tmp "$(winpath "$tmp")" -- \
        "$(winpath "$dist/korvel-plugin-setup.exe")" "${args[@]}") >"$output" 2>&1
else
    # A batch file waits for a windowed program, and keeps its full exit code in ERRORLEVEL.
    printf '@echo off\r\nset "TMP=%s"\r\n%%*\r\n>"%s" echo %%ERRORLEVEL%%\r\n' \
        "$(winpath "$tmp")" "$(winpath "$demo/exit-code.txt")" >"$demo/run.cmd"
    (cd "$dist" && wine cmd /c "$(winpath "$demo/run.cmd")" korvel-plugin-setup.exe "${args[@]}") >"$output" 2>&1
fi
set -e
if [ -s "$output" ]; then
    echo "The run wrote (the program prints the time stamp of each install log it names):"
    sed 's/^/    /; s/\r$//' "$output"
fi

code=
if [ "$KORVEL_DEMO_SCREEN" = virtual ]; then
    # One record per box, then the exit code; the last record has no separator after it.
    while IFS=$'\x1f' read -r -d $'\x1e' kind caption text buttons _ || [ -n "$kind" ]; do
        case $kind in
        box | dialog)
            case ,$buttons, in
            *,6,*) answer=Yes ;; *,1,*) answer=OK ;; *) answer=Cancel ;;
            esac
            what="A message box"
            [ "$kind" = box ] || what="A dialog"
            echo "$what appeared, caption \"$caption\", answered $answer:"
            printf '%s\n' "$text" | sed 's/^/    /'
            ;;
        exit) code=$caption ;;
        esac
        kind=
    done < <([ ! -f "$transcript" ] || cat "$transcript")
else
    [ -f "$demo/exit-code.txt" ] && code=$(tr -d '\r ' <"$demo/exit-code.txt")
fi

[ -n "${code:-}" ] && echo "$version" >"$state_file"

case ${code:-none} in
0) meaning="success (also: the question answered no, the help shown, the dialog cancelled, a later version kept)" ;;
1) meaning="no administrator rights" ;;
2) meaning="the Windows version could not be read (or a provider's Setup.exe was missing: Wine reports that as 2)" ;;
3) meaning="Windows 2000 below service pack 4" ;;
4) meaning="Windows XP below service pack 2" ;;
5) meaning="Windows Server 2003 or XP x64 below service pack 2" ;;
6) meaning="Windows older than Windows 2000" ;;
7) meaning="a restart was accepted but could not be started" ;;
203) meaning="the TMP variable is not set, so no install log could be named" ;;
232) meaning="no plug-in package found in a subfolder" ;;
1602) meaning="the plug-in installation was cancelled" ;;
1603) meaning="an installation failed (fatal error during installation)" ;;
3010) meaning="a provider's setup asked for a restart; the run stopped there" ;;
258) meaning="the program did not end within 90 s and was ended" ;;
none) meaning="unknown: the program did not end by itself" ;;
*) meaning="the failing provider's or msiexec's own result" ;;
esac
echo
echo "Exit code ${code:-none}: $meaning."

after=$(prefix_state version)
marker=$(prefix_state marker)
if [ -z "$after" ]; then
    echo "Installed now: the plug-in is not installed."
elif [ -z "$before" ]; then
    echo "Installed now: plug-in $after (a fresh installation)."
elif [ "$before" != "$after" ]; then
    echo "Installed now: plug-in $after (was $before)."
elif [ "${code:-}" = 0 ] && compgen -G "$tmp/tavexcom*.log" >/dev/null; then
    echo "Installed now: plug-in $after (the same version, installed again)."
else
    echo "Installed now: plug-in $after (as before)."
fi

if [ -f "$dist/children.trace" ]; then
    echo "Provider setups started, in order:"
    sed 's/^/  /' "$dist/children.trace"
fi

mapfile -t logs < <(find "$tmp" -maxdepth 1 -type f -name '*.log' | sort)
if [ ${#logs[@]} -gt 0 ]; then
    echo "Install logs:"
    printf '  %s\n' "${logs[@]}"
else
    echo "Install logs: none."
fi

if [ "$marker" = 1 ]; then
    echo "Restart pending: yes (HKCU\\Software\\NeedBstrReboot is set; the next run offers the restart)."
else
    echo "Restart pending: no."
fi
echo "The next run lays out sample package 1.1.0; rm -rf build/demo starts over."

# Only the end of Wine's server surely writes the prefix's registry to disk.
wineserver -w
[ "${code:-none}" = 0 ]
