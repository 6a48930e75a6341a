#!/usr/bin/env bash
# The size of the setup.exe that ships: stripped bytes, then where they go by
# library (code, read-only data, unwind tables, data), read from the link map.
#   size-windows.sh [--objects N]   also list the N largest object files
# Prints the figures; asserts nothing.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target setup_product >/dev/null
# The shipped program comes from the build's second configure (win32 thread model).
product="$root/build/windows/product/app"
echo "setup.exe, stripped: $(stat -c %s "$product/setup.exe") bytes"
python3 "$root/bench/size_breakdown.py" "$product/setup.map" "$@"
