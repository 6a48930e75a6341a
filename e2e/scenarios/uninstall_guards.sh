# Folders and group names the registry may hold but the product never owned:
# a drive root, the Windows folder, Program Files, the Desktop and Documents
# are left whole, with a box naming the folder; a group name that is no plain
# folder name is not sent, and the Start menu survives whole.
install_pelmora
shell_folder() {  # NAME: a folder of the user as the prefix's registry has it
  wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' /v "$1" 2>/dev/null |
    tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p"
}
desktop="$(shell_folder Desktop)"
[ -n "$desktop" ] || fail "no Desktop folder in the registry"
programs="$(unix_path "$(programs_folder)")"
start_menu="$(dirname "$programs")"
files_in() { ls -A "$1" | grep -v -x artifacts | LC_ALL=C sort | paste -sd'|'; }  # top level only: all the removal looks at; not the screenshots
# refused KEY VALUE FOLDER LOG: the component's folder is FOLDER; a box names
# it, the run logs LOG all the same, and every file in it is still there.
n=0
refused() {
  n=$((n + 1))
  local unix before shown
  unix="$(unix_path "$3")"
  printf 'the user'"'"'s' > "$unix/victim$n.txt"
  before="$(files_in "$unix")"
  shown="${3%\\}"
  wine reg add "HKCU\\Software\\$1" /v "$2" /t REG_SZ /d "$3" /f >/dev/null 2>&1
  drive <<DRIVE
start C:\\dist\\setup.exe -u
window "Un-Install Wizard"
click NextBtn
text-has $([ "$1" = Pelmora ] && echo AppEntries || echo MixEntries) "{ $(printf '%s' "$shown" | tr 'A-Z' 'a-z') }"
click NextBtn
$remove_confirmed
box-has "" "$shown"
snap folder-refused-$n
answer OK
window "Pelmora Uninstall"
window "Un-Install Wizard"
lines RichEdit2 $4 "Done!"
$notice_done
DRIVE
  expect_eq "$(files_in "$unix")" "$before" "files in $3"
  ! reg_key_exists "Software\\$1" || fail "the key survived with the folder $3"
}
for folder in 'C:\' 'C:\windows' 'C:\Program Files' "$desktop"; do
  wine reg add 'HKCU\Software\Pelmora' /v 'Program Group' /t REG_SZ /d Pelmora /f >/dev/null 2>&1
  refused Pelmora AppDir "$folder" "$log_pelmora"
done
refused Mixmaster MixDir "$(shell_folder Personal)\\" "$log_mixmaster"

mkdir -p "$programs/Accessories" && printf 'x' > "$programs/Accessories/Notepad.lnk"
printf 'x' > "$start_menu/keep.txt"
before="$(tree_of "$start_menu")"
# Sent as they stand, Wine's Program Manager empties the Start menu for ".."
# and the Programs folder for "."; it ignores the other two, which another
# shell need not.
for group in '..' 'x)][DeleteGroup(Programs' '.' 'Programs\..'; do
  wine reg add 'HKCU\Software\Pelmora' /v AppDir /t REG_SZ /d 'C:\Program Files\Pelmora' /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Pelmora' /v 'Program Group' /t REG_SZ /d "$group" /f >/dev/null 2>&1
  # Each removal takes its uninstaller with it: the next one needs it back.
  [ -f "$drive_c/Program Files/Pelmora/UninstPL.exe" ] ||
    cp "$drive_c/dist/setup.exe" "$drive_c/Program Files/Pelmora/UninstPL.exe"
  # A box would hold the run before its end: the notice shows that none came.
  remove_both '"C:\Program Files\Pelmora\UninstPL.exe"' '' '"Pelmora = YES" "Mixmaster = NO"' \
    "$log_pelmora \"Done!\"" 'Open : c:\program files\pelmora\'
  expect_eq "$(tree_of "$start_menu")" "$before" "Start menu after the group name '$group'"
done
