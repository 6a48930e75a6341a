# Setup run over an earlier installation: it opens on Review with what is
# stored, keeps the window settings and every other record, opens no window.
drive <<DRIVE
start C:\\dist\\setup.exe
window "Pelmora Setup"
click NextBtn
set-text EAddr "Jane Doe <jane@example.org>"
set-text Host smtp.example.org
click NextBtn
$install_and_leave
DRIVE

db="$drive_c/Program Files/Pelmora/PL.dbc"
printf 'first kept line\r\nsecond kept line\r\n' | plstore put "$db" notes/kept
plstore put "$db" default/message <<'MSG'
Fcc: outbox
Host: mail.changed.org
From: Jane Doe <jane@example.org>

~~
MSG
kept_before="$(plstore cat "$db" notes/kept | md5sum)"
wine reg add 'HKCU\Software\Pelmora' /v WindowState /t REG_DWORD /d 2 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Pelmora' /v WindowPos /t REG_SZ /d '10,20,600,400' /f >/dev/null 2>&1

drive <<DRIVE
start C:\\dist\\setup.exe
window "Pelmora Setup"
text Notebook1 Review
snap review-over-earlier
text AppDIR "C:\\Program Files\\Pelmora"
text EAddr "Jane Doe <jane@example.org>"
text Host mail.changed.org
checked GroupBox 1
enabled BackBtn 1
text NextBtn Install
text RichEdit3 "Folder = C:\\Program Files\\Pelmora{CR}{LF}Address = Jane Doe <jane@example.org>{CR}{LF}MailHost = mail.changed.org{CR}{LF}ProgramGroup = yes"
$install_to_done
no-find-window Pelmora 1500
$exit_quietly
DRIVE

expect_eq "$(reg_value 'Software\Pelmora' WindowState)" '0x2' WindowState
expect_eq "$(reg_value 'Software\Pelmora' WindowPos)" '10,20,600,400' WindowPos
expect_eq "$(plstore cat "$db" notes/kept | md5sum)" "$kept_before" "the other record"
expect_eq "$(plstore get "$db" default/message | sed -n 2p)" "Host: mail.changed.org" "rewritten message"
expect_eq "$(plstore get "$db" default/message | wc -l)" "8" "message lines"
plstore check "$db" >/dev/null || fail "PL.dbc does not check out"
