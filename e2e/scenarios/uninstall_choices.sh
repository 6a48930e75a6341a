# Every way of not removing removes nothing: nothing installed, the marker
# file, the about box, a declined question, a cancelled pause, the close query
# on each page; Back from Review keeps the boxes.
drive <<'DRIVE'
start C:\dist\setup.exe -u
window "Un-Install Wizard"
text Notebook Start
lines RichEdit7 "Neither Pelmora nor Mixmaster are installed on this machine!" "Nothing to un-install!"
enabled NextBtn 0
enabled BackBtn 0
enabled Label24 0
snap nothing-installed
close
no-box 500
exit 0
DRIVE

install_pelmora
dest="$drive_c/Program Files/Pelmora"
make_mix "$drive_c/Mix"
set_mix 'C:\Mix'
state() { printf '%s\n' "$(tree_of "$dest")" "$(tree_of "$drive_c/Mix")" "$(tree_of "$(unix_path "$(programs_folder)")")"; }
before="$(state)"

drive <<'DRIVE'
start "C:\Program Files\Pelmora\UninstPL.exe"
window "Un-Install Wizard"
sysmenu-last
box About... "Pelmora Uninstall  .9b2{LF}Copyright (c) 1998-2003 Pelmora Project{LF}Free software, without warranty."
snap about-box
answer OK
text Notebook Start
close
no-box 500
exit 0
start "C:\Program Files\Pelmora\UninstPL.exe"
window "Un-Install Wizard"
click NextBtn
text Notebook Options
close
box Pelmora "Quit without removing Pelmora?"
snap quit-question
answer No
text Notebook Options
check MixEntries 0
checked AppEntries 1
enabled NextBtn 1
click NextBtn
text Notebook Review
lines Memo1 "Pelmora = YES" "Mixmaster = NO"
escape
box Pelmora "Quit without removing Pelmora?"
answer No
click BackBtn
text Notebook Options
text NextBtn Next
checked AppEntries 1
checked MixEntries 0
check AppEntries 0
enabled NextBtn 0
check AppEntries 1
check MixEntries 1
enabled NextBtn 1
click NextBtn
lines Memo1 "Pelmora = YES" "Mixmaster = YES"
click NextBtn
box Pelmora "Uninstall now?"
answer Cancel
text Notebook Review
text NextBtn Finish
click NextBtn
box Pelmora "Uninstall now?"
answer OK
window Pelmora
wait-text WaitPanel1 "...uninstalling software..." 3000
click WaitCancelBtn
box Pelmora "Cancel process?"
snap cancel-question
answer Yes
gone 2000
window "Un-Install Wizard"
text Notebook Review
enabled NextBtn 1
enabled CancelBtn 1
click CancelBtn
box Pelmora "Quit without removing Pelmora?"
answer Yes
exit 0
DRIVE
expect_eq "$(state)" "$before" "files after every way of not removing"
reg_key_exists 'Software\Pelmora' && reg_key_exists 'Software\Mixmaster' || fail "a key went"

# The marker file keeps the product from being chosen; with Mixmaster gone
# nothing can be.
wine reg delete 'HKCU\Software\Mixmaster' /f >/dev/null 2>&1
printf '' > "$dest/unpl.dsk"
before="$(state)"
drive <<'DRIVE'
start "C:\Program Files\Pelmora\UninstPL.exe"
window "Un-Install Wizard"
click NextBtn
checked AppEntries 0
enabled AppEntries 0
checked MixEntries 0
enabled MixEntries 0
enabled NextBtn 0
snap options-marker-file
close
box Pelmora "Quit without removing Pelmora?"
answer Yes
exit 0
DRIVE
expect_eq "$(state)" "$before" "files with the marker file"
reg_key_exists 'Software\Pelmora' || fail "the key went"
