#!/usr/bin/env bash
# Installs what the build needs on Debian 12 (run as root); does nothing when all is there.
set -euo pipefail
pkgs=(cmake make g++ libgtest-dev libgmock-dev libbenchmark-dev)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q "${missing[@]}"
fi
