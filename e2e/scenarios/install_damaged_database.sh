# An earlier installation whose database lost its header, as a power loss can
# leave a first sector: the wizard reads no address from it and its templates
# step stops with "Setup Error"; the unattended run ends with 2; neither
# writes a byte of the database nor leaves a journal beside it.
install_pelmora >/dev/null
db="$drive_c/Program Files/Pelmora/PL.dbc"
for i in 1 2 3; do
  printf 'Subject: message %s\r\n' "$i" | plstore put "$db" "Mailboxes/in/m$i"
done
dd if=/dev/zero of="$db" bs=46 count=1 conv=notrunc status=none
sum_before="$(md5sum < "$db")"

drive <<DRIVE
start C:\\dist\\setup.exe
window "Pelmora Setup"
text Notebook1 Review
text EAddr ""
text Host ""
$confirm_install
window "Pelmora Setup"
box "Setup Error" "Error storing default message!"
snap damaged-database
answer OK
text Notebook1 Review
$quit_setup
DRIVE
expect_eq "$(md5sum < "$db")" "$sum_before" "the database after the wizard"
[ ! -e "$db.jnl" ] || fail "a journal was left by the wizard"

drive <<'DRIVE'
start C:\dist\setup.exe /S /ADDRESS=a@example.org /SERVER=smtp.example.org "/LOG=C:\damaged.log"
unseen 2
DRIVE
expect_eq "$(md5sum < "$db")" "$sum_before" "the database after the unattended run"
[ ! -e "$db.jnl" ] || fail "a journal was left by the unattended run"
grep -qF "Error storing default message!" <(tr -d '\r' < "$drive_c/damaged.log") ||
  fail "the log lacks the templates' error"
status=0
plstore get "$db" Mailboxes/in/m1 >/dev/null 2>&1 || status=$?
expect_eq "$status" 2 "plstore on the damaged database"
