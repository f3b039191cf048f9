#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the eight decoration images every quiz page uses and that the build puts beside the
# program: the number icons 11.gif ... 66.gif (shown at 40 x 30), the separator line line1.gif
# (760 x 5) and the tiled page background fong.gif.
# Needs ImageMagick (convert) and fonts-dejavu-core. The images are committed; run this only to
# redraw them: bash resources/decor/make-decor.sh
set -euo pipefail
cd "$(dirname "$0")"

font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
[ -f "$font" ] || { echo "missing $font (fonts-dejavu-core)" >&2; exit 1; }

# One clear colour per picture number, dark enough for a white digit.
colours=(x "#e0533d" "#f08a24" "#3a9a4a" "#2f7fc1" "#8a56b8" "#c23b7a")

for k in 1 2 3 4 5 6; do
    c=${colours[$k]}
    convert -size 40x30 xc:none \
        -fill "$c" -stroke "#5a4632" -strokewidth 1 -draw "roundrectangle 1,1 38,28 9,9" \
        -stroke none -fill "#ffffff" -font "$font" -pointsize 22 \
        -gravity center -annotate +0+0 "$k" \
        -strip "${k}${k}.gif"
done

# A soft coloured band that fades out at both ends.
convert -size 5x760 gradient:"#2f7fc1"-"#3a9a4a" -rotate 90 \
    \( -size 760x5 xc:white -fill black -draw "rectangle 40,0 719,4" -blur 0x18 \) \
    -compose screen -composite -strip line1.gif

# A pale paper tile with faint dots that meet seamlessly when tiled.
convert -size 48x48 xc:"#fdfaf1" \
    -fill "#f3ecd9" -draw "circle 12,12 14,12" -draw "circle 36,36 38,36" \
    -fill "#f6f0e2" -draw "circle 36,12 37,12" -draw "circle 12,36 13,36" \
    -strip fong.gif

identify ./*.gif
