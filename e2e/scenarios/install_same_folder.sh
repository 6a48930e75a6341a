# Installing into the distribution folder itself, however it is written: no
# folder made, nothing copied, but registry, templates and group all done.
install_into() {  # <folder in the wizard> <setup.exe to start>
  drive <<DRIVE
start "$2"
window "Pelmora Setup"
set-text AppDIR "$1"
click NextBtn
set-text EAddr a@example.org
set-text Host smtp.example.org
click NextBtn
$install_to_done
$exit_quietly
DRIVE
}
install_into 'c:\DIST\' 'C:\dist\setup.exe'
[ ! -e "$drive_c/dist/UninstPL.exe" ] || fail "setup copied itself into its own folder"
expect_eq "$(reg_value 'Software\Pelmora' AppDir)" 'c:\DIST' AppDir
expect_eq "$(plstore get "$drive_c/dist/PL.dbc" default/message | sed -n 3p)" "From: a@example.org" "message"
expect_eq "$(plstore get "$drive_c/dist/PL.dbc" Initialization)" "" "settings copied from PL.ini"

cp -r "$drive_c/dist" "$drive_c/Distribution Folder"
rm -f "$drive_c/Distribution Folder/PL.dbc"
short="$(drive <<<'short-path "C:\Distribution Folder"' | sed -n 's/^short //p')"
[ -n "$short" ] && [ "$short" != 'C:\Distribution Folder' ] || fail "no short name for the folder: '$short'"
wine reg delete 'HKCU\Software\Pelmora' /f >/dev/null 2>&1  # a first installation again
install_into "$short" 'C:\Distribution Folder\setup.exe'
[ ! -e "$drive_c/Distribution Folder/UninstPL.exe" ] || fail "setup copied itself into its own folder (short form)"
expect_eq "$(reg_value 'Software\Pelmora' AppDir)" "$short" "AppDir (short form)"
expect_eq "$(plstore get "$drive_c/Distribution Folder/PL.dbc" default/message | sed -n 3p)" "From: a@example.org" "message (short form)"
