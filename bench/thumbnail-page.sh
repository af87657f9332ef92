#!/bin/sh
# Times the installed program's thumbnail mode (vistrel /t, no display) on 50 photos of
# 4000 x 3000 against ImageMagick (mogrify -thumbnail 120x120) and vipsthumbnail (-s 120x120)
# over the same files in the same run, and prints the ratios. The photos are one corpus photo
# enlarged and copied 50 times.
# Usage: bench/thumbnail-page.sh [BUILD_DIR]
set -eu
. "$(dirname "$0")/common.sh"
require_program "$build/viewer/qt/vistrel"
require_command convert
mkdir -p "$work/photos" "$work/magick" "$work/vips"
# A private settings store holding only the install folder: the default 120 x 120 box and the
# shipped template.
export KZUTIL_REGISTRY_DIR="$work/registry"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
convert "$source" -resize '4000x3000!' -quality 90 "$work/photo.jpg"
i=1
while [ $i -le 50 ]; do cp "$work/photo.jpg" "$work/photos/photo$(printf %02d $i).jpg"; i=$((i + 1)); done

# Milliseconds the command takes; its exit status is not an error here (vistrel /t ends with 1
# when it built the page), the results are checked instead.
elapsed_ms() {
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  echo $(( (end - start) / 1000000 ))
}

ours=$(elapsed_ms env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$work/prefix/bin/vistrel" /t "$work/photos")
[ -f "$work/photos/thumbnails.html" ] || { echo "no page was built" >&2; exit 1; }
magick=$(MAGICK_THREAD_LIMIT=1 elapsed_ms mogrify -path "$work/magick" -thumbnail 120x120 "$work"/photos/*.jpg)
echo "50 photos of 4000x3000 into 120x120 thumbnails (one thread each)"
echo "vistrel /t:           $ours ms"
echo "mogrify -thumbnail:   $magick ms   mogrify / vistrel $(awk "BEGIN { printf \"%.2f\", $magick / $ours }")"
if command -v vipsthumbnail >/dev/null; then
  vips=$(VIPS_CONCURRENCY=1 elapsed_ms vipsthumbnail -s 120x120 -o "$work/vips/%s.jpg" "$work"/photos/*.jpg)
  echo "vipsthumbnail -s:     $vips ms   vipsthumbnail / vistrel $(awk "BEGIN { printf \"%.2f\", $vips / $ours }")"
else
  echo "vipsthumbnail is not installed (libvips-tools)"
fi
