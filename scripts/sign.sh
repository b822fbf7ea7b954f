#!/usr/bin/env bash
# Release step: signs the setup program with Authenticode.
#   scripts/sign.sh <certificate.pfx> [output.exe]
# The password of the .pfx file, if any, comes from the environment variable
# KORVEL_SIGN_PASSWORD, so that it never appears on a command line. KORVEL_TIMESTAMP_URL, when
# set, adds an RFC 3161 time stamp from that server. Without an output name the program is
# signed in place.
set -euo pipefail
cd "$(dirname "$0")/.."
pfx=${1:?usage: scripts/sign.sh <certificate.pfx> [output.exe]}
program=build/windows/korvel-plugin-setup.exe
output=${2:-$program}
[ -f "$program" ] || { echo "no $program: run 'cmake --workflow --preset windows' first" >&2 && exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$program" "$work/unsigned.exe"
options=(-pkcs12 "$pfx" -h sha256 -n "Korvel ЭЦП Browser plug-in" -i "https://www.korvel.ru")
if [ -n "${KORVEL_SIGN_PASSWORD:-}" ]; then
    install -m 600 /dev/null "$work/password"
    printf '%s' "$KORVEL_SIGN_PASSWORD" >"$work/password"
    options+=(-readpass "$work/password")
fi
[ -z "${KORVEL_TIMESTAMP_URL:-}" ] || options+=(-ts "$KORVEL_TIMESTAMP_URL")
rm -f "$output"
osslsigncode sign "${options[@]}" -in "$work/unsigned.exe" -out "$output" >/dev/null
echo "signed $output"
