# A reinstall onto a disk that fills up during the copy: exit 2, every file of
# the earlier installation byte for byte as it was and no temporary file left;
# with room made again, the same reinstall goes through. The disk is a real
# 2 MiB tmpfs (root only), seen by Wine as drive P:: room for an installation
# and a whole second copy of it, as the copy needs until it commits.
disk="$(mktemp -d)"
if ! mount -t tmpfs -o size=2m tmpfs "$disk" 2>/dev/null; then
  rmdir "$disk"
  echo "SKIP: cannot mount a small tmpfs here (needs root and mount permission)"
  exit 77
fi
trap 'rc=$?; umount -l "$disk" 2>/dev/null; rmdir "$disk" 2>/dev/null; (exit $rc); finish' EXIT
ln -s "$disk" "$WINEPREFIX/dosdevices/p:"
dest="$disk/Pelmora"

drive <<'DRIVE'
start C:\dist\setup.exe /S /DIR=P:\Pelmora /ADDRESS=a@example.org /SERVER=smtp.example.org /NOGROUP
unseen 0
DRIVE
[ -f "$dest/UninstPL.exe" ] || fail "the first installation did not reach P:"

# A changed distribution with a file larger than the room left on the disk.
printf 'A newer read me.\r\n' > "$drive_c/dist/ReadMe.txt"
head -c 300000 /dev/urandom > "$drive_c/dist/Big.dat"
dd if=/dev/zero of="$disk/filler" bs=4096 2>/dev/null || true
truncate -s -160K "$disk/filler"
before="$(sums_of "$dest")"

drive <<'DRIVE'
start C:\dist\setup.exe /S /DIR=P:\Pelmora "/LOG=C:\full.log"
unseen 2
DRIVE
expect_eq "$(sums_of "$dest")" "$before" "the earlier installation after the disk filled"
grep -qF 'Message "Copy Failed": System Error: ' "$drive_c/full.log" || fail "no Copy Failed in the log"

rm "$disk/filler"
drive <<'DRIVE'
start C:\dist\setup.exe /S /DIR=P:\Pelmora
unseen 0
DRIVE
cmp -s "$dest/Big.dat" "$drive_c/dist/Big.dat" || fail "Big.dat after room was made"
cmp -s "$dest/ReadMe.txt" "$drive_c/dist/ReadMe.txt" || fail "ReadMe.txt after room was made"
