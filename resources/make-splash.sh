#!/bin/sh
# Draws the splash and About artwork (520 x 320, 24 bits per pixel, uncompressed BMP) with
# ImageMagick. Text is not part of the bitmap: the program writes its name, version and tag
# line over the light left half at run time.
# Usage: resources/make-splash.sh [output.bmp]   (default: splash.bmp beside this script)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-"$here/splash.bmp"}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# One photo print: a small landscape (sky, sun, two mountain ridges, water) in a white border.
# $1 file, $2-$3 sky top and bottom, $4 sun, $5-$6 far and near ridge, $7 water.
photo() {
  convert -size 150x104 "gradient:$2-$3" \
    -fill "$4" -draw "circle 108,30 108,44" \
    -fill "$5" -draw "polygon 0,74 26,46 44,58 70,30 98,60 118,48 150,70 150,104 0,104" \
    -fill "$6" -draw "polygon 0,86 34,62 60,80 92,56 126,82 150,74 150,104 0,104" \
    -fill "$7" -draw "rectangle 0,90 150,104" \
    -fill "#ffffff60" -draw "rectangle 0,92 150,93" \
    -bordercolor "#fdfdfb" -border 7 \
    -bordercolor "#d9d6cf" -border 1 \
    "$1"
}

# Turns a print by $2 degrees and gives it a soft shadow on a transparent ground.
lay() {
  convert "$1" -background none -rotate "$2" \
    \( +clone -background "#1b2a3a" -shadow 45x5+4+6 \) +swap \
    -background none -layers merge +repage "$1"
}

photo "$tmp/back.png"  "#f6b98a" "#fde6c8" "#fff3d6" "#a77a8f" "#6d4d6e" "#8c6f86"
photo "$tmp/mid.png"   "#5da7d9" "#cfe9f7" "#fff8dc" "#6f9bb8" "#3f6b5a" "#4d86a8"
photo "$tmp/front.png" "#2f6fa8" "#9fd0ee" "#ffe9a8" "#4f86a0" "#2e5b45" "#3a7fa8"
lay "$tmp/back.png" -14
lay "$tmp/mid.png" 7
lay "$tmp/front.png" -3

convert -size 320x520 gradient:"#ffffff"-"#dde8f2" -rotate -90 \
  \( -size 520x320 radial-gradient:"#ffffff00"-"#b9cde080" \) -compose over -composite \
  -fill "#eef3f8" -draw "circle 392,150 392,28" \
  -fill "#e5edf5" -draw "circle 392,150 392,62" \
  -compose over "$tmp/back.png" -geometry +268+20 -composite \
  "$tmp/mid.png" -geometry +318+70 -composite \
  "$tmp/front.png" -geometry +262+118 -composite \
  -fill "#1f6f9f" -draw "rectangle 0,0 519,5" \
  -fill "#e0a458" -draw "rectangle 0,6 519,7" \
  -fill "#1f6f9f" -draw "roundrectangle 15,168 95,172 2,2" \
  -fill "#c4d2de" -draw "rectangle 15,282 505,282" \
  -alpha off -type TrueColor -depth 8 "BMP3:$out"
