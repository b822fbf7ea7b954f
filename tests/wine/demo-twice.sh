#!/usr/bin/env bash
# The README's demo, past its installs and builds, from an empty folder $2: the first run
# installs the sample package 1.0.0, the second upgrades it to 1.1.0.
#   demo-twice.sh <source folder> <scratch folder>
set -euo pipefail
rm -rf "$2"
export KORVEL_DEMO_SCREEN=virtual KORVEL_DEMO_DIR=$2
"$1/scripts/demo.sh" | grep -Fx 'Installed now: plug-in 1.0.0 (a fresh installation).'
"$1/scripts/demo.sh" | grep -Fx 'Installed now: plug-in 1.1.0 (was 1.0.0).'
# Its prefix is kept for a look after a failure only.
rm -rf "$2"
