# The wizard, started from another current folder as the Apps list starts it,
# rests on Review while another program moves the product folder away (and
# then its parent) and puts a link in its place, leading to a folder of the
# user's own with a planted PL.exe. The folder held since the check cannot be
# moved; what goes through is never followed: the link's target keeps every
# byte, and the removal says what it left. And /LOG= naming a link: exit 1.
install_pelmora 'C:\Mail\Pelmora'
dest="$drive_c/Mail/Pelmora"
decoy="$drive_c/Decoy"
mkdir -p "$decoy/Pelmora"
for f in PL.exe UninstPL.exe QuickStart.rtf ReadMe.txt letter.txt; do printf "the user's %s" "$f" > "$decoy/Pelmora/$f"; done
decoy_before="$(sums_of "$decoy")"
rm -rf "$drive_c/artifacts/at-review.bmp" "$drive_c/remove.log"

drive > "$artefacts/wizard.txt" 2>&1 <<DRIVE &
start-in C:\\ "C:\\Mail\\Pelmora\\UninstPL.exe" "/LOG=C:\\remove.log"
window "Un-Install Wizard"
click NextBtn
click NextBtn
text Notebook Review
snap at-review
sleep 8000
$remove_confirmed
window "Pelmora Uninstall"
$notice_done
DRIVE
wizard=$!
for _ in $(seq 150); do [ -f "$drive_c/artifacts/at-review.bmp" ] && break; sleep 0.2; done
[ -f "$drive_c/artifacts/at-review.bmp" ] || { wait "$wizard"; fail "the wizard did not rest on Review: $(cat "$artefacts/wizard.txt")"; }

# The product folder itself, through the platform: refused while it is held.
wine cmd /c move 'C:\Mail\Pelmora' 'C:\Mail\Pelmora.old' >/dev/null 2>&1 || true
if [ -d "$drive_c/Mail/Pelmora.old" ]; then
  echo "note: the product folder was moved" >&2
  ln -s "$decoy/Pelmora" "$dest"
fi
# Its parent, which any user may rename here: what the removal holds goes with it.
wine cmd /c move 'C:\Mail' 'C:\MailOld' >/dev/null 2>&1 || true
if [ -d "$drive_c/MailOld" ]; then
  echo "note: the parent folder was moved" >&2
  ln -s "$decoy" "$drive_c/Mail"
fi
wait "$wizard" || fail "the wizard's run: $(cat "$artefacts/wizard.txt")"
drive <<< 'processes-end UninstPL.exe 20000' >/dev/null || fail "the uninstaller did not end"
expect_eq "$(sums_of "$decoy")" "$decoy_before" "the link's target"
cp "$drive_c/remove.log" "$artefacts/" 2>/dev/null || true
# What the removal held was the product's folder wherever it went: it was
# emptied, or what stayed keeps the key and the entry for another run (Wine
# deletes a file opened through a folder whose parent was renamed only by
# its old name, so it stays there).
held="$drive_c/MailOld/Pelmora"
[ -d "$held" ] || held="$drive_c/Mail/Pelmora.old"
[ -d "$held" ] || held="$dest"
echo "note: the held folder holds $(tree_of "$held")" >&2
if [ "$(tree_of "$held")" != "PL.dbc" ]; then
  reg_key_exists 'Software\Pelmora' || fail "files stayed in $held ($(tree_of "$held")) and the key went"
  reg_key_exists 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelmora' ||
    fail "files stayed in $held and the installed-programs entry went"
  [ -f "$held/UninstPL.exe" ] || fail "files stayed in $held without the uninstaller"
fi

# /LOG= naming a link: refused by the handle and by the name where the
# platform shows the link as one; Wine 8 shows a host link to a file as a plain
# file (no reparse bit anywhere), so that refusal is proved natively
# (sys/action_log_link_test.cpp) and not here.
