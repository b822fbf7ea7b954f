#!/usr/bin/env bash
# Installs what is needed, builds the setup program, lays out a distribution folder as the
# vendor ships it (the program, packages\ with sample plug-in packages, csp\ and ucsp\ with
# stand-ins for Setup.exe) in build/demo, and runs the program on it in a Wine prefix of its
# own; then tells the exit code, the installed version, the logs and a pending restart.
#   scripts/demo.sh [program arguments...]        for example: scripts/demo.sh -csp -ucsp
# With a display its boxes wait for you; without one it runs -silent on a virtual screen. The
# first run lays out sample package 1.0.0, later runs 1.1.0 (an upgrade); rm -rf build/demo
# starts over. Ends with 0 when the program ended with 0, else 1.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/wine.sh
on_screen display "$@"
# As the program's users see it: buttons "Да" and "Нет".
russian_windows

# The tests run it in a folder of their own.
demo=${KORVEL_DEMO_DIR:-$PWD/build/demo}
dist=$demo/distribution tmp=$demo/tmp laid_out=$demo/last-laid-out state_file=$demo/state.txt
mkdir -p "$demo"
# wixl stamps every package with a new package code: rebuilt samples of an installed version
# would no longer match the installed one.
if [ ! -f "$demo/samples/.built" ] ||
    [ -n "$(find tests/wine/packages -type f -newer "$demo/samples/.built")" ]; then
    bash tests/wine/packages/build.sh "$demo/samples" 1.0.0 1.1.0 >/dev/null
    touch "$demo/samples/.built"
fi
export WINEPREFIX=$demo/prefix
[ -f "$WINEPREFIX/.korvel-prefix-ready" ] || rm -f "$laid_out"
make_prefix win64

version=$([ -f "$laid_out" ] && echo 1.1.0 || echo 1.0.0)
rm -rf "$dist" "$tmp"
mkdir -p "$dist/packages" "$dist/csp" "$dist/ucsp" "$tmp"
cp build/windows/korvel-plugin-setup.exe "$dist/"
cp "$demo/samples/$version"/tavexcom-{x64,win32}.msi "$dist/packages/"
tee "$dist/csp/Setup.exe" >"$dist/ucsp/Setup.exe" <"$test_helper"
before=$(prefix_state version)
[ -z "$before" ] || [ "$before" = "$version" ] || move_cached_package_aside

args=("$@")
[ "$KORVEL_SCREEN" = display ] || printf '%s\n' "$@" | grep -qix -- -silent || args+=(-silent)
printf '\nDistribution folder %s:\n  %s\n  %s\n' "$dist" \
    'korvel-plugin-setup.exe, packages\tavexcom-x64.msi and packages\tavexcom-win32.msi' \
    "(sample plug-in package $version), csp\\Setup.exe and ucsp\\Setup.exe (stand-ins that install nothing)"
echo "Before the run: $([ -n "$before" ] && echo "plug-in $before installed" || echo "plug-in not installed")."
echo "Running korvel-plugin-setup.exe ${args[*]:-(no arguments)} in the Wine prefix $WINEPREFIX, TMP=$tmp"
[ "$KORVEL_SCREEN" = display ] && echo "Answer the program's message boxes on your screen."

transcript=$demo/transcript.txt output=$demo/output.txt
rm -f "$transcript"
if [ "$KORVEL_SCREEN" = virtual ]; then
    # helper.exe answers any box that still shows (the help, Wine's own msiexec errors), and
    # tells each box and the full exit code.
    (cd "$dist" && wine "$test_helper" drive --transcript "$(winpath "$transcript")" \
        --tmp "$(winpath "$tmp")" -- "$(winpath "$dist/korvel-plugin-setup.exe")" "${args[@]}") \
        >"$output" 2>&1 || true
else
    (cd "$dist" && run_for_exit_code "$demo/exit-code.txt" "$(winpath "$tmp")" \
        korvel-plugin-setup.exe "${args[@]}") >"$output" 2>&1 || true
fi
if [ -s "$output" ]; then
    echo "The run wrote (the program prints the time stamp of each install log it names):"
    sed 's/^/    /; s/\r$//' "$output"
fi

code=$(exit_code_of "$demo/exit-code.txt")
# One record per box, then the exit code.
if [ -f "$transcript" ]; then
    awk -v RS='\x1e' -F'\x1f' '$1 != "exit" {
        answer = ("," $4 ",") ~ /,6,/ ? "Yes" : ("," $4 ",") ~ /,1,/ ? "OK" : "Cancel"
        printf "%s appeared, caption \"%s\", answered %s:\n",
            $1 == "box" ? "A message box" : "A dialog", $2, answer
        gsub(/\n/, "\n    ", $3)
        print "    " $3 }' "$transcript"
    code=$(awk -v RS='\x1e' -F'\x1f' '$1 == "exit" { print $2 }' "$transcript")
fi
[ "$code" = none ] || echo "$version" >"$laid_out"

# The README's words for the code: its row of the exit-code table, or the example the row
# "any other" gives of it, or that row. 258 and none are the helper's, not the program's.
meaning=$(awk -F' *[|] *' -v code="$code" '/^## Exit codes/ { table = 1; next }
    table && /^## / { exit }
    table && $2 == code { print $3; found = 1; exit }
    table && $2 == "any other" { other = $3 }
    END { if (!found) print other }' README.md)
example=$(grep -o "$code ([^)]*)" <<<"$meaning" | head -n 1 || true)
if [ -n "$example" ]; then
    meaning=${example#* (}
    meaning=${meaning%)}
fi
case $code in
258) meaning="the program did not end within 90 s and was ended" ;;
none) meaning="unknown: the program did not end by itself" ;;
esac
echo
echo "Exit code $code: ${meaning//\`/}."

after=$(prefix_state version) how="as before"
if [ -z "$before" ]; then
    how="a fresh installation"
elif [ "$before" != "$after" ]; then
    how="was $before"
elif [ "$code" = 0 ] && compgen -G "$tmp/tavexcom*.log" >/dev/null; then
    how="the same version, installed again"
fi
echo "Installed now: $([ -n "$after" ] && echo "plug-in $after ($how)" || echo "the plug-in is not installed")."
if [ -f "$dist/children.trace" ]; then
    echo "Provider setups started, in order:"
    sed 's/^/  /' "$dist/children.trace"
fi
logs=$(find "$tmp" -maxdepth 1 -type f -name '*.log' | sort | awk '{ printf "\n  %s", $0 }')
echo "Install logs:${logs:- none.}"
if [ "$(prefix_state marker)" = 1 ]; then
    echo "Restart pending: yes (HKCU\\Software\\NeedBstrReboot is set; the next run offers the restart)."
else
    echo "Restart pending: no."
fi
echo "The next run lays out sample package 1.1.0; rm -rf build/demo starts over."

# Only the end of Wine's server surely writes the prefix's registry to disk.
wineserver -w
[ "$code" = 0 ]
