#!/bin/sh
# Limits through the plstore binary: 2 GiB sizes, a file at the 2 GiB limit, zlib bombs and long tails under a memory limit.
set -u
tool=$1
dir=$2
here=$(dirname "$0")
rm -rf "$dir" && mkdir -p "$dir" || exit 1
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }
craft() { python3 "$here/craft_store.py" "$@" || { echo "cannot craft $*" >&2; exit 1; }; }
db=$dir/PL.dbc

# Inputs of 2 GiB and of 4 GiB + 3 bytes (sparse, never read) are refused whole.
printf 'Host: a\r\n' | "$tool" put "$db" default/message || fail "first put"
before=$(cksum < "$db")
for size in 2147483648 4294967299; do
  truncate -s "$size" "$dir/big.txt"
  "$tool" put "$db" default/article "$dir/big.txt" 2>"$dir/err"; status=$?
  [ $status -eq 2 ] || fail "put of $size bytes exits $status, not 2"
  grep -q "a record holds less than 2 GiB" "$dir/err" || fail "put of $size bytes does not say why"
  [ "$(cksum < "$db")" = "$before" ] || fail "put of $size bytes changed the store"
done
rm -f "$dir/big.txt"

# A store 400 bytes short of 2 GiB (sparse): a replacement that cannot be
# placed fails, and frees nothing a later write could take.
craft at-limit "$dir/limit.dbc"
head -c 3000 /dev/urandom | od -An -tx1 > "$dir/long.txt"  # does not compress below 400 bytes
"$tool" put "$dir/limit.dbc" A "$dir/long.txt" 2>/dev/null; status=$?
[ $status -eq 2 ] || fail "a replacement past 2 GiB exits $status, not 2"
echo "the other record" | "$tool" put "$dir/limit.dbc" C || fail "a small write after it"
[ "$("$tool" get "$dir/limit.dbc" A)" = "old text of A, sixty bytes or so, raw and uncompressed...." ] ||
  fail "A lost its text to a later write"
"$tool" check "$dir/limit.dbc" || fail "check of the store at the limit"

# Memory: a record claiming 2^31 - 1 bytes that inflates to 600 MiB of line
# feeds, read under a 512 MiB address-space limit, is an error, not an abort.
if prlimit --as=536870912 true 2>/dev/null; then
  craft data-bomb "$dir/bomb.dbc" 629145600
  prlimit --as=536870912 "$tool" get "$dir/bomb.dbc" bomb >/dev/null 2>"$dir/err"; status=$?
  [ $status -eq 2 ] || fail "get of a zlib bomb exits $status, not 2"
  grep -q "out of memory" "$dir/err" || fail "get of a zlib bomb does not say why"
  [ "$(prlimit --as=536870912 "$tool" setting "$dir/bomb.dbc" Version)" = "1" ] || fail "setting beside a bomb"
  craft settings-bomb "$dir/sbomb.dbc" 629145600
  prlimit --as=536870912 "$tool" setting "$dir/sbomb.dbc" Version >"$dir/out" 2>/dev/null; status=$?
  [ $status -eq 2 ] && [ ! -s "$dir/out" ] || fail "setting from a bombed settings record exits $status"
  echo x | prlimit --as=536870912 "$tool" put "$dir/sbomb.dbc" Initialization 2>/dev/null ||
    fail "a bombed record cannot be replaced"
  # A valid store with a 20 GiB tail (sparse) is read within 256 MiB.
  craft tail "$dir/tail.dbc" 21474836480
  prlimit --as=268435456 "$tool" check "$dir/tail.dbc" || fail "check of a store with a 20 GiB tail"
  prlimit --as=268435456 "$tool" dump "$dir/tail.dbc" | grep -q "file size: 214748366[0-9][0-9]$" ||
    fail "dump of a store with a 20 GiB tail"
  [ "$(prlimit --as=268435456 "$tool" setting "$dir/tail.dbc" Version)" = "1" ] || fail "setting beside a tail"
else
  echo "SKIP: prlimit cannot limit memory here"
fi
rm -rf "$dir"
[ $failed -eq 0 ] && echo "plstore limits: ok"
exit $failed
