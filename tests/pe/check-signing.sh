#!/usr/bin/env bash
# Signs the built program through the release step with a throwaway certificate made here, and
# verifies the signature against that certificate. Usage: check-signing.sh <source dir>
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Korvel test signing/O=Korvel" \
    -addext "extendedKeyUsage=codeSigning" -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -passout pass:throwaway \
    -out "$work/signing.pfx"
KORVEL_SIGN_PASSWORD=throwaway "$1/scripts/sign.sh" "$work/signing.pfx" "$work/signed.exe"
osslsigncode verify -CAfile "$work/cert.pem" -in "$work/signed.exe" 2>&1 | tee "$work/verify"
grep -q "Signature verification: ok" "$work/verify" && grep -q "Korvel test signing" "$work/verify"
