#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the six sample pictures for a first quiz ("What is in the picture?"): sun, house, tree,
# fish, car and flower, 640 x 480 baseline JPEGs made from plain shapes only.
# Needs ImageMagick (convert). The pictures are committed; run this only to redraw them:
# bash samples/make-samples.sh
set -euo pipefail
cd "$(dirname "$0")"

out() { convert "$@" -strip -interlace none -quality 90 "$name.jpg"; }

name=sun
out -size 640x480 gradient:"#8fd3ff"-"#e6f6ff" \
    -stroke "#f5a800" -strokewidth 10 \
    -draw "line 320,60 320,120" -draw "line 320,360 320,420" \
    -draw "line 140,240 200,240" -draw "line 440,240 500,240" \
    -draw "line 193,113 235,155" -draw "line 405,325 447,367" \
    -draw "line 447,113 405,155" -draw "line 235,325 193,367" \
    -stroke "#e08e00" -strokewidth 4 -fill "#ffd21f" -draw "circle 320,240 320,140" \
    -stroke "#8a4b00" -strokewidth 6 -fill none -draw "arc 270,230 370,300 20,160" \
    -fill "#8a4b00" -stroke none -draw "circle 285,210 285,198" -draw "circle 355,210 355,198"

name=house
out -size 640x480 xc:"#cdeeff" \
    -fill "#7cc256" -draw "rectangle 0,390 640,480" \
    -fill "#f2d7a8" -stroke "#6b4a2b" -strokewidth 4 -draw "rectangle 170,230 470,400" \
    -fill "#9a9a9a" -draw "rectangle 400,110 440,200" \
    -fill "#d9412f" -draw "polygon 140,235 320,95 500,235" \
    -fill "#8a5a32" -draw "rectangle 290,300 350,400" \
    -fill "#ffe873" -draw "rectangle 195,260 260,320" -draw "rectangle 380,260 445,320" \
    -draw "line 227,260 227,320" -draw "line 195,290 260,290" \
    -draw "line 412,260 412,320" -draw "line 380,290 445,290"

name=tree
out -size 640x480 xc:"#f4fbe9" \
    -fill "#9bd46b" -draw "ellipse 320,455 300,40 0,360" \
    -fill "#8b5a2b" -stroke "#5e3b1a" -strokewidth 3 -draw "polygon 295,450 345,450 335,260 305,260" \
    -fill "#3f9b3a" -stroke "#2c6e29" -draw "circle 320,190 320,70" \
    -draw "circle 230,230 230,150" -draw "circle 410,230 410,150" \
    -stroke none -fill "#e33b2e" \
    -draw "circle 260,180 260,165" -draw "circle 360,140 360,125" -draw "circle 400,250 400,235" \
    -draw "circle 300,260 300,245" -draw "circle 210,260 210,245"

name=fish
out -size 640x480 gradient:"#5fc4f0"-"#1b6fb0" \
    -fill "#f3e3a2" -draw "rectangle 0,440 640,480" \
    -fill "#ff8c1a" -stroke "#b35400" -strokewidth 4 \
    -draw "polygon 470,240 580,160 580,320" -draw "ellipse 320,240 170,100 0,360" \
    -fill "#ffb35c" -draw "polygon 300,150 360,90 380,160" \
    -fill white -stroke "#333333" -strokewidth 3 -draw "circle 220,220 220,195" \
    -fill "#222222" -stroke none -draw "circle 215,220 215,208" \
    -stroke "#b35400" -strokewidth 4 -fill none -draw "arc 230,175 280,305 -60,60" \
    -stroke white -strokewidth 3 -draw "circle 130,150 130,135" -draw "circle 100,95 100,85" \
    -draw "circle 120,50 120,43"

name=car
out -size 640x480 xc:"#e9f2fa" \
    -fill "#6d6d6d" -draw "rectangle 0,380 640,480" \
    -fill white -draw "rectangle 40,425 140,435" -draw "rectangle 270,425 370,435" \
    -draw "rectangle 500,425 600,435" \
    -fill "#d8262d" -stroke "#7a1418" -strokewidth 4 \
    -draw "roundrectangle 100,250 540,360 30,30" -draw "polygon 200,250 250,170 420,170 470,250" \
    -fill "#bfe6ff" -draw "polygon 225,245 262,185 330,185 330,245" \
    -draw "polygon 345,245 345,185 410,185 448,245" \
    -fill "#ffd21f" -draw "rectangle 515,280 540,305" \
    -fill "#222222" -stroke "#111111" -draw "circle 210,365 210,315" -draw "circle 430,365 430,315" \
    -fill "#bbbbbb" -draw "circle 210,365 210,343" -draw "circle 430,365 430,343"

name=flower
out -size 640x480 xc:"#fff4f8" \
    -fill "#8fcf6a" -draw "rectangle 0,430 640,480" \
    -stroke "#2f8a2f" -strokewidth 12 -draw "line 320,260 320,440" \
    -stroke "#2f8a2f" -strokewidth 3 -fill "#47b247" \
    -draw "ellipse 276,380 44,15 0,360" -draw "ellipse 364,345 44,15 0,360" \
    -stroke "#b0306a" -strokewidth 3 -fill "#ff6fae" \
    -draw "circle 320,115 320,65" -draw "circle 320,245 320,195" \
    -draw "circle 255,150 255,100" -draw "circle 385,150 385,100" \
    -draw "circle 255,210 255,160" -draw "circle 385,210 385,160" \
    -stroke "#c98a00" -fill "#ffd21f" -draw "circle 320,180 320,135"

identify ./*.jpg
