# Mixmaster in a folder of its own, beside Pelmora and then alone: its files
# and pool tree go, its folder only when nothing else is left in it.
install_pelmora
dest="$drive_c/Program Files/Pelmora"
make_mix "$drive_c/Mix"
set_mix 'C:\Mix'
remove_both '"C:\Program Files\Pelmora\UninstPL.exe"' '
checked AppEntries 1
enabled AppEntries 1
text MixEntries "Mixmaster    { c:\mix }"
checked MixEntries 1
enabled MixEntries 1
snap options-separate-folders' \
  '"Pelmora = YES" "Mixmaster = YES"' "$log_pelmora $log_mixmaster \"Done!\"" 'Open : c:\program files\pelmora\'
[ ! -e "$drive_c/Mix" ] || fail "the emptied Mixmaster folder survived: $(tree_of "$drive_c/Mix")"
expect_eq "$(tree_of "$dest")" "PL.dbc" "product folder"
! reg_key_exists 'Software\Mixmaster' || fail "the Mixmaster key survived"
! reg_key_exists 'Software\Pelmora' || fail "the Pelmora key survived"

# Only Mixmaster, its folder given with a backslash and holding a subfolder
# of its own besides the pool: the notice has no folder to offer.
make_mix "$drive_c/Mix2"
mkdir "$drive_c/Mix2/keys" && printf 'key' > "$drive_c/Mix2/keys/pubring.mix"
set_mix 'C:\Mix2\'
remove_both 'C:\dist\setup.exe -u' '
text AppEntries "Pelmora  { not installed }"
checked AppEntries 0
enabled AppEntries 0
text MixEntries "Mixmaster    { c:\mix2 }"
checked MixEntries 1
enabled MixEntries 1
snap options-only-mixmaster' \
  '"Pelmora = NO" "Mixmaster = YES"' "$log_mixmaster \"Done!\"" 'Open : '
expect_eq "$(tree_of "$drive_c/Mix2")" "keys|keys/pubring.mix" "Mixmaster folder with a subfolder of its own"
! reg_key_exists 'Software\Mixmaster' || fail "the Mixmaster key survived"
expect_eq "$(tree_of "$dest")" "PL.dbc" "product folder after removing Mixmaster only"

# A pool holding a link to a folder elsewhere (Wine shows a Unix link to a
# folder as a reparse point): the link is not followed, what it names stays
# whole. Wine cannot remove such a link as a folder, so it and the pool stay,
# and so does Mixmaster's key, for a later run: the log names what is left.
make_mix "$drive_c/Mix3"
mkdir -p "$drive_c/Elsewhere/sub" && printf 'x' > "$drive_c/Elsewhere/a.txt" && printf 'y' > "$drive_c/Elsewhere/sub/b.txt"
ln -s "$drive_c/Elsewhere" "$drive_c/Mix3/pool/link"
set_mix 'C:\Mix3'
remove_both 'C:\dist\setup.exe -u' '' '"Pelmora = NO" "Mixmaster = YES"' \
  '"Removing Mixmaster..." "   program files...done" "   left: C:\Mix3\pool\link" "   registry key...kept, so that the removal can be run again" "Not finished: 1 left (named above). Run the removal again once they are free."' 'Open : ' '' \
  'text Label1 "The removal did not finish: the wizard lists what was left. You will also need to manually delete the PL database and home directory."
snap notice-incomplete'
reg_key_exists 'Software\Mixmaster' || fail "Mixmaster's key went with its pool's link left behind"
expect_eq "$(tree_of "$drive_c/Elsewhere")" "a.txt|sub|sub/b.txt" "the folder the pool's link names"
expect_eq "$(tree_of "$drive_c/Mix3")" "pool|pool/link" "Mixmaster folder with a link in its pool"
