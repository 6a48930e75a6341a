# A first installation walked as a person would, then everything it left checked
# from this side: files, database, registry, shortcuts, the started client.
drive <<'DRIVE'
start C:\dist\setup.exe
window "Pelmora Setup"
text Notebook1 Start
click NextBtn
set-text EAddr "Jane Doe <jane@example.org>"
set-text Host smtp.example.org
click NextBtn
click NextBtn
box Pelmora "Install now?"
answer OK
window Pelmora
snap wait-dialog
text WaitPanel1 "...wait..."
enabled WaitCancelBtn 0
wait-text WaitPanel1 "...installing pelmora..." 3000
enabled WaitCancelBtn 1
gone 8000
window "Pelmora Setup"
wait-text Notebook1 Done
enabled BackBtn 0
enabled NextBtn 0
text CancelBtn Exit
checked RunPelmoraBox 1
find-window Pelmora 30000
snap group-window
close
window "Pelmora Setup"
snap done-page
click CancelBtn
no-box 300
exit 0
find-window "Pelmora (demo stand-in)" 20000
text-has 100 "Started in: C:\Program Files\Pelmora"
snap stand-in
close
DRIVE

dest="$drive_c/Program Files/Pelmora"
for f in PL.exe PL.ini License.txt ReadMe.txt QuickStart.rtf UninstPL.exe PL.dbc; do
  [ -f "$dest/$f" ] || fail "$f was not installed"
done
[ ! -e "$dest/setup.exe" ] || fail "setup.exe was installed under its own name"
cmp -s "$dest/UninstPL.exe" "$drive_c/dist/setup.exe" || fail "UninstPL.exe is not setup.exe"

expect_eq "$(plstore setting "$dest/PL.dbc" Version)" ".9b2" "Version setting of PL.dbc"
expect_eq "$(plstore get "$dest/PL.dbc" default/message | tr '\n' '|')" \
  "Fcc: outbox|Host: smtp.example.org|From: Jane Doe <jane@example.org>|Chain: *,*,*,*; copies=1|To: |Subject: ||~~|" \
  "default message"
expect_eq "$(plstore get "$dest/PL.dbc" default/article | tr '\n' '|')" \
  "Fcc: outbox|Host: smtp.example.org|From: Jane Doe <jane@example.org>|Chain: *,*,*,*; copies=1|To: mail2news@gateway.pelmora.invalid|X-No-Archive: Yes|Newsgroups: |Subject: ||~~|" \
  "default article"
plstore check "$dest/PL.dbc" >/dev/null || fail "PL.dbc does not check out"

expect_eq "$(reg_value 'Software\Pelmora' AppDir)" 'C:\Program Files\Pelmora' AppDir
expect_eq "$(reg_value 'Software\Pelmora' Version)" '.9b2' Version
expect_eq "$(reg_value 'Software\Pelmora' 'Program Group')" 'Pelmora' 'Program Group'
expect_eq "$(reg_value 'Software\Pelmora' WindowState)" '0x0' WindowState
expect_eq "$(reg_value 'Software\Pelmora' WindowPos)" '-1,-1,565,350' WindowPos
expect_eq "$(reg_value 'Software\Pelmora' Update)" '0x1' Update

group="$(unix_path "$(programs_folder)")/pelmora"
[ -d "$group" ] || group="$(unix_path "$(programs_folder)")/Pelmora"
[ -d "$group" ] || fail "no program group folder under $(programs_folder)"
check_link() {  # link target description
  local lnk="$group/$1"
  [ -f "$lnk" ] || fail "no shortcut $1"
  expect_eq "$(lnk_field "$lnk" 'Local path')" "c:\\program files\\pelmora\\$2" "$1 target"
  expect_eq "$(lnk_field "$lnk" 'Description')" "$3" "$1 description"
  expect_eq "$(lnk_field "$lnk" 'Working directory')" 'c:\program files\pelmora\' "$1 working folder"
  expect_eq "$(lnk_field "$lnk" 'Icon location')" "c:\\program files\\pelmora\\$2" "$1 icon"
  ! lnkinfo "$lnk" | grep -q 'Contains a command line arguments string' || fail "$1 has arguments"
  return 0
}
check_link License.LNK license.txt License
check_link Pelmora.LNK pl.exe Pelmora
check_link 'Uninstall PL.LNK' uninstpl.exe 'Uninstall Pelmora'
check_link QuickStart.LNK quickstart.rtf 'Quick Start'
check_link ReadMe.LNK readme.txt 'Read Me'
