# Another program holds QuickStart.rtf open without sharing. Unattended: exit
# 5, nothing deleted, key, entry and uninstaller kept, the log names the file.
# The wizard: the box names it, Cancel changes nothing. Once it is let go the
# removal ends with 0 and leaves only the database.
install_pelmora
dest="$drive_c/Program Files/Pelmora"
entry='Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelmora'
[ -f "$dest/QuickStart.rtf" ] || fail "no QuickStart.rtf was installed"
before="$(sums_of "$dest")"
kept() {  # WHEN: every file, the key and the entry as they were
  expect_eq "$(sums_of "$dest")" "$before" "the product folder $1"
  reg_key_exists 'Software\Pelmora' || fail "the product key went $1"
  reg_key_exists "$entry" || fail "the installed-programs entry went $1"
}

rm -f "$drive_c/remove.log"
drive <<'DRIVE' || fail "the unattended removal with a held file"
lock "C:\Program Files\Pelmora\QuickStart.rtf"
start "C:\Program Files\Pelmora\UninstPL.exe" /S "/LOG=C:\remove.log"
unseen 5 90000
unlock
DRIVE
drive <<< 'processes-end UninstPL.exe 20000' >/dev/null || fail "the uninstaller did not end"
kept "after the unattended run"
tr -d '\r' < "$drive_c/remove.log" | grep -qF 'QuickStart.rtf is in use by another program' ||
  fail "the log does not name the held file: $(cat "$drive_c/remove.log")"

drive <<'DRIVE' || fail "the wizard's removal with a held file"
lock "C:\Program Files\Pelmora\QuickStart.rtf"
start "C:\Program Files\Pelmora\UninstPL.exe"
window "Un-Install Wizard"
click NextBtn
click NextBtn
click NextBtn
box Pelmora "Uninstall now?"
answer OK
box-has Pelmora "QuickStart.rtf"
window "Un-Install Wizard"
box-owner
snap file-in-use
answer Cancel
window "Un-Install Wizard"
text Notebook Review
enabled NextBtn 1
close
box Pelmora "Quit without removing Pelmora?"
answer Yes
gone 5000
exit 0
unlock
DRIVE
drive <<< 'processes-end UninstPL.exe 20000' >/dev/null || fail "the uninstaller did not end"
kept "after Cancel"

rm -f "$drive_c/remove.log"
drive <<'DRIVE' || fail "the unattended removal once the file is let go"
start "C:\Program Files\Pelmora\UninstPL.exe" /S "/LOG=C:\remove.log"
unseen 0
DRIVE
drive <<< 'processes-end UninstPL.exe 20000' >/dev/null || fail "the uninstaller did not end"
expect_eq "$(tree_of "$dest")" "PL.dbc" "the product folder after the removal"
! reg_key_exists 'Software\Pelmora' || fail "the product key stayed"
! reg_key_exists "$entry" || fail "the entry stayed"
