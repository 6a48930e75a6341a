# A destination that already holds a file of the user's: Next on Start asks
# before making it the product's folder. No keeps the wizard on Start with the
# folder text selected, asks again at the next Next, and nothing is created.
mkdir -p "$drive_c/Tools/old"
printf 'my notes\r\n' > "$drive_c/Tools/notes.txt"
before="$(tree_of "$drive_c/Tools")"
question='The folder C:\Tools already holds other files, notes.txt among them.{LF}{LF}If I install Pelmora there, removing Pelmora later will delete every file in that folder except the PL database, yours included.{LF}{LF}Install Pelmora in this folder anyway?'
drive <<DRIVE
start C:\\dist\\setup.exe
window "Pelmora Setup"
set-text AppDIR "C:\\Tools"
selected AppDIR 0
click NextBtn
box Pelmora "$question"
box-owner
snap foreign-folder-box
answer No
window "Pelmora Setup"
sleep 300
text Notebook1 Start
focus AppDIR
selected AppDIR 1
text AppDIR "C:\\Tools"
enabled BackBtn 0
click NextBtn
box Pelmora "$question"
answer No
window "Pelmora Setup"
text Notebook1 Start
click CancelBtn
no-box 300
exit 0
DRIVE
expect_eq "$(tree_of "$drive_c/Tools")" "$before" "the folder after No"
expect_eq "$(cat "$drive_c/Tools/notes.txt")" $'my notes\r' "the user's file"
! reg_key_exists 'Software\Pelmora' || fail "the product key was written"
[ ! -e "$drive_c/Program Files/Pelmora" ] || fail "the default folder was made"
programs="$(unix_path "$(programs_folder)")"
[ ! -e "$programs/Pelmora" ] || fail "a program group was made"
[ -s "$drive_c/artifacts/foreign-folder-box.bmp" ] || fail "no screenshot of the box"
