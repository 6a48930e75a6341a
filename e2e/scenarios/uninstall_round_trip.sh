# Install, then remove: of everything the installation wrote, only the
# database, the product folder and the uninstaller that was running (Wine
# will not delete a running program) may be left. The wizard is asked to close
# while it removes: that neither asks nor stops the run, and it closes as soon
# as the run and its notice are over.
# Files of the prefix outside the Windows folder and the test's own, and every
# registry key and value under HKCU\Software, each value named with its key.
# Left out: what Wine's desktop and folder windows keep for themselves
# (Software\Wine, Explorer\Advanced), measured to come with any folder window.
snapshot() {
  {
    (cd "$drive_c" && find . \( -path ./windows -o -path ./artifacts -o -path ./dist \) -prune -o \
      ! -name 'drive.*' -print)
    wine reg query 'HKCU\Software' /s 2>/dev/null | tr -d '\r' | awk '
      /^HKEY_/ { key = $0; print key; next }
      /^    / { sub(/^    /, ""); print key "\\" $0 }' |
      grep -v -e '^HKEY_CURRENT_USER\\Software\\Wine\\' \
        -e '^HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced'
  } | LC_ALL=C sort
}
before="$(snapshot)"
install_pelmora
drive <<DRIVE
start "C:\\Program Files\\Pelmora\\UninstPL.exe"
window "Un-Install Wizard"
click NextBtn
click NextBtn
lines Memo1 "Pelmora = YES" "Mixmaster = NO"
$remove_confirmed
window "Un-Install Wizard"
close
window "Pelmora Uninstall"
window "Un-Install Wizard"
lines RichEdit2 $log_pelmora "Done!"
window "Pelmora Uninstall"
click OkBtn
exit 0 5000
DRIVE
after="$(snapshot)"
survivors="$(LC_ALL=C comm -13 <(printf '%s\n' "$before") <(printf '%s\n' "$after") | paste -sd'|')"
expect_eq "$survivors" "./Program Files/Pelmora|./Program Files/Pelmora/PL.dbc|./Program Files/Pelmora/UninstPL.exe" \
  "what the installation left behind"
