#!/bin/sh
# Round trips through the plstore binary: put/get/rm/setting/ls as support staff use them.
set -u
tool=$1
dir=$2
rm -rf "$dir" && mkdir -p "$dir" || exit 1
db=$dir/PL.dbc
fail() { echo "FAIL: $*" >&2; exit 1; }

printf 'Fcc: outbox\r\nHost: mail.example.org\r\n\r\n~~\r\n' | "$tool" put "$db" default/message || fail "put"
printf 'To: \nSubject: \n' > "$dir/article.txt"
"$tool" put "$db" default/article "$dir/article.txt" || fail "put from file"

[ "$("$tool" ls "$db")" = "default" ] || fail "ls root"
[ "$("$tool" ls "$db" default | tr '\n' ,)" = "message,article," ] || fail "ls default"
[ "$("$tool" get "$db" default/message | tr '\n' ,)" = "Fcc: outbox,Host: mail.example.org,,~~," ] || fail "get"
"$tool" cat "$db" default/article | od -An -c | tr -d ' \n' | grep -q 'To:\\r\\nSubject:\\r\\n' || fail "cat keeps CR LF"

"$tool" setting "$db" Cutmarks '--' || fail "setting set"
[ "$("$tool" setting "$db" cutmarks)" = "--" ] || fail "setting get"
"$tool" setting "$db" Cutmarks '' || fail "setting remove"
[ -z "$("$tool" setting "$db" Cutmarks)" ] || fail "setting removed"

"$tool" rm "$db" default/message || fail "rm"
[ "$("$tool" ls "$db" default)" = "article" ] || fail "ls after rm"
"$tool" check "$db" || fail "check after round trips"

"$tool" get "$dir/missing.dbc" a 2>/dev/null; [ $? -eq 1 ] || fail "missing store exits 1"
echo "not a store at all, only text" > "$dir/foreign.dbc"
"$tool" get "$dir/foreign.dbc" a 2>/dev/null; [ $? -eq 2 ] || fail "foreign store exits 2"
"$tool" check "$dir/foreign.dbc" >/dev/null 2>&1; [ $? -eq 2 ] || fail "check of a foreign file exits 2"
echo "plstore round trips: ok"
