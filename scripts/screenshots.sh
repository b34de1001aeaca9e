#!/usr/bin/env bash
# Takes pictures of the workbench window on the built-in simulated ECU, under a virtual X
# display, into docs/screenshots/: every page, the information window, and the firmware
# upgrade window (a simulated ECU with an older firmware) before and while it writes, a whole
# automatic calibration of the built-in car (about three minutes),
# the side windows: injector settings, gas level sensor, expert settings (both levels), ECU errors,
# and the signal viewer showing a recorded drive (VIEW_SECONDS long, 90 by default).
# Builds the program first when needed.
#   bash scripts/screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
if [ ! -x "$build/app/bin/gas-workbench" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j"$(nproc)" --target gas-workbench
fi
[ -x "$build/app/bin/gas-workbench-cli" ] || cmake --build "$build" -j"$(nproc)" --target gas-workbench-cli
mkdir -p docs/screenshots
# A scratch copy of the application folder: the pictures must not change the user's settings or logs.
app="$(mktemp -d)"
trap 'rm -rf "$app"' EXIT
shot() {  # NAME SETTING...: one picture, from a fresh copy of the application folder; each
          # SETTING is a line of the picture's script (see src/ui/Screenshots.h)
  local name="$1"; shift
  echo "picture $name"
  rm -rf "$app"/*; cp -r "$build/app/." "$app/"
  { printf '%s\n' "$@"; echo "save $PWD/docs/screenshots/$name.png"; } > "$app/shot.txt"
  HOME="$app" QT_QPA_PLATFORM=xcb timeout 300 xvfb-run -a -s "-screen 0 1280x800x24" \
    "$app/bin/gas-workbench" --simulate --screenshot-script "$app/shot.txt"
}
for page in general configuration; do
  shot "$page" "page $page" "after 9"
done
shot map "page map" "click CmdMapRead" "after 14"  # the samples the simulated ECU holds
# The Calibration page in the middle of a run on the built-in car, and at its result.
shot calibration "page calibration" calibrate "after 75"
shot calibration-result "page calibration" calibrate "after 175"
# The model page: a tuned model in the ECU, point 2 selected, the car speeding up on gas (live trail).
shot modeling "page modeling" sim-tuned-model sim-drive-on-gas "model-point 2" "after 22.3"
shot about about "after 6"
shot upgrade sim-old-firmware "after 4"
shot upgrade-writing sim-old-firmware sim-key-off upgrade-next "after 40"
shot side-injector "side injector" "after 8"
shot side-level "side level" "after 8"
shot side-expert "side expert" "after 6"
shot side-expert-full "side expert-full" "after 6"
shot side-errors "side errors" sim-errors "after 16"
# The signal viewer on a drive of the simulated car, recorded first with the command-line tool.
rec="$(mktemp -d)"
cp -r "$build/app/." "$rec/"
"$rec/bin/gas-workbench-cli" --simulate --sim-scenario drive record --seconds "${VIEW_SECONDS:-90}" "$rec/drive.vfl"
shot viewer "viewer $rec/drive.vfl" "after 8"
rm -rf "$rec"
ls -l docs/screenshots
