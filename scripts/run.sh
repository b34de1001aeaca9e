#!/usr/bin/env bash
# Sets up, builds and starts the workbench window on the built-in simulated ECU (needs a
# desktop session; the command-line tool is build/app/bin/gas-workbench-cli).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
exec ./build/app/bin/gas-workbench --simulate "$@"
