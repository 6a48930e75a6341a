# Folders whose files are all the product's raise no question: an empty one,
# one holding only what a removal leaves (the database files and subfolders),
# and an earlier installation's folder with files the mail client made in it.
mkdir -p "$drive_c/Empty" "$drive_c/Leftover/attach"
printf 'kept\r\n' | plstore put "$drive_c/Leftover/PL.dbc" inbox/first
printf 'sealed' > "$drive_c/Leftover/pl.pgp.bak"
printf 'a' > "$drive_c/Leftover/attach/photo.jpg"
drive <<DRIVE
start C:\dist\setup.exe
window "Pelmora Setup"
set-text AppDIR "C:\Empty"
click NextBtn
no-box
wait-text Notebook1 Address
click BackBtn
wait-text Notebook1 Start
set-text AppDIR "C:\Leftover"
click NextBtn
no-box
wait-text Notebook1 Address
$quit_setup
DRIVE
expect_eq "$(tree_of "$drive_c/Empty")" "" "the empty folder"
expect_eq "$(tree_of "$drive_c/Leftover")" "PL.dbc|attach|attach/photo.jpg|pl.pgp.bak" "the removal's leftovers"

# An earlier installation, and files of the client's beside it. The wizard
# passes Start by itself on its way to Review, and again when the user does.
install_pelmora 'C:\Mail\Pelmora' >/dev/null
dest="$drive_c/Mail/Pelmora"
printf 'client log\r\n' > "$dest/PL.log"
printf 'queued\r\n' > "$dest/outbox.msg"
drive <<DRIVE
start C:\\dist\\setup.exe
window "Pelmora Setup"
wait-text Notebook1 Review
no-box
click BackBtn
wait-text Notebook1 Address
click BackBtn
wait-text Notebook1 Start
click NextBtn
no-box
wait-text Notebook1 Address
click NextBtn
wait-text Notebook1 Review
$install_to_done
$exit_quietly
DRIVE
expect_eq "$(cat "$dest/PL.log")" $'client log\r' "the client's log"
expect_eq "$(cat "$dest/outbox.msg")" $'queued\r' "the client's queued message"
