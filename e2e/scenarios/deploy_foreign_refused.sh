# Unattended, a destination holding a file of the user's is refused: exit 2,
# one log line naming the folder and the file, and nothing written. /FORCEDIR
# vouches only for a folder named by /DIR=.
mkdir -p "$drive_c/Tools/old"
printf 'my notes\r\n' > "$drive_c/Tools/notes.txt"
before="$(tree_of "$drive_c/Tools")"
drive <<'DRIVE'
start C:\dist\setup.exe /S /DIR=C:\Tools /ADDRESS=a@example.org /SERVER=smtp.example.org "/LOG=C:\f.log"
unseen 2
start C:\dist\setup.exe /S /FORCEDIR /ADDRESS=a@example.org /SERVER=smtp.example.org "/LOG=C:\f.log"
unseen 1
DRIVE
expect_eq "$(tree_of "$drive_c/Tools")" "$before" "the folder after the refusal"
expect_eq "$(cat "$drive_c/Tools/notes.txt")" $'my notes\r' "the user's file"
! reg_key_exists 'Software\Pelmora' || fail "the product key was written"
! reg_key_exists 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelmora' || fail "the installed-programs entry was written"
[ ! -e "$drive_c/Program Files/Pelmora" ] || fail "the default folder was made"
programs="$(unix_path "$(programs_folder)")"
[ ! -e "$programs/Pelmora" ] || fail "a program group was made"
log="$(tr -d '\r' < "$drive_c/f.log")"
cp "$drive_c/f.log" "$artefacts/f.log"
for line in 'Not installing: the folder C:\Tools already holds other files (notes.txt among them), which removing Pelmora would delete; give /FORCEDIR with /DIR= to install there anyway' \
            'Exit code 2' 'Usage error: /FORCEDIR needs /DIR=folder' 'Exit code 1'; do
  grep -qF -- "$line" <<<"$log" || fail "the log lacks: $line"
done
! grep -q 'Copied\|Registry value\|Created' <<<"$log" || fail "the refused run changed something: $log"
