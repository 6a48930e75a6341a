#!/bin/sh
# Reads, with lnkinfo on the Linux side, the shortcuts that CreateShortcut made under Wine.
# usage: lnk_roundtrip_test.sh <scripts/wine-exec> <sys_lnk_helper.exe>
set -u
wine_exec=$1
helper=$2
group=sys_lnk_roundtrip
failed=0

command -v lnkinfo >/dev/null 2>&1 || { echo "lnkinfo (liblnk-utils) is not installed"; exit 1; }

# The prefix wine-exec will use for this group.
. "$(dirname "$wine_exec")/wine-env.sh"
prefix="$PEL_WINE_ROOT/prefixes/$group"
rm -rf "$prefix/drive_c/pel-lnk-check"

PEL_WINE_GROUP=$group "$wine_exec" "$helper" 'C:\pel-lnk-check' || { echo "helper failed"; exit 1; }
dir="$prefix/drive_c/pel-lnk-check"

# lnkinfo's fields as "Label: value" lines.
fields() {
  lnkinfo "$dir/$1" 2>/dev/null | tr -d '\r' | sed -n 's/^\t\([^\t]*\)\t*: \{0,1\}/\1: /p'
}
# expect <link> <label> <value>: lnkinfo shows the field with exactly this value.
expect() {
  if fields "$1" | grep -Fqx "$2: $3"; then
    return 0
  fi
  echo "FAIL $1: expected '$2: $3'; lnkinfo said:"
  fields "$1" | grep -F "$2" || echo "  (no $2)"
  failed=1
}
# absent <link> <what>: the link does not contain that string.
absent() {
  if lnkinfo "$dir/$1" 2>/dev/null | grep -Fq "Contains a $2 string"; then
    echo "FAIL $1: the $2 should not be set"
    failed=1
  fi
}

expect Pelmora.lnk "Local path" 'C:\pel-lnk-check\Pel Dir\PL.exe'
expect Pelmora.lnk "Description" 'Pelmora'
expect Pelmora.lnk "Working directory" 'c:\pel-lnk-check\pel dir\'
expect Pelmora.lnk "Command line arguments" '-u now'
expect Pelmora.lnk "Icon location" 'C:\pel-lnk-check\Pel Dir\PL.exe'

expect ReadMe.lnk "Description" 'Read Me'
expect ReadMe.lnk "Working directory" 'c:\pel-lnk-check\pel dir\'
absent ReadMe.lnk "command line arguments"

expect Drive.lnk "Working directory" 'c:'
expect Bare.lnk "Working directory" ''
absent Bare.lnk "command line arguments"
expect Bare.lnk "Description" 'Bare name'

rm -rf "$dir"
[ $failed -eq 0 ] && echo "lnkinfo round trip: all fields as written"
exit $failed
