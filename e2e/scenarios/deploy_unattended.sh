# Unattended installation and removal against the wizard's: the same result in
# another prefix, the system's list of installed programs, a reinstall that
# keeps the user's records and window values, and no window at any moment.

# state_of: everything the installation wrote, in a form two prefixes can be
# compared by: files with their checksums (the database byte for byte), the
# product's registry values, the installed-programs entry without its date,
# the shortcuts' fields as lnkinfo reads them.
state_of() {
  local dest="$drive_c/Program Files/Pelmora" programs lnk
  (cd "$dest" && find . -type f | LC_ALL=C sort | xargs md5sum)
  for key in 'Software\Pelmora' 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelmora'; do
    wine reg query "HKCU\\$key" 2>/dev/null | tr -d '\r' | grep '^    ' | grep -v InstallDate | LC_ALL=C sort
  done
  programs="$(unix_path "$(programs_folder)")"
  for lnk in "$programs"/Pelmora/*; do
    echo "$(basename "$lnk")"
    lnkinfo "$lnk" 2>/dev/null | tr -d '\r' | grep -E 'Local path|Description|Working directory|Icon location'
  done
}

# The wizard's installation, in a second prefix made from the same template.
prefix2="$PEL_WINE_ROOT/prefixes/$group-wizard"
rm -rf "$prefix2" && wine_copy_template "$prefix2"
cp -r "$build/demo-dist" "$prefix2/drive_c/dist"
cp "$build/e2e/pldriver.exe" "$prefix2/drive_c/"
wizard_state="$(
  export WINEPREFIX="$prefix2"; drive_c="$prefix2/drive_c"
  install_pelmora >/dev/null
  state_of
  wineserver -k >/dev/null 2>&1
)"
[ -n "$wizard_state" ] || fail "the wizard's installation left nothing to compare"

before_install="$(wine uninstaller --list 2>/dev/null | tr -d '\r')"
[[ "$before_install" != *"Pelmora|||Pelmora"* ]] || fail "Pelmora listed before any installation"

# The same inputs without a window: nothing shows at any moment, exit 0.
drive <<'DRIVE'
start C:\dist\setup.exe /S /ADDRESS=a@example.org /SERVER=smtp.example.org "/LOG=C:\deploy.log"
unseen 0
DRIVE
expect_eq "$(state_of)" "$wizard_state" "unattended installation against the wizard's"
[[ "$(wine uninstaller --list 2>/dev/null | tr -d '\r')" == *"Pelmora|||Pelmora"* ]] ||
  fail "Pelmora missing from the list of installed programs"
date_value="$(reg_value 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelmora' InstallDate)"
expect_eq "$date_value" "$(date +%Y%m%d)" "InstallDate"
rm -rf "$prefix2"

# A reinstall over it keeps the user's records and window values.
dest="$drive_c/Program Files/Pelmora"
printf 'kept\r\n' | plstore put "$dest/PL.dbc" inbox/first
wine reg add 'HKCU\Software\Pelmora' /v WindowPos /t REG_SZ /d '10,20,600,400' /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Pelmora' /v WindowState /t REG_DWORD /d 2 /f >/dev/null 2>&1
drive <<'DRIVE'
start C:\dist\setup.exe /s /server=smtp2.example.org "/LOG=C:\deploy.log"
unseen 0
DRIVE
expect_eq "$(plstore get "$dest/PL.dbc" inbox/first | tr -d '\r')" "kept" "a record of the user's"
expect_eq "$(plstore get "$dest/PL.dbc" default/message | sed -n 2,3p | tr '\n' '|')" \
  "Host: smtp2.example.org|From: a@example.org|" "default message after the reinstall"
expect_eq "$(reg_value 'Software\Pelmora' WindowPos)" '10,20,600,400' WindowPos
expect_eq "$(reg_value 'Software\Pelmora' WindowState)" '0x2' WindowState

# Removal without a window leaves what the wizard's removal leaves.
drive <<'DRIVE'
start "C:\Program Files\Pelmora\UninstPL.exe" /S "/LOG=C:\deploy.log"
unseen 0
DRIVE
removal_settled
expect_eq "$(tree_of "$dest")" "PL.dbc" "what the removal left in the product folder"
! reg_key_exists 'Software\Pelmora' || fail "the product key survived"
! reg_key_exists 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelmora' || fail "the installed-programs entry survived"
[[ "$(wine uninstaller --list 2>/dev/null | tr -d '\r')" != *"Pelmora|||Pelmora"* ]] ||
  fail "Pelmora still listed after the removal"
programs="$(unix_path "$(programs_folder)")"
[ ! -e "$programs/Pelmora" ] || fail "the program group survived"

# One log for the three runs, appended, each action on its own line.
log="$(tr -d '\r' < "$drive_c/deploy.log")"
cp "$drive_c/deploy.log" "$artefacts/deploy.log"
# The removal starts twice: the installed uninstaller, then its temporary copy.
expect_eq "$(grep -c 'started unattended' <<<"$log")" 4 "runs in the log"
grep -qF 'Removing from the temporary copy ' <<<"$log" || fail "the log does not name the temporary copy"
for line in 'Copied C:\dist\PL.exe to C:\Program Files\Pelmora\~PLset' '.tmp to C:\Program Files\Pelmora\PL.exe' \
            'Registry value HKCU\Software\Pelmora\AppDir = "C:\Program Files\Pelmora"' \
            'Creating program group: done' 'Deleted C:\Program Files\Pelmora\PL.exe' \
            'Registry key HKCU\Software\Pelmora deleted' '   registry key...done' 'Exit code 0'; do
  grep -qF -- "$line" <<<"$log" || fail "the log lacks: $line"
done
