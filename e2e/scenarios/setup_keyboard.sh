# The wizard by keyboard: tab order, accelerators of the labels, Escape.
drive <<'DRIVE'
start C:\dist\setup.exe
window "Pelmora Setup"
focus NextBtn
next-of Label4 AppDIR
next-of Label3 EAddr
next-of Label2 Host
alt d
focus AppDIR
tab
focus BrowseBtn
tab
focus GroupBox
tab
focus NextBtn
tab
focus CancelBtn
tab
focus AppDIR
focus AppDIR
alt g
focus GroupBox
click NextBtn
focus EAddr
tab
focus Host
alt a
focus EAddr
alt h
focus Host
escape
box Pelmora "Quit without installing Pelmora?"
answer Yes
exit 0
DRIVE
