#!/usr/bin/env bash
# Processor time of a running link, as a share of one core:
#  1. gas-workbench-cli --simulate --seconds S  (the built-in simulated ECU)
#  2. gas-workbench-cli --com 3 --seconds S     (COM3 mapped to gas-ecu-sim on a pseudo-terminal)
# usage: bench/link_cpu.sh [BUILD_DIR] [SECONDS]   (defaults: build, 30)
set -euo pipefail
BUILD=${1:-build}
SECONDS_RUN=${2:-30}
APP="$BUILD/app"
CLI="$APP/bin/gas-workbench-cli"
SIM="$APP/bin/gas-ecu-sim"
for p in "$CLI" "$SIM"; do
  [ -x "$p" ] || { echo "missing $p (build gas-workbench-cli and gas-ecu-sim first)" >&2; exit 2; }
done
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time" >&2; exit 2; }

WORK=$(mktemp -d)
SIM_PID=""
cleanup() {
  [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null && wait "$SIM_PID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

# A private application folder, so the run writes its log and settings there only.
mkdir -p "$WORK/app/bin"
cp -r "$APP/BIN" "$APP/LNG" "$WORK/app/" 2>/dev/null || mkdir -p "$WORK/app/BIN" "$WORK/app/LNG"

# Runs the command under /usr/bin/time; prints user, system, elapsed and % of one core.
measure() {
  local label=$1; shift
  /usr/bin/time -f "%U %S %e" -o "$WORK/time" "$@" > "$WORK/out.txt" 2>&1 || true
  read -r user sys wall < "$WORK/time"
  local pct
  pct=$(awk -v u="$user" -v s="$sys" -v w="$wall" 'BEGIN { printf "%.2f", (u + s) / w * 100 }')
  local answers
  answers=$(grep -c "ECU answers" "$WORK/out.txt" || true)
  printf "%-34s user %6.2f s  sys %6.2f s  wall %6.2f s  cpu %6s %% of one core  (ECU answered: %s)\n" \
    "$label" "$user" "$sys" "$wall" "$pct" "$answers"
  echo "$pct"  > "$WORK/pct"
}

echo "link processor load, $SECONDS_RUN s per run, goal < 2 % of one core"
measure "cli --simulate" "$CLI" --app-folder "$WORK/app" --simulate --seconds "$SECONDS_RUN"
P1=$(cat "$WORK/pct")

# gas-ecu-sim on a pseudo-terminal; its first output line is the terminal's path.
"$SIM" --pty > "$WORK/sim.out" 2>&1 &
SIM_PID=$!
for _ in $(seq 50); do [ -s "$WORK/sim.out" ] && break; sleep 0.1; done
PTY=$(head -n1 "$WORK/sim.out")
printf '[COM3]\r\n%s\r\n' "$PTY" > "$WORK/app/BIN/ComPorts.ini"
SIM_T0=$(awk '{ print $14 + $15 }' "/proc/$SIM_PID/stat")
measure "cli --com 3 (gas-ecu-sim on $PTY)" "$CLI" --app-folder "$WORK/app" --com 3 --seconds "$SECONDS_RUN"
P2=$(cat "$WORK/pct")
SIM_T1=$(awk '{ print $14 + $15 }' "/proc/$SIM_PID/stat")
TICKS=$(getconf CLK_TCK)
awk -v a="$SIM_T0" -v b="$SIM_T1" -v t="$TICKS" -v w="$SECONDS_RUN" \
  'BEGIN { printf "%-34s cpu %6.2f %% of one core over the same run (not part of the goal)\n", "gas-ecu-sim", (b - a) / t / w * 100 }'

awk -v a="$P1" -v b="$P2" 'BEGIN { ok = (a < 2 && b < 2); printf "goal < 2 %%: %s\n", ok ? "met" : "MISSED"; exit ok ? 0 : 3 }'
