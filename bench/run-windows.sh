#!/usr/bin/env bash
# Windows benchmarks under Wine: start to first wizard page against a bare
# dialog exe and against the wizard's own template with no program behind it, the uninstaller's two-phase start against its start in place,
# the copy step against a bare CopyFileA loop, for 1,000 small
# files and for 20 files of 5 MB, and the removal's file steps against a bare
# DeleteFileA/RemoveDirectoryA loop. Prints the figures; asserts nothing.
# With PEL_BASELINE_SETUP naming an earlier build's setup.exe, that one is
# started in the same rounds, beside the same distribution, for comparison.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
cmake --preset windows >/dev/null
cmake --build --preset windows --target demo_dist pldriver bare_dialog template_dialog copy_bench delete_bench >/dev/null
build="$root/build/windows"
source scripts/wine-env.sh
trap wine_env_stop EXIT
wine_env_init
rm -rf "$PEL_WINE_ROOT/prefixes/bench"
wine_prefix bench
c="$WINEPREFIX/drive_c"
cp -r "$build/demo-dist" "$c/dist"
baseline="${PEL_BASELINE_SETUP:-}"
if [ -n "$baseline" ]; then
  cp -r "$build/demo-dist" "$c/base"
  cp "$baseline" "$c/base/setup.exe"
fi
cp "$build/e2e/pldriver.exe" "$build/bench/win32/bare_dialog.exe" "$build/bench/win32/template_dialog.exe" \
  "$build/bench/win32/copy_bench.exe" \
  "$build/bench/win32/delete_bench.exe" "$c/"

startup() {  # exe caption runs -> milliseconds to the first window, one per line
  local i
  for i in $(seq "$3"); do
    printf 'start %s\nwindow "%s"\nelapsed\nclose\nsleep 100\n' "$1" "$2" > "$c/bench.drv"
    if [ "$2" = "Pelmora Setup" ]; then printf 'exit 0\n' >> "$c/bench.drv"; fi
    wine 'C:\pldriver.exe' 'C:\bench.drv' 2>/dev/null | tr -d '\r' | sed -n 's/^elapsed //p'
  done
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
# In rounds of one run each, so that the machine's drift falls on all three alike.
bare_runs='' template_runs='' setup_runs='' baseline_runs=''
for round in $(seq 15); do
  bare_runs+=" $(startup 'C:\bare_dialog.exe' 'Bare Dialog' 1)"
  template_runs+=" $(startup 'C:\template_dialog.exe' 'Pelmora Setup' 1)"
  setup_runs+=" $(startup 'C:\dist\setup.exe' 'Pelmora Setup' 1)"
  if [ -n "$baseline" ]; then baseline_runs+=" $(startup 'C:\base\setup.exe' 'Pelmora Setup' 1)"; fi
done
bare=$(printf '%s\n' $bare_runs | median)
template=$(printf '%s\n' $template_runs | median)
setup=$(printf '%s\n' $setup_runs | median)
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
echo "start to first window (median of 15): bare dialog ${bare} ms, the wizard's template alone ${template} ms" \
  "($(ratio "$template" "$bare")), setup wizard ${setup} ms, ratio $(ratio "$setup" "$bare")" \
  "($(ratio "$setup" "$template") of the template alone)"
if [ -n "$baseline" ]; then
  earlier=$(printf '%s\n' $baseline_runs | median)
  echo "the earlier build's setup wizard (median of 15, same rounds): ${earlier} ms; this build ${setup} ms," \
    "ratio $(ratio "$setup" "$earlier")"
fi

# The uninstaller's two-phase start: the installed UninstPL.exe copies itself to
# the temporary folder and hands over to the copy, against the same wizard
# started in place (setup.exe -u from the distribution). Each run ends with
# both processes gone, so the next one also clears the copy it left.
(cd "$c/dist" && wine 'C:\dist\setup.exe' /S /ADDRESS=a@example.org /SERVER=smtp.example.org /NOGROUP >/dev/null 2>&1)
uninstall_start() {  # command-line runs -> milliseconds to the wizard's first page, one per line
  local i
  for i in $(seq "$2"); do
    printf 'start %s\nwindow "Un-Install Wizard"\nelapsed\nclose\nexit 0\nprocesses-end UninstPL.exe\n' "$1" > "$c/bench.drv"
    wine 'C:\pldriver.exe' 'C:\bench.drv' 2>/dev/null | tr -d '\r' | sed -n 's/^elapsed //p'
  done
}
in_place=$(uninstall_start 'C:\dist\setup.exe -u' 15 | median)
two_phase=$(uninstall_start '"C:\Program Files\Pelmora\UninstPL.exe"' 15 | median)
echo "uninstaller start to first page (median of 15): in place ${in_place} ms, from a temporary copy ${two_phase} ms, added $(awk -v a="$two_phase" -v b="$in_place" 'BEGIN {printf "%.1f", a - b}') ms"

mkdir -p "$c/small" "$c/large"
for i in $(seq 1000); do head -c $((200 + i % 700)) /dev/urandom > "$c/small/file$i.txt"; done
# The unattended installation reads the distribution's PL.ini, as setup.exe /S would.
cp "$c/dist/PL.ini" "$c/small/" && cp "$c/dist/PL.ini" "$c/large/"
for i in $(seq 20); do head -c $((5 * 1024 * 1024)) /dev/urandom > "$c/large/file$i.bin"; done
echo "1,000 small files: $(wine 'C:\copy_bench.exe' 'C:\small' 'C:\scratch' 2>/dev/null | tr -d '\r')"
echo "20 files of 5 MB:  $(wine 'C:\copy_bench.exe' 'C:\large' 'C:\scratch' 2>/dev/null | tr -d '\r')"
wine 'C:\delete_bench.exe' 'C:\scratch-delete' 2>/dev/null | tr -d '\r'
echo "setup.exe, stripped: $(stat -c %s "$build/demo-dist/setup.exe") bytes"
