# Mixmaster in the product folder and only Mixmaster removed: the product
# stays installed, so none of its files goes, its key stays, only the pool does.
install_pelmora
dest="$drive_c/Program Files/Pelmora"
[ -f "$dest/PL.exe" ] || fail "the installation left no PL.exe: $(tree_of "$dest")"
make_mix "$dest"
cp "$dest/PL.dbc" "$drive_c/PL.dbc.before"
set_mix 'C:\Program Files\Pelmora'
remove_both '"C:\Program Files\Pelmora\UninstPL.exe"' '
enabled MixEntries 0
check AppEntries 0
checked MixEntries 1
enabled MixEntries 1
snap options-shared-mix-only' \
  '"Pelmora = NO" "Mixmaster = YES"' "$log_mixmaster \"Done!\"" 'Open : c:\program files\pelmora\'
cmp -s "$dest/PL.dbc" "$drive_c/PL.dbc.before" || fail "PL.dbc changed or went: $(tree_of "$dest")"
for kept in PL.exe UninstPL.exe ReadMe.txt; do [ -f "$dest/$kept" ] || fail "$kept went: $(tree_of "$dest")"; done
[ ! -e "$dest/pool" ] || fail "the pool survived"
reg_key_exists 'Software\Pelmora' || fail "the Pelmora key went with Mixmaster"
! reg_key_exists 'Software\Mixmaster' || fail "the Mixmaster key survived"
