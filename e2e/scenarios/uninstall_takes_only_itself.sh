# The uninstaller's temporary copy deletes its original only while that is the
# very file that started the removal: a new uninstaller put at the same path
# while the removal runs (a script that starts setup at once) stays, and the
# log says why.
install_pelmora
dest="$drive_c/Program Files/Pelmora"
rm -f "$drive_c/takes.log"
# The wizard waits on its notice while this side puts the new uninstaller in place.
drive > "$drive_c/takes.out" <<DRIVE &
start "C:\\Program Files\\Pelmora\\UninstPL.exe" "/LOG=C:\\takes.log"
window "Un-Install Wizard"
click NextBtn
text Notebook Options
click NextBtn
text Notebook Review
$remove_confirmed
window "Pelmora Uninstall"
sleep 5000
$notice_done
DRIVE
driver=$!
# The program files are gone: the removal has passed the uninstaller by.
for _ in $(seq 200); do [ -e "$dest/PL.exe" ] || break; sleep 0.05; done
[ ! -e "$dest/PL.exe" ] || fail "the removal did not delete the program files"
[ -e "$dest/UninstPL.exe" ] && mv "$dest/UninstPL.exe" "$drive_c/old-uninstaller.exe"
printf 'a newer uninstaller\r\n' > "$dest/UninstPL.exe"
wait "$driver" || { cat "$drive_c/takes.out"; fail "the removal's wizard did not end as expected"; }
removal_settled
expect_eq "$(tr -d '\r' < "$dest/UninstPL.exe")" "a newer uninstaller" "the uninstaller put there during the removal"
log="$(tr -d '\r' < "$drive_c/takes.log")"
[ -e "$drive_c/old-uninstaller.exe" ] || fail "the removal deleted its running uninstaller itself"
[[ "$log" == *"UninstPL.exe FAILED: another file stands there since the removal began; it stays"* ]] ||
  fail "the log does not say why the original stays: $log"
