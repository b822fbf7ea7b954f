#!/usr/bin/env bash
# Makes a Wine prefix of the "program" tests unless it is made (docs/wine.md):
#   prefix.sh <folder> [win64|win32]
set -euo pipefail
mkdir -p "$1"
WINEPREFIX=$(cd "$1" && pwd)
export WINEPREFIX
cd "$(dirname "$0")/../.."
source scripts/lib/wine.sh
make_prefix "${2:-win64}"
