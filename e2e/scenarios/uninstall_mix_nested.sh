# One component's folder inside the other's, or both in one: the boxes are
# tied together, the inner one goes first, the outer folder survives its
# inner one.
dest="$drive_c/Program Files/Pelmora"
pel='"C:\Program Files\Pelmora\UninstPL.exe"'

# Mixmaster inside the product folder: its box follows the product's.
install_pelmora
make_mix "$dest/Mix"
set_mix 'C:\Program Files\Pelmora\Mix'
remove_both "$pel" '
checked AppEntries 1
enabled AppEntries 1
text MixEntries "Mixmaster    { c:\program files\pelmora\mix }"
checked MixEntries 1
enabled MixEntries 0
snap options-mix-inside-product
check AppEntries 0
checked MixEntries 1
enabled MixEntries 1
check AppEntries 1
checked MixEntries 1
enabled MixEntries 0' \
  '"Pelmora = YES" "Mixmaster = YES"' "$log_pelmora $log_mixmaster \"Done!\"" 'Open : c:\program files\pelmora\'
expect_eq "$(tree_of "$dest")" "PL.dbc" "product folder with Mixmaster inside"

# The product folder inside Mixmaster's: Mixmaster goes first, and its folder
# stays, for the product folder is still in it.
rm -rf "$dest"
make_mix "$drive_c/Mix"
install_pelmora 'C:\Mix\Pelmora'
set_mix 'C:\Mix'
remove_both '"C:\Mix\Pelmora\UninstPL.exe"' '
text AppEntries "Pelmora  { c:\mix\pelmora }"
checked AppEntries 1
enabled AppEntries 1
checked MixEntries 1
enabled MixEntries 1
snap options-product-inside-mix
check MixEntries 0
enabled AppEntries 1
checked AppEntries 1
check MixEntries 1
checked AppEntries 1
enabled AppEntries 0' \
  '"Pelmora = YES" "Mixmaster = YES"' "$log_mixmaster $log_pelmora \"Done!\"" 'Open : c:\mix\pelmora\'
expect_eq "$(tree_of "$drive_c/Mix")" "Pelmora|Pelmora/PL.dbc" "Mixmaster folder holding the product's"

# One folder for both, Mixmaster's written in its short form: the product goes
# first, then Mixmaster takes every file it finds there, as the notice on the
# Options page warns.
install_pelmora
make_mix "$dest"
short="$(drive <<<'short-path "C:\Program Files\Pelmora"' | sed -n 's/^short //p')"
[ -n "$short" ] && [ "$short" != 'C:\Program Files\Pelmora' ] || fail "no short name for the product folder: '$short'"
set_mix "$short"
remove_both "$pel" '
checked AppEntries 1
enabled AppEntries 1
checked MixEntries 1
enabled MixEntries 0
snap options-same-folder' \
  '"Pelmora = YES" "Mixmaster = YES"' "$log_pelmora $log_mixmaster \"Done!\"" 'Open : c:\program files\pelmora\'
[ -d "$dest" ] || fail "the folder for both went"
expect_eq "$(tree_of "$dest")" "" "one folder for both"
! reg_key_exists 'Software\Mixmaster' || fail "the Mixmaster key survived"
