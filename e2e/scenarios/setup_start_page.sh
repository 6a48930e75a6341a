# The wizard as a first installation opens it: Start page, headings, system menu,
# About box; Escape on Start closes without a question.
mkdir -p "$drive_c/upper" && cp "$drive_c/dist/setup.exe" "$drive_c/upper/SETUP.EXE"
drive <<'DRIVE'
start C:\upper\SETUP.EXE
window "Pelmora Setup"
main-window-hidden
snap start-page
text Notebook1 Start
text AppDIR "C:\Program Files\Pelmora"
checked GroupBox 1
enabled BackBtn 0
enabled NextBtn 1
text NextBtn Next
text CancelBtn Cancel
visible AppDIR 1
visible EAddr 0
text Appname "Pelmora "
text Copyright "Copyright (c) 1998-2003 Pelmora Project,  Free software, without warranty."
text Label4 "&Destination Folder"
text GroupBox "Create Program &Group"
text BrowseBtn "&Browse"
sysmenu-last
box About... "Pelmora Setup  .9b2{LF}Copyright (c) 1998-2003 Pelmora Project{LF}Free software, without warranty."
snap about-box
answer OK
sysmenu 0x1000
box About...
answer OK
text Notebook1 Start
escape
no-box 500
exit 0
DRIVE
