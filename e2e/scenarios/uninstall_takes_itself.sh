# The installed uninstaller removes itself too: it hands the removal to a copy
# of itself under the temporary folder, answers with the copy's exit code, and
# within seconds the product folder holds only what the removal keeps. At most
# one copy stays behind, however many removals ran.
dest="$drive_c/Program Files/Pelmora"
copies() { find "$drive_c/users" -type d -name 'PelmoraUninstall-*' | wc -l; }
remove_unattended() {  # EXPECTED-CODE
  local rc=0
  rm -f "$drive_c/remove.log"
  wine 'C:\Program Files\Pelmora\UninstPL.exe' /S '/LOG=C:\remove.log' >/dev/null 2>&1 || rc=$?
  expect_eq "$rc" "$1" "exit code of the unattended removal"
  removal_settled
}
in_log() { tr -d '\r' < "$drive_c/remove.log" | grep -qF -- "$1" || fail "the log lacks '$1'"; }

for round in 1 2; do
  install_pelmora
  mkdir -p "$dest/Mail" && printf 'm' > "$dest/Mail/inbox.txt"
  remove_unattended 0
  expect_eq "$(tree_of "$dest")" "Mail|Mail/inbox.txt|PL.dbc" "product folder after removal $round"
  in_log 'Removing from the temporary copy C:\users\'
  in_log 'Deleted C:\Program Files\Pelmora\UninstPL.exe'
  [ "$(copies)" -le 1 ] || fail "$(copies) temporary copies after removal $round"
done

# Nothing to remove (the marker file keeps the product): 3 comes through, and
# the uninstaller of the product that stays stays with it.
install_pelmora
: > "$dest/unpl.dsk"
remove_unattended 3
[ -f "$dest/UninstPL.exe" ] && [ -f "$dest/PL.exe" ] || fail "the kept product lost its programs"
reg_key_exists 'Software\Pelmora' || fail "the kept product lost its key"
[ "$(copies)" -le 1 ] || fail "$(copies) temporary copies"
