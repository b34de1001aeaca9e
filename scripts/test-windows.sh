#!/usr/bin/env bash
# Cross-builds the Windows programs (command-line tool, core, simulated ECU, core tests)
# with mingw-w64 into build-win/ and runs them under wine64: the core tests, then the
# command-line tool on the built-in simulated ECU. Exits non-zero on any failure.
# Installs what it needs on Debian 12 (run as root). The window program is not built
# (no Windows Qt here).
#   bash scripts/test-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh cmake make g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine64 googletest

build=build-win
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DGW_BUILD_UI=OFF \
      -DGW_GTEST_SOURCE=/usr/src/googletest -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" >/dev/null
cmake --build "$build" -j"$(nproc)"

# A wine prefix of our own, made once, quiet.
export WINEPREFIX="${WINEPREFIX:-$PWD/$build/wine}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$(command -v wine64 || command -v wine)" wineboot --init >/dev/null 2>&1
fi
# Debian's wine64 package starts 64-bit programs through the "wine" launcher.
wine=$(command -v wine64 || command -v wine)
run() { "$wine" "$@"; }

# Tests left out under wine (the POSIX-only test files are not even built for Windows,
# see tests/CMakeLists.txt):
#   *ReadOnly*       folder rights are not enforced by wine
filter='-*ReadOnly*'
status=0
for t in "$build"/tests/test_*.exe; do
  echo "== $(basename "$t")"
  if ! run "$t" --gtest_brief=1 --gtest_filter="$filter"; then
    echo "FAILED: $t"; status=1
  fi
done

# The command-line tool on the built-in simulated ECU, from a scratch application folder.
app="$(mktemp -d)"
trap 'rm -rf "$app"' EXIT
cp -r "$build/app/." "$app/"
cli() {
  echo "== gas-workbench-cli $*"
  if ! run "$app/bin/gas-workbench-cli.exe" "$@"; then echo "FAILED: gas-workbench-cli $*"; status=1; fi
}
cli --simulate ping
cli --simulate identity
cli --simulate read-config 'C:\gw-test.var'
cli --simulate write-config 'C:\gw-test.var'
cli --simulate --sim-old-firmware --sim-scenario key-off flash --yes
cli ports
rm -f "$WINEPREFIX/drive_c/gw-test.var"
[ "$status" -eq 0 ] && echo "Windows build: all passed" || echo "Windows build: FAILURES"
exit "$status"
