# The uninstaller's temporary copy deletes its original only while that is the
# very file that started the removal: a new uninstaller put at the same path
# while the removal runs (a script that starts setup at once) stays, and the
# log says why.
install_pelmora
dest="$drive_c/Program Files/Pelmora"
rm -f "$drive_c/takes.log"
drive <<DRIVE
start "C:\\Program Files\\Pelmora\\UninstPL.exe" "/LOG=C:\\takes.log"
window "Un-Install Wizard"
click NextBtn
text Notebook Options
click NextBtn
text Notebook Review
click NextBtn
box Pelmora "Uninstall now?"
answer OK
window Pelmora
gone 8000
window "Pelmora Uninstall"
DRIVE
# The removal is done and its notice shows; the copy waits for its original.
# Another setup puts a new uninstaller in place, the old one moved aside.
[ -e "$dest/UninstPL.exe" ] && mv "$dest/UninstPL.exe" "$drive_c/old-uninstaller.exe"
printf 'a newer uninstaller\r\n' > "$dest/UninstPL.exe"
drive <<DRIVE
window "Pelmora Uninstall"
click OkBtn
gone 5000
window "Un-Install Wizard"
wait-text CancelBtn Exit
click CancelBtn
no-box 300
DRIVE
removal_settled
expect_eq "$(tr -d '\r' < "$dest/UninstPL.exe")" "a newer uninstaller" "the uninstaller put there during the removal"
log="$(tr -d '\r' < "$drive_c/takes.log")"
if [ -e "$drive_c/old-uninstaller.exe" ]; then
  [[ "$log" == *"UninstPL.exe FAILED: another file stands there since the removal began; it stays"* ]] ||
    fail "the log does not say why the original stays: $log"
fi
