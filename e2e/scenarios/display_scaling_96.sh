# Both wizards, every page and box, on a display scaled to 100 % (96 DPI),
# then moved to one of 144 DPI: see e2e/display_scaling.sh.
dpi=96 other_dpi=144
source "$here/display_scaling.sh"
