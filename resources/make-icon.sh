#!/bin/sh
# Draws the program's icon (128 x 128 PNG with transparency) with ImageMagick: the front photo
# print of the splash artwork, slightly turned, on a rounded blue tile.
# Usage: resources/make-icon.sh [output.png]   (default: vistrel.png beside this script)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-"$here/vistrel.png"}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

convert -size 150x104 gradient:"#2f6fa8"-"#9fd0ee" \
  -fill "#ffe9a8" -draw "circle 108,30 108,44" \
  -fill "#4f86a0" -draw "polygon 0,74 26,46 44,58 70,30 98,60 118,48 150,70 150,104 0,104" \
  -fill "#2e5b45" -draw "polygon 0,86 34,62 60,80 92,56 126,82 150,74 150,104 0,104" \
  -fill "#3a7fa8" -draw "rectangle 0,90 150,104" \
  -bordercolor "#fdfdfb" -border 9 \
  -resize 96x96 -background none -rotate -8 "$tmp/print.png"
convert -size 128x128 xc:none \
  -fill "#1f6f9f" -draw "roundrectangle 4,4 123,123 22,22" \
  -fill "#e0a458" -draw "roundrectangle 4,108 123,123 10,10" \
  -fill "#1f6f9f" -draw "rectangle 4,104 123,112" \
  "$tmp/print.png" -gravity center -geometry +0-4 -composite \
  -depth 8 -define png:exclude-chunks=date,time -strip "$out"
