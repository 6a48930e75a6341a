# Setup started from a read-only distribution (a CD or a write-protected share):
# every file read-only, the medium itself read-only. It reads its version,
# installs, installs again over itself, and leaves files the client can write.
src="$drive_c/cd-image"
cd_dir="$drive_c/cd"
cp -r "$build/demo-dist" "$src"
wine attrib +r 'C:\cd-image\*' >/dev/null 2>&1
mkdir -p "$cd_dir"
# A read-only medium needs a read-only mount, which needs root; without it the
# attributes alone make the distribution read-only (Wine honours them then).
if mount --bind "$src" "$cd_dir" 2>/dev/null; then
  # Unmounted before the runner's own ending removes the prefix; that ending
  # reads the scenario's status from $?, hence the (exit) once errexit is off.
  trap 'rc=$?; set +e; umount "$cd_dir" 2>/dev/null; (exit $rc); finish' EXIT
  mount -o remount,bind,ro "$cd_dir" || fail "cannot make the mount read-only"
  ! touch "$cd_dir/probe" 2>/dev/null || fail "the medium is writable"
else
  echo "no read-only mount (not root): read-only attributes only"
  rmdir "$cd_dir" && mv "$src" "$cd_dir"
fi
wine cmd /c attrib 'C:\cd\PL.ini' 2>/dev/null | grep -q '^A *R ' || fail "PL.ini is not read-only"

drive <<DRIVE
start C:\\cd\\setup.exe
window "Pelmora Setup"
text Appname "Pelmora .9b2"
click NextBtn
set-text EAddr a@example.org
set-text Host smtp.example.org
click NextBtn
$install_and_leave
DRIVE

# Only the read-only bit is gone from the copies.
attributes="$(wine cmd /c attrib 'C:\Program Files\Pelmora\*' 2>/dev/null | tr -d '\r')"
expect_eq "$(grep -c 'C:' <<<"$attributes")" "7" "installed files: $attributes"
expect_eq "$(grep -c '^A  *C:' <<<"$attributes")" "7" "files without the read-only bit: $attributes"

drive <<DRIVE
start C:\\cd\\setup.exe
window "Pelmora Setup"
text Notebook1 Review
$install_to_done
$exit_quietly
DRIVE

db="$drive_c/Program Files/Pelmora/PL.dbc"
plstore put "$db" notes/written <<<"the client writes here" || fail "PL.dbc refused a write"
expect_eq "$(plstore get "$db" notes/written)" "the client writes here" "the written record"
expect_eq "$(plstore get "$db" default/message | sed -n 3p)" "From: a@example.org" "message"
plstore check "$db" >/dev/null || fail "PL.dbc does not check out"
