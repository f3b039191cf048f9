#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the main window's built-in pictures: the "not chosen yet" placeholder PICNOT and the six
# number glyphs of the slot buttons. Run once by hand (needs ImageMagick 6 and the DejaVu fonts);
# the PNG files it writes are committed and built into the program through ui.qrc.
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)/ui
mkdir -p "$out"
font=DejaVu-Sans-Bold
navy='#000080'

# 113 x 80, 256 colours: blue-grey -> yellow -> green, the words set diagonally.
convert \( xc:'#8494b8' xc:'#a8b0b0' xc:'#f4e27a' xc:'#a8d07a' xc:'#5cb46c' +append \
             -filter triangle -resize '200x200!' -rotate 30 +repage -gravity center -crop 113x80+0+0 +repage \) \
    \( -size 113x80 xc:none -font "$font" -pointsize 14 -fill "$navy" -gravity center \
       -annotate -30x-30+0-10 'Пока не' -annotate -30x-30+6+10 'выбрана' \) \
    -compose over -composite \
    -type Palette -colors 256 -define png:color-type=3 -strip "$out/PICNOT.png"

# 25 x 25 true colour: a rounded square with a rainbow gradient, the digit in dark blue.
for k in 1 2 3 4 5 6; do
    convert \( xc:'#ff4040' xc:'#ffa030' xc:'#fff040' xc:'#40e040' xc:'#40d0ff' xc:'#5060ff' \
               xc:'#c050ff' +append -filter triangle -resize '25x25!' -rotate 35 -gravity center \
               -extent 25x25 +repage -fill white -colorize 35 \) \
        \( -size 25x25 xc:black -fill white -draw 'roundrectangle 0,0 24,24 6,6' \) \
        -alpha off -compose copy_opacity -composite -compose over \
        -fill none -stroke '#303070' -strokewidth 1 -draw 'roundrectangle 0,0 24,24 6,6' \
        -stroke none -font "$font" -pointsize 18 -fill "$navy" -gravity center -annotate +0+0 "$k" \
        -depth 8 -define png:color-type=6 -strip "$out/glyph$k.png"
done
