# The mode comes from the program's own name and the first argument only.
cp "$drive_c/dist/setup.exe" "$drive_c/dist/setup1.exe"
cp "$drive_c/dist/setup.exe" "$drive_c/dist/UninstPL.exe"
for arg in "/u" "u" "-uninstall" "x -u"; do
  drive <<DRIVE
start C:\\dist\\setup.exe $arg
window "Pelmora Setup"
close
exit 0
DRIVE
done
for run in 'setup.exe -U' 'setup.exe -u extra' 'setup1.exe' 'UninstPL.exe' 'UninstPL.exe -u'; do
  drive <<DRIVE
start C:\\dist\\$run
no-window "Pelmora Setup" 800
window "Un-Install Wizard"
close
exit 0
DRIVE
done
