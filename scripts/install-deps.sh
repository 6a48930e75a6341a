#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need; does nothing when they are there.
set -euo pipefail

packages=(
  cmake g++ make python3 googletest libgtest-dev zlib1g-dev libbenchmark-dev libsqlite3-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64 mingw-w64-tools
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

# Debian's own zlib source, which the Windows builds compile for size with only
# what the store calls (build/deps/zlib). apt fetches and checks it against the
# archive's signed index; a list of its own keeps the machine's sources as they are.
root="$(cd "$(dirname "$0")/.." && pwd)"
zlib="$root/build/deps/zlib"
if [ ! -f "$zlib/deflate.c" ]; then
  work="$root/build/deps/zlib-fetch"
  rm -rf "$work" "$zlib"
  mkdir -p "$work/lists/partial"
  codename="$(. /etc/os-release && echo "$VERSION_CODENAME")"
  echo "deb-src http://deb.debian.org/debian $codename main" >"$work/sources.list"
  apt_src=(-o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/nonexistent
           -o Dir::State::Lists="$work/lists" -o APT::Sandbox::User=root)
  echo "fetching Debian's zlib source"
  apt-get "${apt_src[@]}" -qq update
  (cd "$work" && apt-get "${apt_src[@]}" -qq source --download-only zlib >/dev/null)
  mkdir -p "$zlib"
  tar -xf "$work"/zlib_*.orig.tar.* -C "$zlib" --strip-components=1
  rm -rf "$work"
fi
