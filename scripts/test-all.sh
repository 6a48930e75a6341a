#!/usr/bin/env bash
# Every test: native, sanitizers, the bounded fuzz run, then the Win32 tests and
# end-to-end scenarios under Wine. Installs what it needs first. Non-zero on any failure.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
start=$(date +%s)
step() { echo; echo "=== $* ($(( $(date +%s) - start )) s)"; }

step "dependencies"
scripts/install-deps.sh
step "native and sanitizer tests"
scripts/test-native.sh
if [ -x fuzz/run.sh ]; then
  step "fuzzing (bounded)"
  fuzz/run.sh
fi
step "Windows tests under Wine"
scripts/test-windows.sh
step "all tests passed"
