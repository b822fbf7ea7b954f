#!/usr/bin/env bash
# Release step: signs the setup program with Authenticode.
# Usage: scripts/sign.sh <certificate.pfx> [output.exe]
#   The password of the .pfx file, if any, comes from the environment variable
#   KORVEL_SIGN_PASSWORD, so that it never appears on a command line.
#   KORVEL_TIMESTAMP_URL, when set, adds an RFC 3161 time stamp from that server.
# Without an output name the program is signed in place.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 1 ] || [ ! -f "$1" ]; then
    echo "usage: $0 <certificate.pfx> [output.exe]" >&2
    exit 2
fi
pfx=$1
program=build/windows/korvel-plugin-setup.exe
output=${2:-$program}
[ -f "$program" ] || {
    echo "no $program: run 'cmake --workflow --preset windows' first" >&2
    exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unsigned=$work/unsigned.exe
cp "$program" "$unsigned"

options=(-pkcs12 "$pfx" -h sha256 -n "Korvel ЭЦП Browser plug-in" -i "https://www.korvel.ru")
if [ -n "${KORVEL_SIGN_PASSWORD:-}" ]; then
    (
        umask 077
        printf '%s' "$KORVEL_SIGN_PASSWORD" >"$work/password"
    )
    options+=(-readpass "$work/password")
fi
[ -n "${KORVEL_TIMESTAMP_URL:-}" ] && options+=(-ts "$KORVEL_TIMESTAMP_URL")

rm -f "$output"
osslsigncode sign "${options[@]}" -in "$unsigned" -out "$output" >/dev/null
echo "signed $output"
