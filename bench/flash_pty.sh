#!/usr/bin/env bash
# The firmware upgrade of the shipped image over a pseudo-terminal with default timings:
# gas-ecu-sim with an older firmware and the engine off on a pty mapped to COM3, and
# gas-workbench-cli flash --yes on it. Prints the time of the zone writes against their
# floor (frame bytes x (byte time + pause after each byte) + quiet time + answer, per zone
# actually sent) and the whole run's time.
# usage: bench/flash_pty.sh [BUILD_DIR]   (default: build)
set -euo pipefail
BUILD=${1:-build}
APP="$BUILD/app"
WORK=$(mktemp -d)
SIM_PID=""
cleanup() {
  [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null && wait "$SIM_PID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
mkdir -p "$WORK/app/bin"
cp -r "$APP/BIN" "$APP/LNG" "$WORK/app/"
rm -f "$WORK/app/BIN/SetCom.ini" "$WORK/app/BIN/ComPorts.ini"
"$APP/bin/gas-ecu-sim" --pty --old-firmware --scenario key-off > "$WORK/sim.out" &
SIM_PID=$!
for _ in $(seq 50); do [ -s "$WORK/sim.out" ] && break; sleep 0.1; done
PTY=$(head -1 "$WORK/sim.out")
printf '[COM3]\r\n%s\r\n' "$PTY" > "$WORK/app/BIN/ComPorts.ini"
printf '[Comport]\r\n3\r\n[UsbCom]\r\nFalse\r\n[SearchCom]\r\n255\r\n' > "$WORK/app/BIN/SetCom.ini"
start=$(date +%s.%N)
"$APP/bin/gas-workbench-cli" --app-folder "$WORK/app" flash --yes | grep -E 'zone writes|upgrade (finished|failed)|^ECU'
end=$(date +%s.%N)
echo "whole run: $(echo "$end - $start" | bc) s"
