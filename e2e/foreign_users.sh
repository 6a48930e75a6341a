# What the scenarios of users whose names lie outside the system's code page share:
# the names, a prefix of each user's own, and the check of an installation they made.

# One user name of each script: Latin letters that best-fit to ASCII, Cyrillic,
# Greek and Chinese. None of them fits code page 1252, the prefixes' code page.
foreign_users=('Łukasz Wójcik' 'Дмитрий' 'Ελένη' '王芳')
# A file of no product's, named outside the code page; its best-fitted look-alike
# would be "Lukasz-notes.txt".
foreign_file='Łukasz-notes.txt'
# The template's user, whom each new prefix starts with.
template_user="${USER:-root}"

# user_prefix NAME: a fresh prefix from the template whose one user is NAME,
# the demo distribution unpacked in that user's Downloads folder with one
# foreign-named file beside it. Sets downloads (this side) and downloads_w.
user_prefix() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$prefix"
  # Started as the last user, Wine would make that user's profile in the copy.
  export USER="$template_user"
  wine_prefix "$group"
  drive_c="$WINEPREFIX/drive_c"
  cp "$build/e2e/pldriver.exe" "$drive_c/pldriver.exe"
  become_user "$1"
  downloads="$(user_folder Downloads)"
  cp -r "$build/demo-dist/." "$downloads/"
  printf 'notes' > "$downloads/$foreign_file"
  downloads_w="C:\\users\\$1\\Downloads"
}

# programs_of_user: the user's Start-menu programs folder, on this side. The
# registry's spelling cannot be asked for here: `wine reg` prints it best-fitted.
programs_of_user() { user_folder 'AppData/Roaming/Microsoft/Windows/Start Menu/Programs'; }

# check_user_installation NAME: every file byte-equal to the distribution's,
# the uninstaller, the key, the Apps entry and the five shortcuts in NAME's own
# Start menu; nothing made under any other spelling of the user's folder.
check_user_installation() {
  local dest="$drive_c/Program Files/Pelmora" f group lnk
  for f in PL.exe PL.ini License.txt ReadMe.txt QuickStart.rtf; do
    cmp -s "$dest/$f" "$build/demo-dist/$f" || fail "$1: $f not installed byte-equal"
  done
  cmp -s "$dest/UninstPL.exe" "$build/demo-dist/setup.exe" || fail "$1: UninstPL.exe is not setup.exe"
  expect_eq "$(tree_of "$dest")" "License.txt|PL.dbc|PL.exe|PL.ini|QuickStart.rtf|ReadMe.txt|UninstPL.exe" \
    "$1: the product folder"
  expect_eq "$(reg_value 'Software\Pelmora' AppDir)" 'C:\Program Files\Pelmora' "$1: AppDir"
  expect_eq "$(reg_value 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelmora' UninstallString)" \
    '"C:\Program Files\Pelmora\UninstPL.exe"' "$1: the Apps entry"
  group="$(programs_of_user)/Pelmora"
  [ -d "$group" ] || group="$(programs_of_user)/pelmora"
  expect_eq "$(tree_of "$group")" "License.LNK|Pelmora.LNK|QuickStart.LNK|ReadMe.LNK|Uninstall PL.LNK" \
    "$1: the shortcuts in the user's own Start menu"
  expect_eq "$(lnk_field "$group/Pelmora.LNK" 'Local path')" 'c:\program files\pelmora\pl.exe' \
    "$1: the program's shortcut"
  expect_eq "$(ls "$drive_c/users" | LC_ALL=C sort | paste -sd'|')" "Public|$1" "$1: the profile folders"
}
