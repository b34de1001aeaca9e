#!/usr/bin/env bash
# Takes a picture of each page of the workbench window on the built-in simulated ECU,
# under a virtual X display, into docs/screenshots/. Builds the program first when needed.
#   bash scripts/screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
if [ ! -x "$build/app/bin/gas-workbench" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j"$(nproc)" --target gas-workbench
fi
mkdir -p docs/screenshots
# A scratch copy of the application folder: the pictures must not change the user's settings or logs.
app="$(mktemp -d)"
trap 'rm -rf "$app"' EXIT
cp -r "$build/app/." "$app/"
for page in general configuration calibration modeling map; do
  echo "page $page"
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" \
    "$app/bin/gas-workbench" --simulate --page "$page" --after 4 \
    --screenshot "$PWD/docs/screenshots/$page.png"
done
ls -l docs/screenshots
