#!/usr/bin/env bash
# Checks the built setup program as a file: its PE kind, its imports and its resources.
# Usage: check-program.sh <korvel-plugin-setup.exe> <source dir>
set -uo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 <exe> <source-dir>" >&2
    exit 2
fi
exe=$1
[ -d "$2" ] || { echo "FAIL: source dir $2 does not exist" >&2; exit 1; }
src=$(cd "$2" && pwd)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
allowlist=$here/imports.txt
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
windres=${WINDRES:-i686-w64-mingw32-windres}

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
pass() {
    echo "ok: $*"
}

for tool in file "$objdump" "$windres"; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed" >&2; exit 1; }
done
[ -f "$exe" ] || { echo "FAIL: $exe does not exist: build it with 'cmake --workflow --preset windows'" >&2; exit 1; }
[ -f "$src/res/strings.rc" ] || { echo "FAIL: $src/res/strings.rc does not exist" >&2; exit 1; }
[ -f "$allowlist" ] || { echo "FAIL: $allowlist does not exist" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# --- PE kind -------------------------------------------------------------------------------
kind=$(file -b "$exe")
if [[ $kind == PE32+* ]]; then
    fail "'file' says 64-bit ($kind); the program must be 32-bit"
elif [[ $kind =~ ^PE32\ executable\ \(GUI\)\ Intel\ 80386 ]]; then
    pass "file: $kind"
else
    fail "'file' does not say 'PE32 executable (GUI) Intel 80386': $kind"
fi

# --- Headers and imports -------------------------------------------------------------------
if ! "$objdump" -p "$exe" >"$work/headers.txt" 2>"$work/objdump.err"; then
    fail "$objdump -p failed: $(cat "$work/objdump.err")"
fi
subsystem=$(grep -E '^Subsystem[[:space:]]' "$work/headers.txt")
if [[ $subsystem == *"(Windows GUI)"* ]]; then
    pass "subsystem Windows GUI"
else
    fail "subsystem is not Windows GUI: ${subsystem:-none found}"
fi

# Every imported function, as "DLL!function", against the list kept in the repository: a
# new import is a deliberate change of that list.
awk '
    /^[[:space:]]*DLL Name:/ { dll = tolower($3); next }
    /^[[:space:]]*$/ { dll = "" }
    dll != "" && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ && NF == 3 { print dll "!" $3 }
' "$work/headers.txt" | sort -u >"$work/imports.txt"
sed -e 's/#.*//' -e 's/[[:space:]]//g' "$allowlist" | grep -v '^$' | sort -u >"$work/allowed.txt"
if [ ! -s "$work/imports.txt" ]; then
    fail "no imports found in '$objdump -p' output"
elif cmp -s "$work/allowed.txt" "$work/imports.txt"; then
    pass "imports exactly the $(wc -l <"$work/imports.txt") functions of $(basename "$allowlist") from $(cut -d! -f1 "$work/imports.txt" | sort -u | tr '\n' ' ')"
else
    fail "the imports differ from $(basename "$allowlist") (- list, + program):"
    diff -u "$work/allowed.txt" "$work/imports.txt" | sed -n '3,60p' >&2
fi

# ASLR (0x40) and DEP (0x100), relocations kept so that ASLR can move the program.
characteristics=$(awk '/^DllCharacteristics/ { print $2 }' "$work/headers.txt")
if (( (16#${characteristics:-0} & 0x140) == 0x140 )) && grep -q '^[[:space:]]*[0-9]* \.reloc' <("$objdump" -h "$exe"); then
    pass "ASLR and DEP (DllCharacteristics $characteristics), relocations present"
else
    fail "DllCharacteristics $characteristics lacks DYNAMIC_BASE or NX_COMPAT, or .reloc is missing"
fi

# No section both writable and executable: objdump marks executable ones CODE and
# unwritable ones READONLY.
writable_code=$("$objdump" -h "$exe" | awk '/^ *[0-9]+ / { name = $2; getline; if ($0 ~ /CODE/ && $0 !~ /READONLY/) print name }')
if [ -z "$writable_code" ]; then
    pass "no writable and executable section"
else
    fail "writable and executable sections: $writable_code"
fi

# The oldest Windows the program admits is 2000 (5.0); it must start there to refuse
# properly, so the subsystem version may not be newer.
major=$(awk '/^MajorSubsystemVersion/ { print $2 }' "$work/headers.txt")
minor=$(awk '/^MinorSubsystemVersion/ { print $2 }' "$work/headers.txt")
if (( ${major:-99} < 5 || (${major:-99} == 5 && ${minor:-99} == 0) )); then
    pass "subsystem version $major.$minor"
else
    fail "subsystem version $major.$minor is newer than Windows 2000 (5.0)"
fi

# --- Resources -----------------------------------------------------------------------------
if ! "$windres" -i "$exe" -O rc -o "$work/program.rc" 2>"$work/windres.err"; then
    fail "$windres could not read the resources of $exe: $(cat "$work/windres.err")"
    : >"$work/program.rc"
fi

# Prints the sections of a windres dump whose header line matches the pattern, each
# preceded by the language in force (the dump writes LANGUAGE only when it changes, so it
# cannot be compared line by line).
sections() {
    awk -v pattern="$1" '
        /^LANGUAGE / { lang = $0; next }
        $0 ~ pattern { print lang; inside = 1 }
        inside { print; if ($0 ~ /^END/) inside = 0 }
    ' "$2"
}

# One resource source compiled on its own, the way setup.rc compiles it (language first),
# read back from an object file, since memory flags that a .res keeps never reach the
# program; its sections matching the pattern must be the program's.
matches_source() {
    local source=$1 language=$2 pattern=$3 what=$4 name
    name=$(basename "$source" .rc)
    printf '#include <windows.h>\n#include "resource.h"\n#pragma code_page(65001)\n%s\n#include "%s"\n' \
        "$language" "$src/res/$source" >"$work/$name-only.rc"
    if ! "$windres" -c 65001 -I "$src/res" -i "$work/$name-only.rc" -O coff -o "$work/$name-only.o" 2>"$work/$name.err" \
        || ! "$windres" -i "$work/$name-only.o" -O rc -o "$work/$name-dump.rc" 2>>"$work/$name.err"; then
        fail "could not compile res/$source alone: $(cat "$work/$name.err")"
        return
    fi
    sections "$pattern" "$work/$name-dump.rc" >"$work/expected-$name.txt"
    sections "$pattern" "$work/program.rc" >"$work/actual-$name.txt"
    if [ ! -s "$work/expected-$name.txt" ] || [ ! -s "$work/actual-$name.txt" ]; then
        fail "no $what in res/$source or in the program"
    elif cmp -s "$work/expected-$name.txt" "$work/actual-$name.txt"; then
        pass "$what matches res/$source"
    else
        fail "the program's $what differs from res/$source (- source, + program):"
        diff -u "$work/expected-$name.txt" "$work/actual-$name.txt" | sed -n '3,42p' >&2
    fi
}

matches_source strings.rc "" '^STRINGTABLE' "STRINGTABLE ($(grep -c '^ *IDS_[A-Z0-9_]* "' "$src/res/strings.rc") strings)"

# The dump of one resource: from its header line to the END that closes it.
resource() {
    awk -v head="$1" '
        index($0, head) == 1 { inside = 1 }
        inside { print; if ($0 ~ /^END/) exit }
    ' "$work/program.rc"
}

group=$(resource "100 14 /* RT_GROUP_ICON */")
if [ -z "$group" ]; then
    fail "no icon group 100"
else
    images=$(grep -o 'Has [0-9]* elements' <<<"$group" | grep -o '[0-9]*')
    want=('"\020\020\020\000", 1, 4,' '"\040\040\020\000", 1, 4,' '"\020\020\000\000", 1, 8,' '"\040\040\000\000", 1, 8,')
    missing=()
    for w in "${want[@]}"; do
        grep -qF -- "$w" <<<"$group" || missing+=("$w")
    done
    if [ "$images" = 4 ] && [ ${#missing[@]} -eq 0 ]; then
        pass "icon group 100: 16x16 and 32x32 in 16 and 256 colours"
    else
        fail "icon group 100 should hold 16x16 and 32x32 images in 4 and 8 bits, has ${images:-?} images:"
        echo "$group" >&2
    fi
fi

# Windows reads the manifest of an .exe only from resource 1 of type 24.
manifest=$(resource "1 24 /* RT_MANIFEST */" | sed -n 's/^[[:space:]]*"\(.*\)"[[:space:]]*$/\1/p' \
    | sed 's/""/"/g' | tr -d '\n' | sed 's/\\n/\n/g')
if [ -z "$manifest" ]; then
    fail "no manifest in resource 1 of type RT_MANIFEST"
elif grep -q 'level="requireAdministrator"' <<<"$manifest"; then
    pass "manifest asks for requireAdministrator"
else
    fail "the manifest does not ask for requireAdministrator:"
    echo "$manifest" >&2
fi

version=$(resource "1 VERSIONINFO")
if [ -z "$version" ]; then
    fail "no version resource 1"
elif grep -q 'BLOCK "StringFileInfo"' <<<"$version"; then
    pass "version resource ($(grep -m1 FILEVERSION <<<"$version" | sed 's/^ *//'))"
else
    fail "the version resource has no StringFileInfo block"
fi

# The configuration dialog, language neutral so that it is found whatever the system's
# language.
matches_source dialog.rc "LANGUAGE LANG_NEUTRAL, SUBLANG_NEUTRAL" '^141 DIALOGEX' "dialog 141, language neutral,"

if [ $failures -ne 0 ]; then
    echo "$failures check(s) of $exe failed" >&2
    exit 1
fi
echo "all checks of $exe passed"
