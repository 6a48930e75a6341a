# No earlier installation, but a database in the default folder that yields at
# most one of address and server: Start still leads on, and the Address page
# waits for both fields.
db="$drive_c/Program Files/Pelmora/PL.dbc"
mkdir -p "$(dirname "$db")"
for message in "From: " "none"; do
  rm -f "$db"
  if [ "$message" == none ]; then
    plstore put "$db" notes/other <<<"no default message here"
  else
    plstore put "$db" default/message <<<"$message"
  fi
  drive <<'DRIVE' || fail "database with the message '$message'"
start C:\dist\setup.exe
window "Pelmora Setup"
text Notebook1 Start
enabled NextBtn 1
enabled BackBtn 0
click NextBtn
text Notebook1 Address
enabled NextBtn 0
set-text EAddr a@example.org
enabled NextBtn 0
set-text Host smtp.example.org
enabled NextBtn 1
click BackBtn
click CancelBtn
exit 0
DRIVE
done
