# Mixmaster in the product folder, an unattended removal without /MIXMASTER:
# the two are tied, both go, the user's database and the folder stay.
install_pelmora
dest="$drive_c/Program Files/Pelmora"
make_mix "$dest"
printf 'pgp' > "$dest/pl.pgp"
cp "$dest/PL.dbc" "$drive_c/PL.dbc.before"
set_mix 'C:\Program Files\\Pelmora\'
drive <<'DRIVE'
start "C:\Program Files\Pelmora\UninstPL.exe" /S
unseen 0
DRIVE
cmp -s "$dest/PL.dbc" "$drive_c/PL.dbc.before" || fail "PL.dbc changed or went: $(tree_of "$dest")"
[ -f "$dest/pl.pgp" ] || fail "pl.pgp went: $(tree_of "$dest")"
for gone in PL.exe mix.exe pool; do [ ! -e "$dest/$gone" ] || fail "$gone survived"; done
! reg_key_exists 'Software\Pelmora' || fail "the Pelmora key survived"
! reg_key_exists 'Software\Mixmaster' || fail "the Mixmaster key survived"
