# Pelmora alone removed by its installed uninstaller, page by page as a person
# would, then checked from this side: what went, what stayed, byte for byte.
install_pelmora
dest="$drive_c/Program Files/Pelmora"
db="$dest/PL.dbc"
printf 'first kept line\r\nsecond kept line\r\n' | plstore put "$db" notes/kept
printf 'encrypted' > "$dest/PL.pgp"
printf 'older' > "$dest/pl.pgp.bak"
printf 'mine' > "$dest/Notes.TXT"
mkdir "$dest/Mail" && printf 'inbox' > "$dest/Mail/inbox.txt"
db_sum="$(md5sum < "$db")"
programs="$(unix_path "$(programs_folder)")"
[ -d "$programs/Pelmora" ] || [ -d "$programs/pelmora" ] || fail "no program group before the removal"

# The beep leaves no sound here: Wine's relay trace of that one call shows it.
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /d user32.MessageBeep /f >/dev/null 2>&1
DRIVE_TRACE="$artefacts/beep-trace.txt" WINEDEBUG=+relay drive <<DRIVE
start "C:\\Program Files\\Pelmora\\UninstPL.exe"
window "Un-Install Wizard"
text Notebook Start
text Appname "Pelmora .9b2"
text Label23 "Un-Install "
text-has RichEdit7 "If you are looking to remove Pelmora from your system, "
text-has RichEdit7 "the opportunity to select Pelmora, Mixmaster or both for "
text Label24 "Click 'Next' to continue..."
enabled BackBtn 0
text NextBtn Next
text CancelBtn Cancel
snap start-page
click NextBtn
text Notebook Options
text Label25 "Un-Install Pelmora"
text Label26 "Select Items For Removal"
text AppEntries "Pelmora  { c:\\program files\\pelmora }"
text MixEntries "Mixmaster    { not installed }"
checked AppEntries 1
enabled AppEntries 1
checked MixEntries 0
enabled MixEntries 0
enabled BackBtn 1
text NextBtn Next
text-has RichEdit3 "IF YOU REMOVE PELMORA: All files in the PL home directory will be "
snap options-page
click NextBtn
text Notebook Review
text Label1 "Review Un-installation"
text Label2 "Check Configuration"
text NextBtn Finish
lines Memo1 "Pelmora = YES" "Mixmaster = NO"
top-line Memo1 0
snap review-page
click NextBtn
box Pelmora "Uninstall now?"
snap uninstall-question
answer OK
window Pelmora
text WaitPanel1 "...wait..."
enabled WaitCancelBtn 0
wait-text WaitPanel1 "...uninstalling software..." 3000
snap wait-dialog
gone 8000
window "Pelmora Uninstall"
window "Un-Install Wizard"
text Notebook Finish
text Label4 "Un-Installation complete!"
text Label6 "Thanks!"
lines RichEdit2 $log_pelmora "Done!"
enabled BackBtn 0
enabled NextBtn 0
enabled CancelBtn 0
snap finish-page-under-notice
window "Pelmora Uninstall"
text Label2 "!!! VERY IMPORTANT !!!"
text Label1 "Pelmora has been successfully uninstalled, but you will need to manually delete the PL database and home directory."
text Label3 "If you are having a problem with PL and uninstalling for the purpose of re-installing, you will still want to delete, at least, the PL database."
text OpenDirBtn "Open : c:\\program files\\pelmora\\"
text OkBtn Ok
snap notice
explorer "C:\\Program Files\\Pelmora" 0 500
click OpenDirBtn
explorer "C:\\Program Files\\Pelmora" 1
snap folder-window
close
window "Pelmora Uninstall"
click OkBtn
gone 5000
window "Un-Install Wizard"
wait-text CancelBtn Exit
enabled CancelBtn 1
enabled BackBtn 0
enabled NextBtn 0
snap finish-page
click CancelBtn
no-box 300
exit 0
DRIVE

expect_eq "$(grep -c 'Call user32.MessageBeep(00000000)' "$artefacts/beep-trace.txt")" 1 "default beeps"
[ ! -e "$programs/Pelmora" ] && [ ! -e "$programs/pelmora" ] || fail "the program group survived"
[ -d "$programs" ] || fail "the Programs folder went with the group"
# The uninstaller that was started goes too, deleted by its temporary copy.
removal_settled
expect_eq "$(tree_of "$dest")" "Mail|Mail/inbox.txt|PL.dbc|PL.pgp|pl.pgp.bak" "product folder afterwards"
expect_eq "$(md5sum < "$db")" "$db_sum" "PL.dbc bytes"
expect_eq "$(plstore cat "$db" notes/kept | tr -d '\r' | paste -sd'|')" "first kept line|second kept line" "kept record"
! reg_key_exists 'Software\Pelmora' || fail "HKCU\\Software\\Pelmora survived"
