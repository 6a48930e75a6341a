# Wizard installations by users whose names lie outside the code page, each
# walked from setup.exe in that user's Downloads folder to Done.
source "$here/foreign_users.sh"
for user in "${foreign_users[@]}"; do
  user_prefix "$user"
  drive <<DRIVE || fail "$user: the wizard's installation"
start "$downloads_w\\setup.exe"
window "Pelmora Setup"
click NextBtn
set-text EAddr a@example.org
set-text Host smtp.example.org
click NextBtn
text Notebook1 Review
$install_and_leave
DRIVE
  check_user_installation "$user"
  echo "$user: installed"
done
