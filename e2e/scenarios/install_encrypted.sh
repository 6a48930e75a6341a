# An earlier installation whose database exists only encrypted: the notice on
# Review, Back disabled, and the encrypted file left exactly as it was.
dest="$drive_c/Program Files/Pelmora"
mkdir -p "$dest"
printf 'sealed database bytes' > "$dest/PL.pgp"
wine reg add 'HKCU\Software\Pelmora' /v AppDir /t REG_SZ /d 'C:\Program Files\Pelmora' /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Pelmora' /v 'Program Group' /t REG_SZ /d Pelmora /f >/dev/null 2>&1
drive <<DRIVE
start C:\\dist\\setup.exe
window "Pelmora Setup"
text Notebook1 Review
snap encrypted-notice
text RichEdit3 "I have found that your PL database is encrypted. Because of this I am unable to retrieve current configuration values. This is not a problem though. Click 'Install' to complete program setup."
enabled BackBtn 0
enabled NextBtn 1
text EAddr ""
$install_to_done
$exit_quietly
DRIVE
expect_eq "$(cat "$dest/PL.pgp")" "sealed database bytes" "PL.pgp"
[ ! -e "$dest/PL.dbc" ] || fail "a plain database was written beside the encrypted one"
[ -f "$dest/UninstPL.exe" ] || fail "the files were not installed"
