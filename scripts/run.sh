#!/usr/bin/env bash
# Sets up, builds and starts the workbench on the built-in simulated ECU.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
exec ./build/app/bin/gas-workbench-cli --simulate "$@"
