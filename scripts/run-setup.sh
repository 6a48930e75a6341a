#!/usr/bin/env bash
# The main job: builds setup.exe, lays out the demo distribution and starts the
# setup wizard from it under Wine. With a display, the wizard is yours to use.
# Without one, it is walked headless on a virtual display and a screenshot of
# each page is saved (the folder is printed at the end).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target demo_dist pldriver
source scripts/wine-env.sh
dist="$root/build/windows/demo-dist"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  wine_template_ready || wine_env_init
  wine_prefix desktop
  cd "$dist" && exec wine setup.exe "$@"
fi

trap wine_env_stop EXIT
wine_env_init
bash e2e/run-scenario.sh e2e/walkthrough.sh "$root/build/windows"
echo "Screenshots of every page: $root/build/windows/e2e-artefacts/walkthrough/"
