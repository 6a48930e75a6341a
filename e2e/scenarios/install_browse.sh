# Browse: OK on a folder puts it, lower-cased, in the folder field; Cancel
# leaves the field alone.
mkdir -p "$drive_c/dist/Extras"
drive <<'DRIVE'
start C:\dist\setup.exe
window "Pelmora Setup"
click BrowseBtn
window "Select Directory"
snap browse-dialog
pick DirectoryListBox1 Extras
click OkBtn
gone 3000
window "Pelmora Setup"
text AppDIR "c:\dist\extras"
click BrowseBtn
window "Select Directory"
click BrowseCancelBtn
gone 3000
window "Pelmora Setup"
text AppDIR "c:\dist\extras"
escape
exit 0
DRIVE
