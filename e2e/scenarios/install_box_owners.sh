# The installation's failure boxes belong to the wizard even when the user has
# moved to another program meanwhile: the wizard stays disabled under them, so
# Install cannot be pressed a second time inside the first installation.
dest="$drive_c/Program Files/Pelmora"
mkdir -p "$dest"
echo "old license" > "$dest/License.txt"
wine attrib +r 'C:\Program Files\Pelmora\License.txt' >/dev/null 2>&1

# away_then_box: Install confirmed, the user switches to another program while
# the pause runs, the pause runs out behind it, and the failing step's box
# shows over a wizard that cannot be clicked.
away_then_box() {  # caption text [answer]
  cat <<SNIPPET
click NextBtn
box Pelmora "Install now?"
answer OK
window Pelmora
decoy "Another program"
window Pelmora
gone 8000
box "$1" "$2"
window "Pelmora Setup"
box-owner
window-enabled 0
answer ${3:-OK}
SNIPPET
}
on_review='window-enabled 1
text Notebook1 Review'
retry_text='Cannot replace the file License.txt:{LF}Access denied.{CR}{LF}{LF}Close the program that uses it, then click Retry; or click Cancel.'
running_text='Pelmora is running and must be closed first.{LF}{LF}Close Pelmora, then click Retry; or click Cancel to go back.' 
quit='click CancelBtn
box Pelmora "Quit without installing Pelmora?"
answer Yes
exit 0'

drive <<DRIVE
$to_review
$(away_then_box Pelmora "$retry_text" Cancel)
box "Copy Failed" "System Error: Access denied.{CR}{LF}File: C:\\dist\\License.txt"
window "Pelmora Setup"
box-owner
answer OK
$on_review
$quit
DRIVE
expect_eq "$(cat "$dest/License.txt")" "old license" "the read-only file"

# The box saying Pelmora runs (its database held open) is the wizard's as well.
wine attrib -r 'C:\Program Files\Pelmora\License.txt' >/dev/null 2>&1
plstore put "$dest/PL.dbc" notes/old <<<"existing database"
drive <<DRIVE
$to_review
lock "C:\\Program Files\\Pelmora\\PL.dbc"
$(away_then_box Pelmora "$running_text" Cancel)
$on_review
unlock
$quit
DRIVE
expect_eq "$(plstore get "$dest/PL.dbc" notes/old)" "existing database" "the earlier record"
