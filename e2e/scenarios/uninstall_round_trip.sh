# Install, then remove: of everything the installation wrote, only the
# database and the product folder may be left, and the one temporary copy
# of the uninstaller that did the removal (it cannot delete itself). The wizard is asked to close
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
main-window-hidden
click NextBtn
click NextBtn
lines Memo1 "Pelmora = YES" "Mixmaster = NO"
click NextBtn
box Pelmora "Uninstall now?"
box-owner
answer OK
window Pelmora
gone 8000
window "Un-Install Wizard"
close
window "Pelmora Uninstall"
window "Un-Install Wizard"
lines RichEdit2 $log_pelmora "Done!"
window "Pelmora Uninstall"
click OkBtn
exit 0 5000
DRIVE
removal_settled
after="$(snapshot)"
left="$(LC_ALL=C comm -13 <(printf '%s\n' "$before") <(printf '%s\n' "$after"))"
# The copy's own folder under the user's temporary folder, and nothing else there.
temp="$(grep -E '/PelmoraUninstall-1$' <<<"$left" | sed 's|/PelmoraUninstall-1$||')"
[ -n "$temp" ] || fail "no temporary copy among: $left"
copies="$(grep -F "$temp/" <<<"$left" | paste -sd'|')"
expect_eq "$copies" "$temp/PelmoraUninstall-1|$temp/PelmoraUninstall-1/UninstPL.exe" "temporary copies left"
survivors="$(grep -vF "$temp/" <<<"$left" | paste -sd'|')"
expect_eq "$survivors" "./Program Files/Pelmora|./Program Files/Pelmora/PL.dbc" \
  "what the installation left behind"
