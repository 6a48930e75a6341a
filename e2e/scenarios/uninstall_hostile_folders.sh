# Folder values that name protected folders by other spellings, with the
# component's programs planted there so that only the folder's identity can
# save them; and group names of dots and blanks. Unattended runs, as a script
# would make them: nothing outside the product's own folders is deleted.
install_pelmora
shell_folder() {  # NAME: a folder of the user as the prefix's registry has it
  wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' /v "$1" 2>/dev/null |
    tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p"
}
documents="$(unix_path "$(shell_folder Personal)")"
[ -d "$documents" ] || fail "no Documents folder"
profile="$(dirname "$documents")"
user="$(basename "$profile")"
mkdir -p "$drive_c/Mail" "$drive_c/windows/temp" "$drive_c/ProgramData"
ln -s "$documents" "$drive_c/Mail/docs"
planted=("$drive_c/windows" "$profile" "$documents" "$drive_c/users" "$drive_c/windows/temp" "$drive_c/ProgramData")
for d in "${planted[@]}"; do
  for f in PL.exe UninstPL.exe mix.exe; do [ -e "$d/$f" ] || printf 'MZ' > "$d/$f"; done
  printf 'canary' > "$d/canary-pel.txt"
done
intact() {
  local d f
  for d in "${planted[@]}"; do
    for f in PL.exe UninstPL.exe mix.exe canary-pel.txt; do [ -f "$d/$f" ] || fail "$1: $d/$f went"; done
  done
}
spellings=('C:\nonexist\..\windows\' 'C:\windows\.\' 'C:/windows/' 'C:\\windows\\' '\\?\C:\windows\'
  '\\.\C:\windows\' 'C:\windows.' "C:\\windows\\..\\users\\$user\\" 'C:\Mail\docs\' 'C:\users\'
  'C:\windows\temp\' 'C:\ProgramData\')
for s in "${spellings[@]}"; do
  for key in 'Pelmora AppDir' 'Mixmaster MixDir'; do
    set -- $key
    wine reg delete 'HKCU\Software\Pelmora' /f >/dev/null 2>&1 || true
    wine reg delete 'HKCU\Software\Mixmaster' /f >/dev/null 2>&1 || true
    wine reg add "HKCU\\Software\\$1" /v "$2" /t REG_SZ /d "$s" /f >/dev/null 2>&1
    # A folder left alone is a box the wizard would show: exit 2.
    drive <<DRIVE || fail "$2 $s: the run did not end as a refusal"
start C:\\dist\\setup.exe -u /S /MIXMASTER
unseen 2
DRIVE
    intact "$2 $s"
  done
done

# Group names the system would cut down to the Start menu or the Programs folder.
programs="$(unix_path "$(programs_folder)")"
start_menu="$(dirname "$programs")"
mkdir -p "$programs/Accessories" && printf 'x' > "$programs/Accessories/Notepad.lnk"
printf 'x' > "$start_menu/keep.txt"
before="$(tree_of "$start_menu")"
for group in '...' ' ..' '.. ' '. .' ' Pelmora'; do
  wine reg add 'HKCU\Software\Pelmora' /v AppDir /t REG_SZ /d 'C:\Gone' /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Pelmora' /v 'Program Group' /t REG_SZ /d "$group" /f >/dev/null 2>&1
  drive <<'DRIVE' || fail "group '$group': the run failed"
start C:\dist\setup.exe -u /S
unseen 0
DRIVE
  expect_eq "$(tree_of "$start_menu")" "$before" "Start menu after the group name '$group'"
done
