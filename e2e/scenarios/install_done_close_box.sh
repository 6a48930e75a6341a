# On Done the close box is Exit: with Run Pelmora checked the client starts
# from the destination folder, unchecked nothing starts, and neither way asks.
# Whether a process started is seen from outside, in the process list.
drive <<DRIVE
$to_review
$install_to_done
find-window Pelmora 30000
close
window "Pelmora Setup"
close
no-box 300
exit 0
find-window "Pelmora (demo stand-in)" 20000
text-has 100 "Started in: C:\\Program Files\\Pelmora"
close
DRIVE
for leave in close "click CancelBtn"; do
  drive <<DRIVE || fail "leaving Done by $leave with Run Pelmora unchecked"
no-process PL.exe 3000
start C:\\dist\\setup.exe
window "Pelmora Setup"
text Notebook1 Review
$install_to_done
check RunPelmoraBox 0
$leave
no-box 300
exit 0
no-process PL.exe 3000
DRIVE
done
