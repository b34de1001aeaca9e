#!/usr/bin/env bash
# Sets up, builds and runs every test: the Linux build's tests (window tests offscreen,
# saved fuzz inputs replayed), then the Windows cross-build's tests under wine
# (scripts/test-windows.sh). GW_SKIP_WINDOWS=1 leaves the Windows part out.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
(cd build && ctest --output-on-failure -j"$(nproc)")
if [ "${GW_SKIP_WINDOWS:-0}" != 1 ]; then
  bash scripts/test-windows.sh
fi
