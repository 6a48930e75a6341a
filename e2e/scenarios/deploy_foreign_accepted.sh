# Unattended installations that go ahead: into a folder of the user's that
# /FORCEDIR vouches for (the user's files untouched), an empty folder, a folder
# holding only what a removal leaves, and an earlier installation's folder with
# the client's files in it.
mkdir -p "$drive_c/Tools/old" "$drive_c/Empty" "$drive_c/Leftover/attach"
printf 'my notes\r\n' > "$drive_c/Tools/notes.txt"
printf 'kept\r\n' | plstore put "$drive_c/Leftover/PL.dbc" inbox/first
printf 'sealed' > "$drive_c/Leftover/pl.pgp.bak"
printf 'a' > "$drive_c/Leftover/attach/photo.jpg"
drive <<'DRIVE'
start C:\dist\setup.exe /S /DIR=C:\Tools /FORCEDIR /ADDRESS=a@example.org /SERVER=smtp.example.org "/LOG=C:\a.log"
unseen 0
start C:\dist\setup.exe /S /DIR=C:\Empty /ADDRESS=a@example.org /SERVER=smtp.example.org "/LOG=C:\a.log"
unseen 0
start C:\dist\setup.exe /S /DIR=C:\Leftover /ADDRESS=a@example.org /SERVER=smtp.example.org "/LOG=C:\a.log"
unseen 0
DRIVE
expect_eq "$(cat "$drive_c/Tools/notes.txt")" $'my notes\r' "the user's file"
for dir in Tools Empty Leftover; do
  [ -f "$drive_c/$dir/PL.exe" ] && [ -f "$drive_c/$dir/UninstPL.exe" ] || fail "nothing installed into $dir"
done
expect_eq "$(plstore get "$drive_c/Leftover/PL.dbc" inbox/first | tr -d '\r')" "kept" "the leftover database's record"
expect_eq "$(cat "$drive_c/Leftover/attach/photo.jpg")" "a" "the leftover subfolder"

# C:\Leftover is now the earlier installation's folder; the client adds files.
printf 'client log\r\n' > "$drive_c/Leftover/PL.log"
drive <<'DRIVE'
start C:\dist\setup.exe /S "/LOG=C:\a.log"
unseen 0
DRIVE
expect_eq "$(cat "$drive_c/Leftover/PL.log")" $'client log\r' "the client's log"
log="$(tr -d '\r' < "$drive_c/a.log")"
cp "$drive_c/a.log" "$artefacts/a.log"
expect_eq "$(grep -c 'Exit code 0' <<<"$log")" 4 "runs that went ahead"
grep -qF 'The folder C:\Tools already holds other files (notes.txt among them); installing there as /FORCEDIR asks' <<<"$log" ||
  fail "the log does not say the folder was vouched for"
! grep -q 'Not installing' <<<"$log" || fail "a run was refused: $log"
