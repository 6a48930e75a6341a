# Where no copy can be made, or none is needed, the uninstaller removes from
# where it is, as it always did, and the log says so: a temporary folder that
# cannot be written, and setup.exe -u from the distribution.
dest="$drive_c/Program Files/Pelmora"
in_log() { tr -d '\r' < "$drive_c/remove.log" | grep -qF -- "$1" || fail "the log lacks '$1'"; }

install_pelmora
wine reg add 'HKCU\Environment' /v TEMP /t REG_SZ /d 'C:\no-temp' /f >/dev/null 2>&1
wine reg add 'HKCU\Environment' /v TMP /t REG_SZ /d 'C:\no-temp' /f >/dev/null 2>&1
rc=0
wine 'C:\Program Files\Pelmora\UninstPL.exe' /S '/LOG=C:\remove.log' >/dev/null 2>&1 || rc=$?
expect_eq "$rc" 0 "exit code with no temporary folder"
removal_settled
in_log 'Removing in place: the temporary folder C:\no-temp\ cannot be written (error 3)'
expect_eq "$(tree_of "$dest")" "PL.dbc|UninstPL.exe" "product folder after removing in place"
[ ! -e "$drive_c/no-temp" ] || fail "a temporary folder was made"

wine reg delete 'HKCU\Environment' /v TEMP /f >/dev/null 2>&1
wine reg delete 'HKCU\Environment' /v TMP /f >/dev/null 2>&1
install_pelmora
rm -f "$drive_c/remove.log"
rc=0
wine 'C:\dist\setup.exe' -u /S '/LOG=C:\remove.log' >/dev/null 2>&1 || rc=$?
expect_eq "$rc" 0 "exit code of setup.exe -u"
in_log 'Removing in place: it was not started from the product folder C:\Program Files\Pelmora\'
expect_eq "$(tree_of "$dest")" "PL.dbc" "product folder after setup.exe -u"
[ -z "$(find "$drive_c/users" -type d -name 'PelmoraUninstall-*')" ] || fail "a copy was made for setup.exe -u"
