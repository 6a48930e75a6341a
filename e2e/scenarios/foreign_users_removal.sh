# Removals for users whose names lie outside the code page: the temporary copy is
# made in that user's temporary folder, and within seconds only the database and
# a file of no product's are left, the group, the key and the entry gone.
source "$here/foreign_users.sh"
for user in "${foreign_users[@]}"; do
  user_prefix "$user"
  drive <<DRIVE || fail "$user: the installation"
start "$downloads_w\\setup.exe" /S /ADDRESS=a@example.org /SERVER=smtp.example.org
unseen 0
DRIVE
  check_user_installation "$user"
  dest="$drive_c/Program Files/Pelmora"
  # Not the product's, and its short form is no name to delete it by.
  printf 'mine' > "$dest/$foreign_file"
  drive <<'DRIVE' || fail "$user: the removal"
start "C:\Program Files\Pelmora\UninstPL.exe" /S "/LOG=C:\remove.log"
unseen 0
DRIVE
  removal_settled
  expect_eq "$(tree_of "$dest")" "PL.dbc|$foreign_file" "$user: what the removal left in the product folder"
  expect_eq "$(cat "$dest/$foreign_file")" mine "$user: the foreign-named file"
  ! reg_key_exists 'Software\Pelmora' || fail "$user: the product key survived"
  ! reg_key_exists 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelmora' ||
    fail "$user: the Apps entry survived"
  [ ! -e "$(programs_of_user)/Pelmora" ] && [ ! -e "$(programs_of_user)/pelmora" ] ||
    fail "$user: the program group survived"
  # The copy that did the removal lies in the user's own temporary folder.
  expect_eq "$(tree_of "$(user_folder Temp)")" "PelmoraUninstall-1|PelmoraUninstall-1/UninstPL.exe" \
    "$user: the temporary folder"
  log="$(tr -d '\r' < "$drive_c/remove.log")"
  cp "$drive_c/remove.log" "$artefacts/remove-$(printf '%s' "$user" | md5sum | cut -c1-8).log"
  grep -qE 'Removing from the temporary copy C:\\users\\[^\\]*~' <<<"$log" ||
    fail "$user: the log does not name the temporary copy by its short form"
  grep -qF 'Exit code 0' <<<"$log" || fail "$user: the removal did not end with 0"
  expect_eq "$(ls "$drive_c/users" | LC_ALL=C sort | paste -sd'|')" "Public|$user" "$user: the profile folders"
  echo "$user: removed"
done
