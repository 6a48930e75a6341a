# Both wizards, every page and box, on a display scaled to 150 % (144 DPI),
# then moved to one of 192 DPI: see e2e/display_scaling.sh.
dpi=144 other_dpi=192
source "$here/display_scaling.sh"
