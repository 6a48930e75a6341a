#!/usr/bin/env bash
# Runs one end-to-end scenario: its own virtual display, a fresh prefix from the template, the demo
# distribution in C:\dist, the scenario's driver scripts and Linux-side checks,
# then its screenshots converted to PNG under <build>/e2e-artefacts/<name>/.
#   run-scenario.sh <scenario.sh> <windows build dir>
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
scenario="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
build="$(cd "$2" && pwd)"
name="$(basename "$scenario" .sh)"
source "$here/../scripts/wine-env.sh"
wine_template_ready || { echo "no template prefix: run through scripts/test-windows.sh" >&2; exit 2; }

# A display of its own: scenarios running side by side must not take each
# other's focus, as two people at one screen would.
wine_display

group="e2e-$name"
prefix="$PEL_WINE_ROOT/prefixes/$group"
if [ -d "$prefix" ]; then WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true; rm -rf "$prefix"; fi
wine_prefix "$group"
drive_c="$WINEPREFIX/drive_c"
artefacts="$build/e2e-artefacts/$name"
rm -rf "$artefacts" "$drive_c/artifacts"
mkdir -p "$artefacts"
cp -r "$build/demo-dist" "$drive_c/dist"
cp "$build/e2e/pldriver.exe" "$drive_c/pldriver.exe"

# Driver snippets the scenarios share, for use in unquoted here-documents.
# to_review: start setup from the distribution and walk to Review.
to_review='start C:\dist\setup.exe
window "Pelmora Setup"
click NextBtn
set-text EAddr a@example.org
set-text Host smtp.example.org
click NextBtn'
# confirm_install: on Review, Install and confirm, then let the pause run out.
confirm_install='click NextBtn
box Pelmora "Install now?"
answer OK
window Pelmora
gone 8000'
# install_to_done: the same, landing on Done.
install_to_done="$confirm_install
window \"Pelmora Setup\"
wait-text Notebook1 Done"
# quit_setup: leave the wizard by Cancel, confirmed, with nothing installed.
quit_setup='click CancelBtn
box Pelmora "Quit without installing Pelmora?"
answer Yes
exit 0'
# exit_quietly: leave Done without starting the client.
exit_quietly='check RunPelmoraBox 0
click CancelBtn
exit 0'
# install_and_leave: from Review, install, close the program group's window
# that the installation opens and leave Done without starting the client.
install_and_leave="$install_to_done
find-window Pelmora 30000
close
window \"Pelmora Setup\"
$exit_quietly"
# remove_confirmed: from the uninstaller's Review page, confirm and let the pause run out.
remove_confirmed='click NextBtn
box Pelmora "Uninstall now?"
answer OK
window Pelmora
gone 8000'
# notice_done: close the closing notice with Ok, then leave the wizard by Exit.
notice_done='window "Pelmora Uninstall"
click OkBtn
gone 5000
window "Un-Install Wizard"
wait-text CancelBtn Exit
click CancelBtn
no-box 300
exit 0'
# The removal log's lines, as driver words.
log_pelmora='"Removing Pelmora..." "   program group...done" "   program files...done" "   registry key...done"'
log_mixmaster='"Removing Mixmaster..." "   program files...done" "   registry key...done"'

# drive: the driver reads its commands from standard input. With DRIVE_TRACE
# set, Wine's messages of the run go to that file.
drive() {
  local script
  script="$(mktemp "$drive_c/drive.XXXXXX")"
  cat > "$script"
  # Output goes through a file, not a pipe: programs the installer starts
  # (explorer, the client) would inherit a pipe and keep it open.
  local rc=0
  # Wine's own messages (traces a scenario asks for among them) go to DRIVE_TRACE.
  wine 'C:\pldriver.exe' "C:\\$(basename "$script")" >"$script.out" 2>"${DRIVE_TRACE:-/dev/null}" || rc=$?
  # The wine server kills (SIGKILL) a process that is not gone within a moment
  # of its own end; on a loaded machine it catches the driver tearing down after
  # it has written its verdict. Only a last line "ok" counts as that verdict.
  if [ "$rc" -eq 137 ] && [ "$(tr -d '\r' <"$script.out" | tail -n 1)" = ok ]; then
    echo "note: the driver was killed after its verdict ok" >&2
    rc=0
  fi
  tr -d '\r' <"$script.out"
  [ "$rc" -eq 0 ] || echo "note: the driver ended with exit code $rc" >&2
  rm -f "$script" "$script.out"
  return "$rc"
}
# reg_value KEY NAME: the value's data as `wine reg query` prints it ("" when missing).
# A busy machine can make a single query fail: it is asked up to three times.
reg_value() {
  local out="" try
  for try in 1 2 3; do
    out="$(wine reg query "HKCU\\$1" /v "$2" 2>/dev/null)" && break
    sleep 0.5
  done
  printf '%s\n' "$out" | tr -d '\r' | awk -v n="$2" '
    { line=$0; sub(/^    /, "", line) }
    index(line, n "    ") == 1 { rest=substr(line, length(n) + 5); sub(/^[A-Z_]+    /, "", rest); print rest }'
}
reg_key_exists() { wine reg query "HKCU\\$1" >/dev/null 2>&1; }
fail() { echo "FAIL: $*" >&2; exit 1; }
# The project's store tool, built natively beside the Windows build.
plstore() { "$build/host/tools/plstore/plstore" "$@"; }
# unix_path 'C:\x\y': where a Windows path of the prefix lies on this side.
unix_path() { winepath -u "$1" 2>/dev/null; }
# lnk_field FILE LABEL: a field of a shortcut as lnkinfo reads it.
lnk_field() {
  lnkinfo "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^\t$2\t*: \{0,1\}//p" | head -n 1
}
# The user's Programs folder of the Start menu, as the prefix's registry has it.
programs_folder() {
  wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' /v Programs 2>/dev/null |
    tr -d '\r' | sed -n 's/^ *Programs *REG_SZ *//p'
}
# install_pelmora [folder]: a first installation by the wizard, into the
# default folder or the one given. The group window it opens is closed, so that
# no later folder window is taken for it.
install_pelmora() {
  drive <<DRIVE
start C:\\dist\\setup.exe
window "Pelmora Setup"
${1:+set-text AppDIR "$1"}
click NextBtn
set-text EAddr a@example.org
set-text Host smtp.example.org
click NextBtn
$install_and_leave
DRIVE
}
# sums_of DIR: every entry under DIR, sorted, each file with the checksum of its bytes.
sums_of() {
  (cd "$1" && find . | LC_ALL=C sort | while read -r f; do
     [ -f "$f" ] && echo "$f $(md5sum < "$f")" || echo "$f"; done)
}
# tree_of DIR: every entry under DIR, relative, sorted, joined by "|" ("" when DIR is missing).
tree_of() { [ -d "$1" ] && (cd "$1" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort | paste -sd'|'); return 0; }
# set_mix FOLDER: Mixmaster's registry key, as its own installation leaves it.
set_mix() { wine reg add 'HKCU\Software\Mixmaster' /v MixDir /t REG_SZ /d "$1" /f >/dev/null 2>&1; }
# make_mix DIR: a Mixmaster folder of files and a pool tree, made as its own installation would.
make_mix() {
  mkdir -p "$1/pool/out"
  printf 'mix' > "$1/mix.exe"; printf 'cfg' > "$1/MIX.CFG"
  printf 'm' > "$1/pool/m1"; printf 'o' > "$1/pool/out/o1"
}
# remove_both EXE OPTIONS REVIEW LOG OPEN [DURING] [NOTICE]: the uninstaller started from
# EXE, its Options page checked with the driver lines OPTIONS, the review lines
# REVIEW, the removal run to its end (the driver lines DURING answering what it
# asks), the log lines LOG, the notice's button text OPEN and the driver lines
# NOTICE on the notice.
remove_both() {
  drive <<DRIVE
start $1
window "Un-Install Wizard"
click NextBtn
text Notebook Options
$2
click NextBtn
lines Memo1 $3
$remove_confirmed
${6:-}
window "Pelmora Uninstall"
text OpenDirBtn "$5"
${7:-}
window "Un-Install Wizard"
lines RichEdit2 $4
$notice_done
DRIVE
  removal_settled
}
# removal_settled: the uninstaller and its temporary copy have both ended, so
# the copy has deleted what it deletes after its original ended.
removal_settled() { drive <<< 'processes-end UninstPL.exe 20000' >/dev/null || fail "the uninstaller did not end"; }
# become_user NAME: the prefix's one user is NAME (any script) instead of the
# template's: the profile folder moves, and every folder the registry names
# under it, the environment's profile variables and the profile list follow,
# as a prefix made by that user would have them. Wine takes the user name from
# USER, which stays exported for the rest of the scenario.
become_user() {
  local old="${USER:-root}" from esc reg
  [ -d "$drive_c/users/$old" ] || old="$(ls "$drive_c/users" | grep -vx Public | head -n 1)"
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  mv "$drive_c/users/$old" "$drive_c/users/$1"
  # The registry files spell characters beyond ASCII as \x and four hex digits.
  esc="$(perl -CSA -e 'print join "", map { ord($_) < 128 ? $_ : sprintf("\\x%04x", ord) } split //, $ARGV[0]' "$1")"
  for reg in "$WINEPREFIX"/user.reg "$WINEPREFIX"/system.reg "$WINEPREFIX"/userdef.reg; do
    OLD="$old" NEW="$esc" perl -pi -e '
      s/\\\\users\\\\\Q$ENV{OLD}\E(?=\\\\|")/\\\\users\\\\$ENV{NEW}/g;
      s/^"USERNAME"="\Q$ENV{OLD}\E"/"USERNAME"="$ENV{NEW}"/' "$reg"
  done
  export USER="$1"
  wineserver -p >/dev/null 2>&1 </dev/null
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}
# user_folder SUB: a folder of the current user's profile, on this side.
user_folder() { printf '%s/users/%s/%s' "$drive_c" "$USER" "$1"; }
expect_eq() { [ "$1" == "$2" ] || fail "$3: got '$1', expected '$2'"; }

finish() {
  local rc=$?
  local bmp
  for bmp in "$drive_c"/artifacts/*.bmp; do
    [ -f "$bmp" ] && convert "$bmp" "$artefacts/$(basename "${bmp%.bmp}").png" 2>/dev/null || true
  done
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
  kill "$WINE_DISPLAY_PID" 2>/dev/null || true
  [ $rc -eq 0 ] && rm -rf "$prefix"
  if [ $rc -eq 0 ]; then echo "scenario $name: passed"
  elif [ $rc -eq 77 ]; then echo "scenario $name: skipped"
  else echo "scenario $name: FAILED (prefix kept: $prefix)"; fi
  exit $rc
}
trap finish EXIT
source "$scenario"
