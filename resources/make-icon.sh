#!/usr/bin/env bash
# Draws the program icon, resources/icon.png: a 32 x 32 picture in the 16 classic desktop colours,
# a green disc with a dark rim and a light spot, on red that shows in the four corners.
# Needs ImageMagick's convert. The output is committed; run this only to change the artwork.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The 16-colour palette every pixel is mapped onto.
palette=(
    '#000000' '#800000' '#008000' '#808000' '#000080' '#800080' '#008080' '#C0C0C0'
    '#808080' '#FF0000' '#00FF00' '#FFFF00' '#0000FF' '#FF00FF' '#00FFFF' '#FFFFFF'
)
swatches=()
for c in "${palette[@]}"; do swatches+=("xc:$c"); done
convert "${swatches[@]}" +append "$tmp/palette.png"

# Hard edges (no antialiasing) so the drawing needs no colours beyond the palette.
convert -size 32x32 xc:'#FF0000' +antialias \
    -fill '#008000' -stroke '#000000' -strokewidth 1 -draw 'circle 15.5,15.5 15.5,1.2' \
    -stroke none -fill '#00FF00' -draw 'ellipse 11,10 5,3 0,360' \
    -fill '#FFFFFF' -draw 'point 9,9' -draw 'point 10,9' \
    +dither -remap "$tmp/palette.png" \
    -strip -define png:exclude-chunks=date,time \
    -type Palette -define png:bit-depth=4 -define png:color-type=3 \
    "png:$here/icon.png"

identify "$here/icon.png"
