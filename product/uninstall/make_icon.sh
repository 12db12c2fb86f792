#!/bin/bash
# Draws the uninstaller's icon (uninstall.ico, 16x16 and 32x32): the program's white Q on its
# blue rounded square (../make_images.sh), with a red disc and a white bar for removal in the
# lower right. The icon is committed; run this only to change it. Drawn from shapes, with no
# metadata, so a second run gives the same bytes.
set -euo pipefail
cd "$(dirname "$0")"
TITLE_BLUE='#1f5fa8'
REMOVE_RED='#c62828'

work=$(mktemp -d)
convert -size 32x32 xc:none -fill "$TITLE_BLUE" -draw 'roundrectangle 1,1 30,30 6,6' \
  -fill none -stroke white -strokewidth 4 -draw 'circle 13,13 13,5' -draw 'line 16,16 22,22' \
  -stroke white -strokewidth 1.5 -fill "$REMOVE_RED" -draw 'circle 23,23 23,15' \
  -stroke none -fill white -draw 'rectangle 18,22 28,24' \
  -strip "$work/32.png"
convert -size 16x16 xc:none -fill "$TITLE_BLUE" -draw 'roundrectangle 0,0 15,15 3,3' \
  -fill none -stroke white -strokewidth 2 -draw 'circle 6.5,6.5 6.5,2.5' -draw 'line 8,8 11,11' \
  -stroke none -fill "$REMOVE_RED" -draw 'circle 11.5,11.5 11.5,7.5' \
  -fill white -draw 'rectangle 9,11 14,12' \
  -strip "$work/16.png"
convert "$work/16.png" "$work/32.png" -strip uninstall.ico
rm -r "$work"
