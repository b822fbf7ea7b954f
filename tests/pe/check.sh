#!/usr/bin/env bash
# check.sh <source folder> <program>: the built program as a file: its imports, hardening and
# resources, a clean build elsewhere giving the same bytes, and its signing.
set -uo pipefail
src=$(cd "$1" && pwd) exe=$2 bin=i686-w64-mingw32- work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"${bin}objdump" -p "$exe" >"$work/headers" && "${bin}objdump" -h "$exe" >"$work/sections" &&
    "${bin}windres" -i "$exe" -O rc -o "$work/rc" || exit
failed=0
check() {
    if "${@:2}" >"$work/why" 2>&1; then echo "ok: $1"; else
        echo "FAIL: $1" && cat "$work/why" && failed=1
    fi
}

# Every imported function as dll!function: a new import is a deliberate change of the list.
imports() {
    awk '/DLL Name:/ { dll = tolower($3) } !NF { dll = "" }
        dll && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll "!" $3 }' \
        "$work/headers" | sort -u | diff <(grep -o '^[^#[:space:]]\+' "$src/tests/pe/imports.txt" | sort -u) -
}

# ASLR (0x40), DEP (0x100), relocations for ASLR; no section both CODE and not READONLY.
hardened() {
    (((0x$(awk '/^DllCharacteristics/ { print $2 }' "$work/headers") & 0x140) == 0x140)) &&
        grep -q ' \.reloc ' "$work/sections" &&
        ! awk '/^ *[0-9]+ / { name = $2; getline; if (/CODE/ && !/READONLY/) print name }' \
            "$work/sections" | grep .
}

# The resources whose header matches `$1`, each after the language in force.
sections() {
    awk -v pattern="$1" '/^LANGUAGE / { language = $0; next }
        $0 ~ pattern { print language; inside = 1 } inside { print; if (/^END/) inside = 0 }' \
        "${2:-$work/rc}"
}

# res/$1.rc compiled alone after the line `$2` as setup.rc compiles it, read back from an object
# file, which unlike a .res keeps no memory flags.
alone() {
    printf '#include <windows.h>\n#include "resource.h"\n#pragma code_page(65001)\n%s\n#include "%s"\n' \
        "$2" "$src/res/$1.rc" >"$work/$1.rc"
    "${bin}windres" -c 65001 -I "$src/res" -i "$work/$1.rc" -o "$work/$1.o" &&
        "${bin}windres" -i "$work/$1.o" -O rc -o "$work/$1.o.rc" &&
        sections "$3" "$work/$1.o.rc" | grep . >"$work/$1.expected" &&
        sections "$3" | diff "$work/$1.expected" -
}

# Each image as width x height (octal) and bits.
icons() {
    sections '^100 14 ' | sed -n 's/^ *"\\\([0-7]*\)\\\([0-7]*\)\\.*", 1, \([0-9]*\),.*/\1x\2 \3/p' |
        sort | paste -sd, | grep -x '020x020 4,020x020 8,040x040 4,040x040 8'
}

# Windows reads an .exe's manifest only from resource 1 of type 24.
manifest() {
    sections '^1 24 ' | sed -n 's/^ *"\(.*\)"$/\1/p' | tr -d '\n' | sed 's/""/"/g; s/\\n */ /g'
}

rebuilt() {
    cmake -S "$src" --preset windows -B "$work/build" && cmake --build "$work/build" -j 2 &&
        cmp "$exe" "$work/build/korvel-plugin-setup.exe"
}

# By the release step, with a throwaway certificate.
signed() {
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Korvel test" \
        -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" &&
        openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -passout pass:x \
            -out "$work/test.pfx" &&
        KORVEL_SIGN_PASSWORD=x "$src/scripts/sign.sh" "$work/test.pfx" "$work/signed.exe" &&
        osslsigncode verify -CAfile "$work/cert.pem" -in "$work/signed.exe" |
        grep "Signature verification: ok"
}

check "imports exactly those of imports.txt" imports
check "ASLR and DEP, relocations, no writable code" hardened
check "PE32, Intel 80386, Windows GUI 5.0 (starts on Windows 2000)" grep -qzP \
    '(?s)pei-i386.*Magic\t+010b.*MajorSubsystemVersion\t5\nMinorSubsystemVersion\t0\n.*Windows GUI' \
    "$work/headers"
check "string table as res/strings.rc compiled alone" alone strings "" '^STRINGTABLE'
check "dialog 141 as res/dialog.rc compiled alone, found in any language" \
    alone dialog "LANGUAGE LANG_NEUTRAL, SUBLANG_NEUTRAL" '^141 DIALOGEX'
check "icon group 100: 16x16 and 32x32, in 4 and 8 bits" icons
check "manifest asks for requireAdministrator" grep 'level="requireAdministrator"' <(manifest)
check "manifest declares system DPI awareness" grep '<asmv3:windowsSettings xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings"> <dpiAware>true</dpiAware>' <(manifest)
check "manifest names two supported systems" grep -x 2 <(manifest | grep -o '<supportedOS Id="{[^}]*}"/>' | wc -l)
check "version resource with its strings" grep -q 'BLOCK "StringFileInfo"' <(sections '^1 VERSIONINFO')
check "a clean build elsewhere gives the same bytes" rebuilt
check "signed through scripts/sign.sh" signed
[ $failed = 0 ]
