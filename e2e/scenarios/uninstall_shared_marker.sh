# Mixmaster in the product folder, which holds "unpl.dsk": the product cannot
# be chosen, Mixmaster's removal leaves the product's program, database and key.
install_pelmora
dest="$drive_c/Program Files/Pelmora"
make_mix "$dest"
printf '' > "$dest/unpl.dsk"
cp "$dest/PL.dbc" "$drive_c/PL.dbc.before"
set_mix 'C:/Program Files/Pelmora/'
remove_both 'C:\dist\setup.exe -u' '
checked AppEntries 0
enabled AppEntries 0
checked MixEntries 1
enabled MixEntries 0
snap options-shared-marker' \
  '"Pelmora = NO" "Mixmaster = YES"' "$log_mixmaster \"Done!\"" 'Open : c:\program files\pelmora\'
cmp -s "$dest/PL.dbc" "$drive_c/PL.dbc.before" || fail "PL.dbc changed or went: $(tree_of "$dest")"
for kept in PL.exe UninstPL.exe unpl.dsk; do [ -f "$dest/$kept" ] || fail "$kept went: $(tree_of "$dest")"; done
reg_key_exists 'Software\Pelmora' || fail "the Pelmora key went"
! reg_key_exists 'Software\Mixmaster' || fail "the Mixmaster key survived"
