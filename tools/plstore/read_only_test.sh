#!/bin/sh
# A store on a read-only mount (a read-only bind mount, as root): reads work, writes are refused, the file is untouched.
set -u
tool=$1
dir=$2
fail() { echo "FAIL: $*" >&2; cleanup; exit 1; }
cleanup() { umount "$dir/ro" 2>/dev/null; }
umount "$dir/ro" 2>/dev/null
rm -rf "$dir" && mkdir -p "$dir/src" "$dir/ro" || exit 1
db=$dir/src/PL.dbc
printf 'Host: mail.example.org\r\n' | "$tool" put "$db" default/message || fail "put"
"$tool" setting "$db" Version 2.0 || fail "setting"
if ! mount --bind "$dir/src" "$dir/ro" 2>/dev/null || ! mount -o remount,bind,ro "$dir/ro" 2>/dev/null; then
  cleanup
  echo "SKIP: no read-only bind mount here (needs root and mount permission)"
  exit 77
fi
trap cleanup EXIT
ro=$dir/ro/PL.dbc
sum=$(cksum < "$db")
[ "$("$tool" get "$ro" default/message)" = "Host: mail.example.org" ] || fail "get"
[ "$("$tool" setting "$ro" Version)" = "2.0" ] || fail "setting read"
[ "$("$tool" ls "$ro" | tr '\n' ,)" = "default,Initialization," ] || fail "ls"
"$tool" check "$ro" || fail "check"
"$tool" dump "$ro" >/dev/null || fail "dump"
echo x | "$tool" put "$ro" default/article 2>"$dir/err"; [ $? -ne 0 ] || fail "put on a read-only mount succeeded"
grep -q "Cannot open file" "$dir/err" || fail "put did not say it could not open the file"
[ "$(cksum < "$db")" = "$sum" ] || fail "the file changed"
echo "plstore on a read-only mount: ok"
