# A reinstall of a few hundred files killed at several moments of its copy,
# each followed by a run that fails on its last file (the last but setup.exe
# itself, which a program that holds it would keep from starting): afterwards the product
# folder holds the earlier version whole, never a mix, and no record is left;
# a clean run then installs the new version whole.
dest="$drive_c/Program Files/Pelmora"
count=300
for i in $(seq -w 1 $count); do printf 'earlier %s\r\n' "$i" > "$drive_c/dist/data$i.txt"; done
rm -f "$drive_c/first.log"
drive <<'DRIVE'
start C:\dist\setup.exe /S /ADDRESS=a@example.org /SERVER=smtp.example.org /NOGROUP "/LOG=C:\first.log"
unseen 0 60000
DRIVE
earlier="$(sums_of "$dest")"
# The file the copy takes last, as this file system lists the distribution
# (setup.exe aside: held, it could not be started).
last="$(tr -d '\r' < "$drive_c/first.log" | sed -n 's/.*Copied C:\\dist\\\([^ ]*\) to .*/\1/p' |
  grep -vix setup.exe | tail -n 1)"
[ -n "$last" ] || fail "the log names no copied file"

# The new version: every file's bytes changed in place, so the listing keeps its order.
for f in "$drive_c/dist"/*; do [ -f "$f" ] && printf 'newer bytes\r\n' >> "$f"; done
declare -A after
set_aside() { find "$dest/~PLset.tmp" -maxdepth 1 -name '~PLset*.tmp' 2>/dev/null | wc -l; }

for moment in 1 60 180 290; do
  # Killed once this many earlier files are set aside (or when it ends first).
  wine 'C:\dist\setup.exe' /S /NOGROUP >/dev/null 2>&1 &
  pid=$!
  while kill -0 "$pid" 2>/dev/null && [ "$(set_aside)" -lt "$moment" ]; do sleep 0.02; done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  drive <<< 'processes-end setup.exe 20000' >/dev/null || fail "setup.exe still runs after the kill"
  echo "moment $moment: $(set_aside) set aside when killed"

  # The next run fails on its last file (another program holds it): it puts
  # the killed run's files back first, then rolls its own back.
  drive <<DRIVE
lock C:\\dist\\$last
start C:\\dist\\setup.exe /S /NOGROUP "/LOG=C:\\rerun.log"
unseen 2 60000
unlock
DRIVE
  after[$moment]="$(sums_of "$dest")"
  [ "${after[$moment]}" == "$earlier" ] || echo "moment $moment: not the earlier version; checked against the new one below"
done

# A clean run then takes the new version whole.
drive <<'DRIVE'
start C:\dist\setup.exe /S /NOGROUP
unseen 0 60000
DRIVE
for i in 001 150 $count; do
  expect_eq "$(tr -d '\r' < "$dest/data$i.txt" | tail -n 1)" "newer bytes" "data$i.txt after the clean run"
done
[ ! -e "$dest/~PLset.tmp" ] || fail "the work folder survived the clean run"
# Each moment left one version whole: the earlier, or the new one when the
# killed run had committed before the kill came.
newer="$(sums_of "$dest")"
for moment in "${!after[@]}"; do
  [ "${after[$moment]}" == "$earlier" ] || expect_eq "${after[$moment]}" "$newer" \
    "the product folder after a kill at $moment and a failed rerun"
done
