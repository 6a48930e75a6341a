#!/bin/sh
# A full disk for real: a 64 KiB tmpfs (root) filled by plstore put until it refuses; every earlier record still reads.
set -u
tool=$1
dir=$2
mnt=$dir/disk
cleanup() { umount "$mnt" 2>/dev/null; }
umount "$mnt" 2>/dev/null
rm -rf "$dir" && mkdir -p "$mnt" || exit 1
if ! mount -t tmpfs -o size=64k tmpfs "$mnt" 2>/dev/null; then
  echo "SKIP: cannot mount a small tmpfs here (needs root and mount permission)"
  exit 77
fi
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
db=$mnt/PL.dbc
i=0
full=0
while [ $i -lt 400 ]; do
  # Each record different and hard to compress, so the file grows fast.
  head -c 600 /dev/urandom | od -An -tx1 > "$dir/rec$i.txt"
  if ! "$tool" put "$db" "box$((i % 5))/rec$i" "$dir/rec$i.txt" 2>"$dir/err"; then
    full=1
    break
  fi
  i=$((i + 1))
done
[ $full -eq 1 ] || fail "the disk never filled"
grep -q "Fatal write error!" "$dir/err" || fail "the failing put did not say: $(cat "$dir/err")"
[ $i -gt 5 ] || fail "only $i records went in before the disk filled"
"$tool" check "$db" || fail "check after the disk filled"
j=0
while [ $j -lt $i ]; do
  "$tool" get "$db" "box$((j % 5))/rec$j" > "$dir/back" || fail "record $j cannot be read"
  tr -d '\r' < "$dir/rec$j.txt" | cmp -s - "$dir/back" || fail "record $j came back different"
  j=$((j + 1))
done
[ -z "$("$tool" get "$db" "box$((i % 5))/rec$i")" ] || fail "the refused record is there"
# Room made again, the store goes on.
for k in 0 1 2 3; do "$tool" rm "$db" "box$k/rec$k" || fail "rm after the disk filled"; done
echo "small" | "$tool" put "$db" box0/small || fail "no write after making room"
"$tool" check "$db" || fail "check after making room"
echo "plstore on a full disk: $i records in, all read back"
