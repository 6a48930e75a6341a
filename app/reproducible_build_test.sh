#!/bin/sh
# setup.exe built again from a copy of the checkout at another path, into another build folder, later: the same bytes.
#   reproducible_build_test.sh SOURCE SHIPPED_EXE WORK -- <configure arguments of the shipped build>
set -eu
source=$1 shipped=$2 work=$3
shift 4
[ -f "$shipped" ] || { echo "no shipped setup.exe at $shipped"; exit 1; }
rm -rf "$work"
# A name the first build never saw, so that any path the build records differs.
copy="$work/elsewhere-$$/checkout"
mkdir -p "$copy"
# The files of the checkout as they stand (tracked and new, not ignored), not its build folders.
(cd "$source" && git ls-files -z --cached --others --exclude-standard | xargs -0 tar -cf - --) |
  (cd "$copy" && tar -xf -)
# And the third-party sources the checkout's build fetched (Debian's zlib).
mkdir -p "$copy/build"
cp -a "$source/build/deps" "$copy/build/deps"
# A relative toolchain file is the copy's own.
for arg; do
  shift
  case $arg in
    -DCMAKE_TOOLCHAIN_FILE=/*) ;;
    -DCMAKE_TOOLCHAIN_FILE=*) arg="-DCMAKE_TOOLCHAIN_FILE=$copy/${arg#-DCMAKE_TOOLCHAIN_FILE=}" ;;
  esac
  set -- "$@" "$arg"
done
cmake -S "$copy" -B "$copy/out/second" "$@" >"$work/configure.log" 2>&1 ||
  { cat "$work/configure.log"; exit 1; }
cmake --build "$copy/out/second" --target setup -j2 >"$work/build.log" 2>&1 ||
  { tail -50 "$work/build.log"; exit 1; }
again="$copy/out/second/app/setup.exe"
if cmp "$shipped" "$again"; then
  echo "same $(stat -c %s "$again") bytes from $copy"
  rm -rf "$work"
  exit 0
fi
echo "setup.exe differs between $shipped and $again"
# Where the two differ, for whoever mends it: the first few differing offsets.
cmp -l "$shipped" "$again" | head -20
exit 1
