# Failing installations stop with their message and leave the wizard on Review,
# ready to try again: an uncreatable folder, a read-only file; a database held
# open says Pelmora runs, and Retry goes on once it is closed.
wait_out='
window Pelmora
gone 8000
window "Pelmora Setup"
'
dest="$drive_c/Program Files/Pelmora"
mkdir -p "$dest"
echo "old license" > "$dest/License.txt"
wine attrib +r 'C:\Program Files\Pelmora\License.txt' >/dev/null 2>&1
plstore put "$dest/PL.dbc" notes/old <<<"existing database"

drive <<DRIVE
start C:\\dist\\setup.exe
window "Pelmora Setup"
set-text AppDIR "C:\\bad|name"
click NextBtn
set-text EAddr a@example.org
set-text Host smtp.example.org
click NextBtn
click NextBtn
box Pelmora "Install now?"
answer OK
$wait_out
box "PelmoraFolder Creation Error" "Unable to create the destination folder.{LF}Please review your entry for errors or{LF}illegal characters."
snap folder-creation-error
answer OK
text Notebook1 Review
text NextBtn Install
enabled NextBtn 1
click BackBtn
click BackBtn
set-text AppDIR "C:\\Program Files\\Pelmora"
click NextBtn
click NextBtn
click NextBtn
box Pelmora "Install now?"
answer OK
$wait_out
box Pelmora "Cannot replace the file License.txt:{LF}Access denied.{CR}{LF}{LF}Close the program that uses it, then click Retry; or click Cancel."
snap cannot-replace
answer Cancel
box "Copy Failed" "System Error: Access denied.{CR}{LF}File: C:\\dist\\License.txt"
snap copy-failed
answer OK
text Notebook1 Review
$quit_setup
DRIVE
expect_eq "$(cat "$dest/License.txt")" "old license" "the read-only file"
! reg_key_exists 'Software\Pelmora' || fail "the registry was written after a failed copy"

wine attrib -r 'C:\Program Files\Pelmora\License.txt' >/dev/null 2>&1
drive <<DRIVE
$to_review
lock "C:\\Program Files\\Pelmora\\PL.dbc"
click NextBtn
box Pelmora "Install now?"
answer OK
$wait_out
box Pelmora "Pelmora is running and must be closed first.{LF}{LF}Close Pelmora, then click Retry; or click Cancel to go back."
snap pelmora-running
unlock
answer Retry
wait-text Notebook1 Done
$exit_quietly
DRIVE
expect_eq "$(plstore get "$dest/PL.dbc" notes/old)" "existing database" "the earlier record"
expect_eq "$(plstore get "$dest/PL.dbc" default/message | sed -n 3p)" "From: a@example.org" "message"
