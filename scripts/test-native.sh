#!/usr/bin/env bash
# Builds and runs the native unit tests, then the same tests under AddressSanitizer and UBSan.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
for preset in native sanitize; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset "$preset" -j2
done
