# A distribution folder that holds setup.exe but not PL.exe is refused before
# anything is made: unattended, exit 2 and a log line; in the wizard, a box of
# its own naming the folder, and Next stays on Review.
rm -f "$drive_c/dist/PL.exe"
state() {
  (cd "$drive_c" && find . \( -path ./windows -o -path ./artifacts \) -prune -o ! -name 'drive.*' -print) |
    LC_ALL=C sort
  wine reg query 'HKCU\Software' /s 2>/dev/null | tr -d '\r' | grep '^HKEY_' |
    grep -v -e '\\Software\\Wine' -e 'Explorer\\Advanced' | LC_ALL=C sort
}
before="$(state)"

drive <<'DRIVE'
start C:\dist\setup.exe /S /ADDRESS=a@example.org /SERVER=smtp.example.org "/LOG=C:\deploy.log"
unseen 2
DRIVE
grep -qF 'Not installing: The folder C:\dist\ does not hold PL.exe, the program to install.' \
  <(tr -d '\r' < "$drive_c/deploy.log") || fail "the log does not say why nothing was installed"
grep -qF 'Exit code 2' <(tr -d '\r' < "$drive_c/deploy.log") || fail "the log lacks the exit code"
rm -f "$drive_c/deploy.log"
expect_eq "$(state)" "$before" "what the unattended run changed"

drive <<DRIVE
$to_review
click NextBtn
box "Setup Error" "The folder{LF}C:\\dist\\{LF}does not hold PL.exe, the program to install.{LF}{LF}Nothing has been installed. Start setup.exe from the folder that holds the whole Pelmora distribution."
box-owner
answer OK
no-box 300
text Notebook1 Review
text NextBtn Install
$quit_setup
DRIVE
expect_eq "$(state)" "$before" "what the wizard changed"
