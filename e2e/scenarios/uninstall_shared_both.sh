# Mixmaster in the product folder, named in another spelling, both removed by
# the wizard: the user's database stays byte for byte, and so does the folder.
install_pelmora
dest="$drive_c/Program Files/Pelmora"
make_mix "$dest"
printf 'pgp' > "$dest/pl.pgp"
cp "$dest/PL.dbc" "$drive_c/PL.dbc.before"
set_mix 'C:\Program Files\Pelmora\.\'
remove_both '"C:\Program Files\Pelmora\UninstPL.exe"' '
checked AppEntries 1
enabled AppEntries 1
checked MixEntries 1
enabled MixEntries 0
snap options-shared-folder' \
  '"Pelmora = YES" "Mixmaster = YES"' "$log_pelmora $log_mixmaster \"Done!\"" 'Open : c:\program files\pelmora\'
cmp -s "$dest/PL.dbc" "$drive_c/PL.dbc.before" || fail "PL.dbc changed or went: $(tree_of "$dest")"
[ -f "$dest/pl.pgp" ] || fail "pl.pgp went: $(tree_of "$dest")"
for gone in mix.exe MIX.CFG pool ReadMe.txt; do [ ! -e "$dest/$gone" ] || fail "$gone survived"; done
! reg_key_exists 'Software\Pelmora' || fail "the Pelmora key survived"
! reg_key_exists 'Software\Mixmaster' || fail "the Mixmaster key survived"
