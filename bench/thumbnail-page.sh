#!/bin/sh
# Times the installed program's thumbnail mode (vistrel /t, no display) on 50 different photos
# of 4000 x 3000 against vipsthumbnail over the same files with both processors (two processes
# of one thread each) and ImageMagick's mogrify -thumbnail, all into 120 x 120, in the same
# run; then a second /t on the unchanged folder. Every tool runs three rounds, taking turns, and
# its best round counts, so that a busy neighbour on a shared machine costs less. Ends with the
# picture quality of the reduced-scale decode (the ShrinkOnLoad test's figures).
# Usage: bench/thumbnail-page.sh [BUILD_DIR]   (a Release build gives the figures that count)
set -eu
. "$(dirname "$0")/common.sh"
require_program "$build/viewer/qt/vistrel"
require_command convert
require_command jpegtran
require_command vipsthumbnail
require_command mogrify
mkdir -p "$work/photos" "$work/magick" "$work/vips" "$work/bases"
# A private settings store holding only the install folder: the default 120 x 120 box and the
# shipped template.
export KZUTIL_REGISTRY_DIR="$work/registry"
cmake --install "$build" --prefix "$work/prefix" >/dev/null

# 13 photos of 4000 x 3000 (five corpus photos, four of them also lighter and more colourful and
# darker), each in four lossless mirror images: 52, of which the first 50 are used.
n=0
for photo in exif/exif-samples/tests/30-type_error.jpg exif/exif-samples/tests/67-0_length_string.jpg \
    exif/exif-samples/tests/33-type_error.jpg exif/exif-samples/hdr/canon_hdr_YES.jpg \
    "exif/commons-imaging/2008-07-27+-+Photo+216+-+WE+a+l'etang+de+Blodelsheim.jpg"; do
  for look in 100,100 115,130 80,90; do
    n=$((n + 1))
    [ $n -le 13 ] || break
    convert "$corpus/$photo" -resize '4000x3000!' -modulate "$look" -quality 90 "$work/bases/b$n.jpg"
  done
done
i=0
for base in "$work"/bases/*.jpg; do
  for turn in none horizontal vertical 180; do
    i=$((i + 1))
    [ $i -le 50 ] || break
    out="$work/photos/photo$(printf %02d $i).jpg"
    case $turn in
      none) cp "$base" "$out" ;;
      180) jpegtran -rotate 180 -outfile "$out" "$base" ;;
      *) jpegtran -flip $turn -outfile "$out" "$base" ;;
    esac
  done
done

# Milliseconds the command takes; its exit status is not an error here (vistrel /t ends with 1
# when it built the page), the results are checked instead.
elapsed_ms() {
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  echo $(( (end - start) / 1000000 ))
}
vistrel_t() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$work/prefix/bin/vistrel" /t "$work/photos"; }
vips_both() {
  ls "$work"/photos/*.jpg | VIPS_CONCURRENCY=1 xargs -P 2 -n 25 vipsthumbnail -s 120x120 -o "$work/vips/%s.jpg"
}
min() { [ -z "$1" ] || [ "$2" -lt "$1" ] && echo "$2" || echo "$1"; }

ours="" rebuild="" vips="" magick=""
for round in 1 2 3; do
  rm -rf "$work/photos/thumbs_vistrel" "$work/photos/thumbnails.html"
  ours=$(min "$ours" "$(elapsed_ms vistrel_t)")
  [ -f "$work/photos/thumbnails.html" ] || { echo "no page was built" >&2; exit 1; }
  rebuild=$(min "$rebuild" "$(elapsed_ms vistrel_t)")
  vips=$(min "$vips" "$(elapsed_ms vips_both)")
  magick=$(min "$magick" "$(elapsed_ms mogrify -path "$work/magick" -thumbnail 120x120 "$work"/photos/*.jpg)")
done
made=$(ls "$work/photos/thumbs_vistrel" | wc -l)
[ "$made" -eq 50 ] || { echo "expected 50 thumbnails, found $made" >&2; exit 1; }
summary=$(vistrel_t 2>&1 >/dev/null || true)

ratio() { awk "BEGIN { printf \"%.2f\", $1 / $2 }"; }
echo "50 photos of 4000x3000 into 120x120 thumbnails, $(nproc) processors, best of 3 rounds"
echo "vistrel /t:                       $ours ms"
echo "vipsthumbnail, 2 processes:       $vips ms   vistrel / vipsthumbnail $(ratio "$ours" "$vips")"
echo "mogrify -thumbnail:               $magick ms   mogrify / vistrel $(ratio "$magick" "$ours")"
echo "vistrel /t again, folder unchanged: $rebuild ms   second / first $(ratio "$rebuild" "$ours")   ($summary)"
tests="$build/tests/imaging/imaging_tests"
if [ -x "$tests" ]; then
  echo "reduced-scale decode + area average against full decode + area average (PSNR):"
  "$tests" --gtest_filter='ShrinkOnLoad.ScaledDecode*' | grep ' dB$'
else
  echo "build imaging_tests for the PSNR figures"
fi
