# Values that the code page cannot hold are errors, never their look-alikes:
# /DIR= and /LOG= outside it are usage errors (exit 1) that write nothing, and
# an AppDir or MixDir value outside it deletes nothing, least of all the folder
# its best-fitted spelling would name.
# C:\Lukasz is what "C:\Łukasz" best-fits to: it must come through untouched.
lookalike="$drive_c/Lukasz"
mkdir -p "$lookalike/Pelmora" "$lookalike/Mix"
for f in PL.exe PL.ini ReadMe.txt; do cp "$drive_c/dist/$f" "$lookalike/Pelmora/$f"; done
printf 'mix' > "$lookalike/Mix/mix.exe"
lookalike_tree="$(tree_of "$lookalike")"
root_files() { ls -A "$drive_c" | grep -v -x -e artifacts -e 'drive\..*' | LC_ALL=C sort | paste -sd'|'; }
root_before="$(root_files)"

drive <<'DRIVE'
start C:\dist\setup.exe /S /ADDRESS=a@example.org /SERVER=smtp.example.org /DIR=C:\Łukasz\Pelmora "/LOG=C:\deploy.log"
unseen 1
start C:\dist\setup.exe /S /ADDRESS=a@example.org /SERVER=smtp.example.org "/LOG=C:\Łukasz\deploy.log"
unseen 1
start C:\dist\setup.exe /S /ADDRESS=a@example.org /SERVER=smtp.example.org "/LOG=C:\Łukasz.log"
unseen 1
DRIVE
log="$(tr -d '\r' < "$drive_c/deploy.log")"
grep -qF "Usage error: /DIR= holds characters the system's code page cannot hold" <<<"$log" ||
  fail "the log does not name /DIR="
rm -f "$drive_c/deploy.log"
expect_eq "$(root_files)" "$root_before" "C:\\ after the refused arguments"
expect_eq "$(tree_of "$lookalike")" "$lookalike_tree" "the look-alike folder after the refused arguments"
[ ! -e "$drive_c/Program Files/Pelmora" ] || fail "a refused run installed"
! reg_key_exists 'Software\Pelmora' || fail "a refused run wrote the key"

# An installation whose registry names folders outside the code page that
# have no short form (they do not exist): the removal deletes nothing.
drive <<'DRIVE'
start C:\dist\setup.exe /S /ADDRESS=a@example.org /SERVER=smtp.example.org
unseen 0
DRIVE
dest="$drive_c/Program Files/Pelmora"
before="$(tree_of "$dest")"
wine reg add 'HKCU\Software\Pelmora' /v AppDir /t REG_SZ /d 'C:\Łukasz\Pelmora' /f >/dev/null 2>&1
drive <<'DRIVE'
start "C:\Program Files\Pelmora\UninstPL.exe"
box "Pelmora Uninstall" "The value 'AppDir' (C:\?ukasz\Pelmora) holds characters the system's code page cannot hold."
answer OK
no-window "Un-Install Wizard" 500
exit 0
start "C:\Program Files\Pelmora\UninstPL.exe" /S "/LOG=C:\remove.log"
unseen 2
DRIVE
grep -qF "The value 'AppDir' (C:\\?ukasz\\Pelmora) holds characters the system's code page cannot hold" \
  <(tr -d '\r' < "$drive_c/remove.log") || fail "the removal's log does not name the value"
rm -f "$drive_c/remove.log"
reg_key_exists 'Software\Pelmora' || fail "the key went with an AppDir outside the code page"
expect_eq "$(tree_of "$dest")" "$before" "the product folder (AppDir outside the code page)"
expect_eq "$(tree_of "$lookalike")" "$lookalike_tree" "the look-alike folder (AppDir)"

wine reg add 'HKCU\Software\Pelmora' /v AppDir /t REG_SZ /d 'C:\Program Files\Pelmora' /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Mixmaster' /v MixDir /t REG_SZ /d 'C:\Łukasz\Mix' /f >/dev/null 2>&1
drive <<'DRIVE'
start "C:\Program Files\Pelmora\UninstPL.exe" /S /MIXMASTER "/LOG=C:\remove.log"
unseen 2
DRIVE
grep -qF "The value 'MixDir' (C:\\?ukasz\\Mix) holds characters the system's code page cannot hold" \
  <(tr -d '\r' < "$drive_c/remove.log") || fail "the removal's log does not name MixDir"
reg_key_exists 'Software\Pelmora' && reg_key_exists 'Software\Mixmaster' ||
  fail "a key went with a MixDir outside the code page"
expect_eq "$(tree_of "$dest")" "$before" "the product folder (MixDir outside the code page)"
expect_eq "$(tree_of "$lookalike")" "$lookalike_tree" "the look-alike folder (MixDir)"
