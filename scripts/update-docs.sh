#!/usr/bin/env bash
# Regenerates the README's pictures from the headless walkthrough, so they show the wizard as it is.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
# Without a display, run-setup.sh walks the wizard and screenshots every page.
env -u DISPLAY scripts/run-setup.sh
shots="$root/build/windows/e2e-artefacts/walkthrough"
# docs/<picture>.png comes from the walkthrough's <screenshot>.png.
pictures=(
  setup-start:1-start
  setup-review:3-review
  setup-done:7-done
)
mkdir -p docs
for p in "${pictures[@]}"; do
  convert "$shots/${p#*:}.png" -strip -define png:compression-level=9 "docs/${p%%:*}.png"
done
echo "Pictures updated in docs/: ${pictures[*]%%:*}"
