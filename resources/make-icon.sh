#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the program icon: a green disc with a dark rim and a light spot, on red that shows in the
# four corners, in the 16 classic desktop colours. resources/icon.png (32 x 32) is built into the
# program; resources/icons/<N>.png at 32, 48, 64, 128 and 256 px go into the installed icon theme.
# Larger sizes redraw the same picture scaled up, so the disc stays round and hard-edged.
# Needs ImageMagick's convert. The output is committed; run this only to change the artwork.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$here/icons"

# The 16-colour palette every pixel is mapped onto.
palette=(
    '#000000' '#800000' '#008000' '#808000' '#000080' '#800080' '#008080' '#C0C0C0'
    '#808080' '#FF0000' '#00FF00' '#FFFF00' '#0000FF' '#FF00FF' '#00FFFF' '#FFFFFF'
)
swatches=()
for c in "${palette[@]}"; do swatches+=("xc:$c"); done
convert "${swatches[@]}" +append "$tmp/palette.png"

# A coordinate of the 32-px drawing at size $1 (pixel centres sit at whole numbers).
at() { awk -v n="$1" -v x="$2" 'BEGIN { s = n / 32; printf "%g", (x + 0.5) * s - 0.5 }'; }
len() { awk -v n="$1" -v x="$2" 'BEGIN { printf "%g", x * n / 32 }'; }

draw() {
    local n=$1 out=$2
    # The white glint: pixels (9,9) and (10,9) of the 32-px drawing, each a block when larger.
    local glint=() x y
    for ((y = 9 * n / 32; y < 10 * n / 32; y++)); do
        for ((x = 9 * n / 32; x < 11 * n / 32; x++)); do glint+=(-draw "point $x,$y"); done
    done
    # Hard edges (no antialiasing) so the drawing needs no colours beyond the palette.
    convert -size "${n}x${n}" xc:'#FF0000' +antialias \
        -fill '#008000' -stroke '#000000' -strokewidth "$(len "$n" 1)" \
        -draw "circle $(at "$n" 15.5),$(at "$n" 15.5) $(at "$n" 15.5),$(at "$n" 1.2)" \
        -stroke none -fill '#00FF00' \
        -draw "ellipse $(at "$n" 11),$(at "$n" 10) $(len "$n" 5),$(len "$n" 3) 0,360" \
        -fill '#FFFFFF' "${glint[@]}" \
        +dither -remap "$tmp/palette.png" \
        -strip -define png:exclude-chunks=date,time \
        -type Palette -define png:bit-depth=4 -define png:color-type=3 \
        "png:$out"
}

draw 32 "$here/icon.png"
for n in 32 48 64 128 256; do draw "$n" "$here/icons/$n.png"; done
identify "$here/icon.png" "$here/icons/"*.png
