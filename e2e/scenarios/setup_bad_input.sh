# What setup cannot use never crashes it: odd arguments (not /S or /?) start the wizard as
# usual; a registry value of the wrong type ends it through the standard
# error box, with exit code 0.
drive <<'DRIVE'
start C:\dist\setup.exe "" "-u" /x %%%% "a b"
window "Pelmora Setup"
text Notebook1 Start
close
exit 0
DRIVE
wine reg add 'HKCU\Software\Pelmora' /v AppDir /t REG_DWORD /d 5 /f >/dev/null 2>&1
drive <<'DRIVE'
start C:\dist\setup.exe
box "Pelmora Setup" "Invalid data type for 'AppDir'"
snap exception-box
answer OK
no-window "Pelmora Setup" 500
exit 0
DRIVE
