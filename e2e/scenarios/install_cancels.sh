# Every way of not installing installs nothing; answering No to the wait
# dialog's question lets its countdown carry on where it was.
drive <<DRIVE
$to_review
click NextBtn
box Pelmora "Install now?"
box-owner
answer Cancel
text Notebook1 Review
click NextBtn
box Pelmora "Install now?"
answer OK
window Pelmora
enabled WaitCancelBtn 0
click WaitCancelBtn
no-box 400
wait-text WaitPanel1 "...installing pelmora..." 3000
click WaitCancelBtn
box Pelmora "Cancel process?"
box-owner
snap cancel-question
answer Yes
gone 2000
window "Pelmora Setup"
text Notebook1 Review
text NextBtn Install
enabled NextBtn 1
$quit_setup
DRIVE
[ ! -e "$drive_c/Program Files/Pelmora" ] || fail "a cancelled installation created the folder"
! reg_key_exists 'Software\Pelmora' || fail "a cancelled installation wrote the registry"

# After about three of its four seconds, a No must leave about one second: a
# countdown started afresh would still be open after two and a half.
drive <<DRIVE
$to_review
click NextBtn
box Pelmora "Install now?"
answer OK
window Pelmora
wait-text WaitPanel1 "...installing pelmora..." 3000
sleep 1900
click WaitCancelBtn
box Pelmora "Cancel process?"
sleep 1500
answer No
gone 2500
window "Pelmora Setup"
wait-text Notebook1 Done
$exit_quietly
DRIVE
[ -f "$drive_c/Program Files/Pelmora/UninstPL.exe" ] || fail "the installation after No did not run"
