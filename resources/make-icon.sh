#!/bin/sh
# Renders the program's icon, icons/hicolor/scalable/apps/vistrel.svg, at every size desktops
# look for, beside it in the theme's own layout (installed as it is), with rsvg-convert
# (librsvg2-bin).
# Usage: resources/make-icon.sh
set -eu
theme="$(cd "$(dirname "$0")" && pwd)/icons/hicolor"
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "$theme/${size}x$size/apps"
  rsvg-convert -w "$size" -h "$size" "$theme/scalable/apps/vistrel.svg" -o "$theme/${size}x$size/apps/vistrel.png"
done
