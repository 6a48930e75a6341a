# Both wizards, every page and box, on a display scaled to 125 % (120 DPI),
# then moved to one of 192 DPI: see e2e/display_scaling.sh.
dpi=120 other_dpi=192
source "$here/display_scaling.sh"
