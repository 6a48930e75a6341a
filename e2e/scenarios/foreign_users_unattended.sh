# Unattended installations by users whose names lie outside the code page, each
# started from that user's Downloads folder: everything installed, nothing under
# a look-alike of the user's folder, the foreign-named file left out and logged.
source "$here/foreign_users.sh"
for user in "${foreign_users[@]}"; do
  user_prefix "$user"
  drive <<DRIVE || fail "$user: the unattended installation"
start "$downloads_w\\setup.exe" /S /ADDRESS=a@example.org /SERVER=smtp.example.org "/LOG=C:\\deploy.log"
unseen 0
DRIVE
  check_user_installation "$user"
  log="$(tr -d '\r' < "$drive_c/deploy.log")"
  cp "$drive_c/deploy.log" "$artefacts/deploy-$(printf '%s' "$user" | md5sum | cut -c1-8).log"
  grep -F 'Not copied: ' <<<"$log" | grep -qF "?ukasz-notes.txt (its name is outside the system's code page)" ||
    fail "$user: the foreign-named file is not logged as left out"
  for line in 'Creating program group: done' 'Exit code 0'; do
    grep -qF -- "$line" <<<"$log" || fail "$user: the log lacks: $line"
  done
  # The distribution is read where it is: the program's own folder, by the
  # short form the system keeps for it, never by a best-fitted spelling.
  grep -E '^.*Installing Pelmora .* from C:\\users\\[^\\]*~' <<<"$log" >/dev/null ||
    fail "$user: the log does not read the distribution by its short form"
  ! grep -qF 'Lukasz-notes' <<<"$log" || fail "$user: a look-alike name in the log"
  echo "$user: installed"
done
