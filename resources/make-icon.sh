#!/bin/sh
# Draws the program's window icon (64 x 64 PNG with transparency) with ImageMagick: a photo
# print like those of the splash artwork, slightly turned, with a soft shadow.
# Usage: resources/make-icon.sh [output.png]   (default: vistrel.png beside this script)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-"$here/vistrel.png"}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

convert -size 48x36 gradient:"#2f6fa8"-"#9fd0ee" \
  -fill "#ffe9a8" -draw "circle 35,10 35,15" \
  -fill "#4f86a0" -draw "polygon 0,26 9,16 15,20 24,10 33,21 40,17 48,25 48,36 0,36" \
  -fill "#2e5b45" -draw "polygon 0,30 12,22 20,28 31,19 42,29 48,26 48,36 0,36" \
  -fill "#3a7fa8" -draw "rectangle 0,32 48,36" \
  -bordercolor "#fdfdfb" -border 3 \
  -bordercolor "#c9c6bf" -border 1 \
  "$tmp/print.png"
convert "$tmp/print.png" -background none -rotate -6 \
  \( +clone -background "#1b2a3a" -shadow 50x2+2+3 \) +swap \
  -background none -layers merge +repage \
  -gravity center -background none -extent 64x64 \
  -depth 8 "PNG32:$out"
