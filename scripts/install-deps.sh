#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need, from the machine's own package sources;
# does nothing when they are there.
set -euo pipefail

packages=(
  cmake g++ make python3 googletest libgtest-dev zlib1g-dev libbenchmark-dev libsqlite3-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev
  wine wine64 fonts-wine fonts-liberation xvfb xauth x11-utils xdotool imagemagick liblnk-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
