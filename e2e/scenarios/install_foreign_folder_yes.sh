# Yes to the question about a folder that holds the user's files: the wizard
# goes on, does not ask again for the same folder text, and installs; the
# user's files are left as they were.
mkdir -p "$drive_c/Tools/old"
printf 'my notes\r\n' > "$drive_c/Tools/notes.txt"
printf 'older\r\n' > "$drive_c/Tools/old/a.txt"
sums="$(cd "$drive_c/Tools" && md5sum notes.txt old/a.txt)"
drive <<DRIVE
start C:\\dist\\setup.exe
window "Pelmora Setup"
set-text AppDIR "C:\\Tools"
click NextBtn
box-has Pelmora "already holds other files, notes.txt among them"
answer Yes
window "Pelmora Setup"
wait-text Notebook1 Address
click BackBtn
wait-text Notebook1 Start
click NextBtn
no-box
wait-text Notebook1 Address
set-text EAddr a@example.org
set-text Host smtp.example.org
click NextBtn
wait-text Notebook1 Review
$install_and_leave
DRIVE
expect_eq "$(cd "$drive_c/Tools" && md5sum notes.txt old/a.txt)" "$sums" "the user's files"
for f in PL.exe UninstPL.exe PL.ini PL.dbc License.txt ReadMe.txt QuickStart.rtf; do
  [ -f "$drive_c/Tools/$f" ] || fail "$f was not installed"
done
expect_eq "$(reg_value 'Software\Pelmora' AppDir)" 'C:\Tools' AppDir
