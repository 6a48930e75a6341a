# The main job without a display: the wizard walked page by page on a virtual
# display, a screenshot of each, and the demo installed for real.
drive <<'DRIVE'
start C:\dist\setup.exe
window "Pelmora Setup"
snap 1-start
click NextBtn
set-text EAddr "Jane Doe <jane@example.org>"
set-text Host smtp.example.org
snap 2-address
click NextBtn
snap 3-review
click NextBtn
box Pelmora "Install now?"
snap 4-install-now
answer OK
window Pelmora
wait-text WaitPanel1 "...installing pelmora..." 3000
snap 5-wait
gone 8000
find-window Pelmora 30000
snap 6-program-group
close
window "Pelmora Setup"
wait-text Notebook1 Done
snap 7-done
click CancelBtn
exit 0
find-window "Pelmora (demo stand-in)" 20000
snap 8-pelmora-started
close
DRIVE
echo "The demo was installed into C:\\Program Files\\Pelmora of a scratch Wine prefix."
