# Pelmora left running from its folder: a reinstall and a removal change
# nothing while it runs (the wizards say so and offer Retry; unattended runs
# exit 4), and go on once it is closed. Nothing ever ends the user's program.
install_pelmora >/dev/null
dest="$drive_c/Program Files/Pelmora"
running='Pelmora is running and must be closed first.{LF}{LF}Close Pelmora, then click Retry; or click Cancel to go back.'
standin='Pelmora (demo stand-in)'

# state: the product folder byte for byte, the product's key and its
# installed-programs entry.
state() {
  sums_of "$dest"
  for key in 'Software\Pelmora' 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelmora'; do
    wine reg query "HKCU\\$key" 2>/dev/null | tr -d '\r' | grep '^    ' | LC_ALL=C sort
  done
}
# The installed PL.exe, started as the user starts it, left running.
start_standin() {
  (cd "$dest" && wine 'C:\Program Files\Pelmora\PL.exe' >/dev/null 2>&1 &)
  drive <<<"find-window \"$standin\" 30000" >/dev/null
}
end_standin="find-window \"$standin\"
close
gone 10000
sleep 1000"

start_standin
before="$(state)"
[ -n "$before" ] || fail "nothing installed"

drive <<'DRIVE'
start C:\dist\setup.exe /S "/LOG=C:\running.log"
unseen 4
DRIVE
expect_eq "$(state)" "$before" "after the unattended reinstall"
grep -qF 'Pelmora is running from C:\Program Files\Pelmora: nothing was changed' "$drive_c/running.log" ||
  fail "the log does not say Pelmora runs"

# Over the earlier installation the wizard opens on Review; Install, and it asks.
drive <<DRIVE
start C:\\dist\\setup.exe
window "Pelmora Setup"
wait-text Notebook1 Review
$confirm_install
box Pelmora "$running"
window "Pelmora Setup"
box-owner
snap setup-pelmora-running
answer Cancel
text Notebook1 Review
text NextBtn Install
enabled NextBtn 1
$quit_setup
DRIVE
expect_eq "$(state)" "$before" "after the wizard's reinstall was cancelled"

drive <<'DRIVE'
start "C:\Program Files\Pelmora\UninstPL.exe" /S "/LOG=C:\running.log"
unseen 4
DRIVE
expect_eq "$(state)" "$before" "after the unattended removal"
reg_key_exists 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelmora' || fail "the entry went"

# The wizard's removal asks; the user closes Pelmora and clicks Retry.
drive <<DRIVE
start "C:\\Program Files\\Pelmora\\UninstPL.exe"
window "Un-Install Wizard"
click NextBtn
click NextBtn
$remove_confirmed
box Pelmora "$running"
window "Un-Install Wizard"
box-owner
snap uninstall-pelmora-running
$end_standin
answer Retry
window "Pelmora Uninstall"
window "Un-Install Wizard"
lines RichEdit2 $log_pelmora "Done!"
$notice_done
DRIVE
[ ! -e "$dest/PL.exe" ] || fail "PL.exe survived the removal"
! reg_key_exists 'Software\Pelmora' || fail "the product key survived"

# Once more unattended: refused while it runs, done once it is closed.
drive <<'DRIVE'
start C:\dist\setup.exe /S /ADDRESS=a@example.org /SERVER=smtp.example.org
unseen 0
DRIVE
start_standin
drive <<'DRIVE'
start "C:\Program Files\Pelmora\UninstPL.exe" /S
unseen 4
DRIVE
reg_key_exists 'Software\Pelmora' || fail "the key went while Pelmora ran"
drive <<DRIVE
$end_standin
start "C:\\Program Files\\Pelmora\\UninstPL.exe" /S
unseen 0
DRIVE
[ ! -e "$dest/PL.exe" ] || fail "PL.exe survived the removal"
! reg_key_exists 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelmora' || fail "the entry survived"
