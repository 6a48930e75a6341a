#!/usr/bin/env bash
# Builds the Windows preset and runs its tests under Wine + Xvfb: the unit and
# conformance tests against the real Win32 calls, then the end-to-end scenarios.
#   test-windows.sh [ctest arguments, e.g. -L e2e or -R Setup]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
cmake --preset windows >/dev/null
cmake --build --preset windows
source scripts/wine-env.sh
# Prefixes of an earlier run may hold its leftovers: every run starts from the template.
rm -rf "$PEL_WINE_ROOT/prefixes"
trap wine_env_stop EXIT
wine_env_init
ctest --preset windows -j2 "$@"
