# Unattended runs that must not go ahead: each ends with its exit code and a
# line saying why, and leaves nothing behind.
nothing_installed() {
  [ ! -e "$drive_c/Program Files/Pelmora" ] || fail "$1: the product folder was made"
  ! reg_key_exists 'Software\Pelmora' || fail "$1: the product key was written"
}
drive <<'DRIVE'
start C:\dist\setup.exe /S /SERVER=smtp.example.org "/LOG=C:\f.log"
unseen 1
start C:\dist\setup.exe /S /ADDRESS=a /SERVER=h /FOLDER=C:\x "/LOG=C:\f.log"
unseen 1
start C:\dist\setup.exe /S /ADDRESS=a /SERVER=h /DIR= "/LOG=C:\f.log"
unseen 1
start C:\dist\setup.exe /S /ADDRESS=a /SERVER=h "/DIR=C:\Program Files\P|L" "/LOG=C:\f.log"
unseen 2
start C:\dist\setup.exe /S /ADDRESS=a /SERVER=h "/DIR=Q:\Nowhere\Pelmora" "/LOG=C:\f.log"
unseen 2
start C:\dist\setup.exe /S /ADDRESS=a /SERVER=h "/LOG=C:\no such folder\f.log"
unseen 1
start C:\dist\setup.exe -u /S "/LOG=C:\f.log"
unseen 3
DRIVE
nothing_installed "refused runs"
log="$(tr -d '\r' < "$drive_c/f.log")"
cp "$drive_c/f.log" "$artefacts/failures.log"
for line in 'Usage error: a first installation needs /ADDRESS= and /SERVER=' \
            'Usage error: Unknown switch: /FOLDER=C:\x' 'Usage error: Empty value: /DIR=' \
            'Message "PelmoraFolder Creation Error": Unable to create the destination folder.' \
            'Nothing to remove: neither Pelmora nor Mixmaster is installed' 'Exit code 3'; do
  grep -qF -- "$line" <<<"$log" || fail "the log lacks: $line"
done
expect_eq "$(grep -c 'Folder Creation Error' <<<"$log")" 2 "folder errors logged"
[ ! -e "$drive_c/no such folder" ] || fail "the log's folder was made"

# An earlier log is appended to, never cut.
before="$(wc -c < "$drive_c/f.log")"
drive <<'DRIVE'
start C:\dist\setup.exe /S /BOGUS "/LOG=C:\f.log"
unseen 1
DRIVE
[ "$(wc -c < "$drive_c/f.log")" -gt "$before" ] || fail "the log did not grow"
head -c "$before" "$drive_c/f.log" | cmp -s - <(head -c "$before" "$artefacts/failures.log") || fail "the log was rewritten"

# /? from a console prints the switches and starts nothing.
usage="$(cd "$drive_c/dist" && wine setup.exe /? 2>/dev/null | tr -d '\r')"
[[ "$usage" == *'Usage: setup.exe [/S [/DIR=folder [/FORCEDIR]] [/ADDRESS=text] [/SERVER=host] [/NOGROUP]] [/LOG=file]'* ]] ||
  fail "setup.exe /? printed: $usage"
[[ "$usage" == *'  /FORCEDIR  install into the /DIR folder even when it holds other files;'* ]] ||
  fail "setup.exe /? does not explain /FORCEDIR: $usage"
usage="$(cd "$drive_c/dist" && wine setup.exe -u /HELP 2>/dev/null | tr -d '\r')"
[[ "$usage" == *'Usage: UninstPL.exe [/S [/MIXMASTER]] [/LOG=file]'* ]] || fail "setup.exe -u /HELP printed: $usage"
nothing_installed "usage"
