# Registry values the uninstaller cannot use never crash it and delete nothing
# outside the folders they name: a value of the wrong type, a folder that is
# gone, one too long or with illegal characters, a Mixmaster key without its
# folder (whose removal deletes nothing, never the current folder's files, and
# says nothing: there is no folder to speak of).
install_pelmora
dest="$drive_c/Program Files/Pelmora"
before="$(tree_of "$dest")"
root_files() { ls -A "$drive_c" | grep -v -x artifacts | LC_ALL=C sort | paste -sd'|'; }
root_before="$(root_files)"

wine reg add 'HKCU\Software\Pelmora' /v AppDir /t REG_DWORD /d 5 /f >/dev/null 2>&1
drive <<'DRIVE'
start "C:\Program Files\Pelmora\UninstPL.exe"
box "Pelmora Uninstall" "Invalid data type for 'AppDir'"
snap exception-box
answer OK
no-window "Un-Install Wizard" 500
exit 0
DRIVE
reg_key_exists 'Software\Pelmora' || fail "the key went"

long="C:\\$(printf 'a%.0s' $(seq 300))"
for appdir in 'C:\Gone\Pelmora' "$long" 'C:\Pel|mo<ra>?*'; do
  wine reg add 'HKCU\Software\Pelmora' /v AppDir /t REG_SZ /d "$appdir" /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Mixmaster' /f >/dev/null 2>&1
  remove_both '"C:\Program Files\Pelmora\UninstPL.exe"' '
text MixEntries "Mixmaster    {  }"
checked MixEntries 1' '"Pelmora = YES" "Mixmaster = YES"' \
    "$log_pelmora $log_mixmaster \"Done!\"" "Open : $(printf '%s' "$appdir" | tr 'A-Z' 'a-z')\\"
  expect_eq "$(tree_of "$dest")" "$before" "product folder (AppDir $appdir)"
  expect_eq "$(root_files)" "$root_before" "C:\\ (AppDir $appdir)"
  ! reg_key_exists 'Software\Pelmora' && ! reg_key_exists 'Software\Mixmaster' || fail "a key survived"
done
