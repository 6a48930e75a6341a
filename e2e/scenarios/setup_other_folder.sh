# setup.exe started from a current folder that is not the distribution (a
# folder with files of its own) installs exactly the distribution, wizard and
# unattended alike.
mkdir -p "$drive_c/Elsewhere"
printf 'mine\r\n' > "$drive_c/Elsewhere/letter.txt"
printf 'MZ other' > "$drive_c/Elsewhere/PL.exe"
dist_files="License.txt|PL.dbc|PL.exe|PL.ini|QuickStart.rtf|ReadMe.txt|UninstPL.exe"
same_as_dist() {  # folder
  expect_eq "$(tree_of "$1")" "$dist_files" "what $1 holds"
  cmp -s "$1/PL.exe" "$drive_c/dist/PL.exe" || fail "PL.exe in $1 is not the distribution's"
  cmp -s "$1/UninstPL.exe" "$drive_c/dist/setup.exe" || fail "UninstPL.exe in $1 is not setup.exe"
}

drive <<'DRIVE'
start-in C:\Elsewhere C:\dist\setup.exe /S /DIR=C:\Quiet /ADDRESS=a@example.org /SERVER=smtp.example.org /NOGROUP
unseen 0
DRIVE
same_as_dist "$drive_c/Quiet"
expect_eq "$(reg_value 'Software\Pelmora' Version)" ".9b2" "Version"
wine reg delete 'HKCU\Software\Pelmora' /f >/dev/null 2>&1

drive <<DRIVE
start-in C:\Elsewhere C:\dist\setup.exe
window "Pelmora Setup"
text-has Appname ".9b2"
set-text AppDIR C:\Wizard
check GroupBox 0
click NextBtn
set-text EAddr a@example.org
set-text Host smtp.example.org
click NextBtn
$install_to_done
check RunPelmoraBox 0
click CancelBtn
exit 0
DRIVE
same_as_dist "$drive_c/Wizard"
expect_eq "$(tree_of "$drive_c/Elsewhere")" "PL.exe|letter.txt" "the current folder"
