# A copy that fails on one file (a folder of that name in the destination)
# leaves every file of the earlier installation byte for byte as it was and no
# temporary file, unattended (exit 2) and in the wizard ("Copy Failed"); a
# first installation that fails leaves nothing half-copied either.
install_pelmora >/dev/null
dest="$drive_c/Program Files/Pelmora"
# A changed distribution: a file changed, a file added.
printf 'A newer read me.\r\n' > "$drive_c/dist/ReadMe.txt"
printf 'new notes\r\n' > "$drive_c/dist/Notes.txt"
mkdir "$dest/Notes.txt"
before="$(sums_of "$dest")"

drive <<'DRIVE'
start C:\dist\setup.exe /S "/LOG=C:\copy.log"
unseen 2
DRIVE
expect_eq "$(sums_of "$dest")" "$before" "the earlier installation after the unattended copy failed"
grep -qF 'Message "Copy Failed": System Error: ' "$drive_c/copy.log" || fail "no Copy Failed in the log"

drive <<DRIVE
start C:\dist\setup.exe
window "Pelmora Setup"
wait-text Notebook1 Review
$confirm_install
box-any
answer Cancel
box "Copy Failed"
snap copy-failed
answer OK
window "Pelmora Setup"
text Notebook1 Review
$quit_setup
DRIVE
expect_eq "$(sums_of "$dest")" "$before" "the earlier installation after the wizard's copy failed"

# A first installation into a folder that holds only what is in the way.
mkdir -p "$drive_c/Fresh/Notes.txt"
drive <<'DRIVE'
start C:\dist\setup.exe /S /DIR=C:\Fresh /NOGROUP
unseen 2
DRIVE
expect_eq "$(tree_of "$drive_c/Fresh")" "Notes.txt" "the first installation's folder"
