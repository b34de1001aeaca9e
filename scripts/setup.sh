#!/usr/bin/env bash
# Installs what the build needs on Debian 12 (run as root); does nothing when all is there.
# With package names as arguments, installs those instead (the Windows cross-build's).
set -euo pipefail
pkgs=("$@")
[ ${#pkgs[@]} -gt 0 ] || pkgs=(cmake make g++ clang libgtest-dev libgmock-dev libbenchmark-dev
      qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev libgl1-mesa-dev
      xvfb xauth)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q "${missing[@]}"
fi
