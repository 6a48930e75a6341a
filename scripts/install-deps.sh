#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need and fetches Debian's zlib source, both
# from the machine's own package sources; does nothing when they are there.
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

# Debian's own zlib source, which the Windows builds compile as it comes, with
# only the files the store's calls reach (build/deps/zlib). apt fetches it
# from the machine's own package sources, their source archives named in a
# list of this script's own (the machine's lists stay as they are), and checks
# it against the archive's signed index as it checks every package.
root="$(cd "$(dirname "$0")/.." && pwd)"
zlib="${PEL_ZLIB_DIR:-$root/build/deps/zlib}"
if [ ! -f "$zlib/deflate.c" ]; then
  work="$zlib-fetch"
  rm -rf "$work" "$zlib"
  mkdir -p "$work/lists/partial" "$work/sources.list.d"
  # Each configured binary archive, once more as a source archive.
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && sed -E 's/^Types:.*/Types: deb-src/' "$f" >"$work/sources.list.d/$(basename "$f")"
  done
  : >"$work/sources.list"
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && sed -n -E 's/^deb[[:space:]]/deb-src /p' "$f" >>"$work/sources.list"
  done
  apt_src=(-o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts="$work/sources.list.d"
           -o Dir::State::Lists="$work/lists" -o APT::Sandbox::User=root)
  echo "fetching Debian's zlib source"
  apt-get "${apt_src[@]}" -qq update
  # The source of the zlib this machine has installed, not whatever is newest.
  version="$(dpkg-query -W -f='${source:Version}' zlib1g-dev)"
  (cd "$work" && apt-get "${apt_src[@]}" -qq source --download-only "zlib=$version" >/dev/null)
  mkdir -p "$zlib"
  tar -xf "$work"/zlib_*.orig.tar.* -C "$zlib" --strip-components=1
  rm -rf "$work"
fi
