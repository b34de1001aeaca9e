#!/usr/bin/env bash
# Builds the fuzz targets (clang, address and undefined-behaviour sanitizers) into
# build-fuzz and runs every target for the given seconds, a few at a time, each on a work
# corpus outside the repository (build-fuzz/corpus/<target>, seeded from fuzz/corpus/<target>).
# Prints per target the runs, executions, executions per second, the coverage reached (cov,
# ft) and the crashes; exits non-zero when a target crashed, leaked, timed out or ran out
# of memory (the input is in build-fuzz/artifacts/<target>/).
#
#   fuzz/run.sh [SECONDS]             every target, SECONDS each (default 120)
#   fuzz/run.sh -j 1 300 var_file     one at a time, only the targets named
#
# Environment: JOBS (targets at a time, default 2; -j N overrides), RUNS (stop a target
# after this many executions, e.g. 1000000; the time still bounds it), BUILD_DIR (default
# build-fuzz), BUILD_JOBS (compiler jobs, default 2), NO_BUILD=1 (use the programs as built),
# KEEP=N (after the runs, the N smallest inputs that add coverage to the saved seeds are
# minimised with -merge=1 and copied into fuzz/corpus/<target>; default 0: the repository's
# corpus is left alone).
set -u -o pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
jobs=${JOBS:-2}
seconds=120
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    -j) jobs=$2; shift 2 ;;
    -j*) jobs=${1#-j}; shift ;;
    -h|--help) sed -n '2,20p' "$0"; exit 0 ;;
    *[!0-9]*) targets+=("$1"); shift ;;
    *) seconds=$1; shift ;;
  esac
done
build=${BUILD_DIR:-$root/build-fuzz}
case "$build" in /*) ;; *) build=$root/$build ;; esac

all=$(sed -n '/^set(GW_FUZZ_TARGETS/,/)/p' "$here/CMakeLists.txt" | tr -d '()' | sed 's/set//; s/GW_FUZZ_TARGETS//')
[ ${#targets[@]} -eq 0 ] && read -r -a targets <<< "$(echo $all)"

if [ -z "${NO_BUILD:-}" ]; then
  cmake -S "$root" -B "$build" -DGW_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
    -DCMAKE_C_COMPILER_LAUNCHER=ccache >/dev/null || exit 2
  build_targets=()
  for t in "${targets[@]}"; do build_targets+=("fuzz_$t"); done
  cmake --build "$build" -j"${BUILD_JOBS:-2}" --target "${build_targets[@]}" >"$build/fuzz-build.log" 2>&1 \
    || { tail -30 "$build/fuzz-build.log"; exit 2; }
fi

# Allocation stacks cost more than the rest of a short input; a crash found is replayed
# with them (see fuzz/README.md).
export ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=0:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

run_one() {
  local t=$1 work=$build/corpus/$1 art=$build/artifacts/$1/ log=$build/logs/$1.log
  mkdir -p "$work" "$art" "$build/logs"
  cp -n "$here/corpus/$t"/* "$work"/ 2>/dev/null
  local extra=()
  [ -n "${RUNS:-}" ] && extra+=("-runs=$RUNS")
  "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$art" "${extra[@]}" "$work" >"$log" 2>&1
  echo $? >"$build/logs/$t.rc"
}

mkdir -p "$build/logs"
for t in "${targets[@]}"; do rm -f "$build/logs/$t.rc"; done
stamp=$(mktemp "$build/logs/.started.XXXXXX")
trap 'rm -f "$stamp"' EXIT
running=0
for t in "${targets[@]}"; do
  [ -x "$build/fuzz/fuzz_$t" ] || { echo "no fuzz program for $t" >&2; exit 2; }
  while [ "$running" -ge "$jobs" ]; do wait -n; running=$((running - 1)); done
  echo "fuzzing $t (${seconds}s${RUNS:+, at most $RUNS executions})" >&2
  run_one "$t" &
  running=$((running + 1))
done
wait

status=0
printf '%-16s %8s %10s %10s %8s %6s %7s %7s  %s\n' target seconds runs executions exec/s cov ft corpus crashes
for t in "${targets[@]}"; do
  log=$build/logs/$t.log
  rc=$(cat "$build/logs/$t.rc" 2>/dev/null || echo 1)
  last=$(grep -E '^#[0-9]+' "$log" | tail -1)
  runs=$(sed -n 's/^#\([0-9]*\).*/\1/p' <<<"$last")
  cov=$(sed -n 's/.*cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.*ft: \([0-9]*\).*/\1/p' <<<"$last")
  corp=$(sed -n 's/.*corp: \([0-9]*\).*/\1/p' <<<"$last")
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  took=$(grep -oE 'Done [0-9]+ runs in [0-9]+ second' "$log" | grep -oE '[0-9]+ second' | grep -oE '[0-9]+')
  crashes=$(find "$build/artifacts/$t" -maxdepth 1 -type f -newer "$stamp" 2>/dev/null | wc -l)
  if [ "$rc" != 0 ] || [ "$crashes" != 0 ]; then
    status=1
    crashes="$crashes ($(grep -m1 -E 'ERROR:|property failed|runtime error' "$log" | cut -c1-80))"
  fi
  printf '%-16s %8s %10s %10s %8s %6s %7s %7s  %s\n' "$t" "${took:-?}" "${runs:-?}" "${execs:-?}" "${rate:-?}" \
    "${cov:-?}" "${ft:-?}" "${corp:-?}" "$crashes"
done

keep=${KEEP:-0}
if [ "$keep" -gt 0 ] && [ "$status" = 0 ]; then
  for t in "${targets[@]}"; do
    tmp=$(mktemp -d)
    cp "$here/corpus/$t"/* "$tmp"/ 2>/dev/null
    before=$(ls "$tmp" | sort)
    # Only inputs that add coverage to the saved seeds, each minimised by the merge.
    "$build/fuzz/fuzz_$t" -merge=1 "$tmp" "$build/corpus/$t" >"$build/logs/$t.merge.log" 2>&1
    added=$(comm -13 <(echo "$before") <(ls "$tmp" | sort))
    n=0
    for f in $(cd "$tmp" && ls -S -r $added 2>/dev/null); do
      [ "$n" -ge "$keep" ] && break
      cp "$tmp/$f" "$here/corpus/$t/$f" && n=$((n + 1))
    done
    echo "$t: $n new inputs kept in fuzz/corpus/$t" >&2
    rm -rf "$tmp"
  done
fi
exit $status
