#!/usr/bin/env bash
# check-program.sh <korvel-plugin-setup.exe> <source dir>: checks the built program as a file
# (kind, imports, hardening, resources) and prints its size.
set -uo pipefail
exe=$1
src=$(cd "$2" && pwd)
mingw=i686-w64-mingw32-
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! "${mingw}objdump" -p "$exe" >"$work/headers" || ! "${mingw}objdump" -h "$exe" >"$work/sections" ||
    ! "${mingw}windres" -i "$exe" -O rc -o "$work/program.rc"; then
    echo "FAIL: cannot read $exe: cmake --workflow --preset windows builds it" >&2
    exit 1
fi
echo "size: $(stat -c %s "$exe") bytes"

# One check: a command whose output tells why it failed.
failures=0
check() {
    "${@:2}" >"$work/why" 2>&1 && echo "ok: $1" && return
    echo "FAIL: $1" >&2
    cat "$work/why" >&2
    failures=$((failures + 1))
}

# Every imported function as dll!function: a new import is a deliberate change of the list.
imports() {
    awk '/DLL Name:/ { dll = tolower($3); next } /^[[:space:]]*$/ { dll = "" }
        dll && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ && NF == 3 { print dll "!" $3 }' "$work/headers" |
        sort -u | diff -u <(grep -o '^[^#[:space:]]\+' "$(dirname "$0")/imports.txt" | sort -u) -
}

# ASLR (0x40) and DEP (0x100), with the relocations that let ASLR move the program.
hardened() {
    local flags
    flags=0x$(awk '/^DllCharacteristics/ { print $2 }' "$work/headers")
    echo "DllCharacteristics $flags"
    (((flags & 0x140) == 0x140)) && grep -q ' \.reloc ' "$work/sections"
}

# objdump marks executable sections CODE and unwritable ones READONLY.
no_writable_code() {
    ! awk '/^ *[0-9]+ / { name = $2; getline; if (/CODE/ && !/READONLY/) print name }' \
        "$work/sections" | grep .
}

# The resources whose header matches, each after the language in force (named where it changes).
sections() {
    awk -v pattern="$1" '/^LANGUAGE / { language = $0; next }
        $0 ~ pattern { print language; inside = 1 } inside { print; if (/^END/) inside = 0 }' \
        "${2:-$work/program.rc}"
}

# A resource source compiled alone as setup.rc compiles it (language first), read back from an
# object file, since memory flags that a .res keeps never reach the program.
compiled_alone() {
    printf '#include <windows.h>\n#include "resource.h"\n#pragma code_page(65001)\n%s\n#include "%s"\n' \
        "$2" "$src/res/$1.rc" >"$work/$1.rc"
    "${mingw}windres" -c 65001 -I "$src/res" -i "$work/$1.rc" -O coff -o "$work/$1.o" &&
        "${mingw}windres" -i "$work/$1.o" -O rc -o "$work/$1-dump.rc" &&
        sections "$3" "$work/$1-dump.rc" | grep . >"$work/$1.expected" &&
        sections "$3" | diff -u "$work/$1.expected" -
}

# Each image as width x height (octal) and bits.
icons() {
    sections '^100 14 ' | sed -n 's/^ *"\\\([0-7]*\)\\\([0-7]*\)\\.*", 1, \([0-9]*\),.*/\1x\2 \3/p' |
        sort | paste -sd, | tee /dev/stderr | grep -qx '020x020 4,020x020 8,040x040 4,040x040 8'
}

# Windows reads the manifest of an .exe only from resource 1 of type 24.
manifest() {
    sections '^1 24 ' | sed -n 's/^ *"\(.*\)"$/\1/p' | tr -d '\n' | sed 's/""/"/g; s/\\n */ /g'
}

# System DPI awareness, in the namespace Windows reads it from, with the two supported systems
# that make later Windows report themselves as 6.2 at most.
dpi_aware() {
    manifest | grep -q '<asmv3:windowsSettings xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings"> <dpiAware>true</dpiAware>' &&
        [ "$(manifest | grep -o '<supportedOS Id="{[^}]*}"/>' | wc -l)" -eq 2 ]
}

check "PE32 GUI Intel 80386: $(file -b "$exe")" grep -q '^PE32 executable (GUI) Intel 80386' <(file -b "$exe")
check "imports exactly those of imports.txt" imports
check "ASLR and DEP, relocations present" hardened
check "no writable and executable section" no_writable_code
check "Windows GUI subsystem 5.0, to start on Windows 2000 and refuse it" \
    grep -qzP 'MajorSubsystemVersion\t5\nMinorSubsystemVersion\t0\n(?s).*Windows GUI' "$work/headers"
check "string table as res/strings.rc compiled alone" compiled_alone strings "" '^STRINGTABLE'
check "icon group 100: 16x16 and 32x32, in 4 and 8 bits" icons
check "manifest asks for requireAdministrator" grep -q 'level="requireAdministrator"' <(manifest)
check "manifest declares system DPI awareness and two supported systems" dpi_aware
check "version resource with its strings" grep -q 'BLOCK "StringFileInfo"' <(sections '^1 VERSIONINFO')
check "dialog 141 as res/dialog.rc compiled alone, language neutral (found in any language)" \
    compiled_alone dialog "LANGUAGE LANG_NEUTRAL, SUBLANG_NEUTRAL" '^141 DIALOGEX'
[ $failures -eq 0 ] || {
    echo "$failures check(s) of $exe failed" >&2
    exit 1
}
