#!/usr/bin/env bash
# Signs the built program with a throwaway certificate made here, through the release
# step, and verifies the signature against that certificate.
# Usage: check-signing.sh <source dir>
set -euo pipefail
src=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Korvel test signing/O=Korvel" \
    -addext "extendedKeyUsage=codeSigning" -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -passout pass:throwaway \
    -out "$work/signing.pfx"

KORVEL_SIGN_PASSWORD=throwaway "$src/scripts/sign.sh" "$work/signing.pfx" "$work/signed.exe"
osslsigncode verify -CAfile "$work/cert.pem" -in "$work/signed.exe" >"$work/verify.txt" 2>&1 || {
    cat "$work/verify.txt" >&2
    echo "FAIL: the signature does not verify" >&2
    exit 1
}
grep -q "Signature verification: ok" "$work/verify.txt"
grep -q "Korvel test signing" "$work/verify.txt"
echo "signed with a throwaway certificate and verified: $(grep -m1 'Signature verification' "$work/verify.txt")"
