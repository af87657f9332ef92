#!/bin/sh
# Takes the README's screenshots with the installed viewer on a private X server (with title
# bars when the openbox window manager is installed): a photo with its frame, the Options
# dialog, a camera photo taken upright, and a big photo fitted to the window. The first photo is
# a landscape drawn here with ImageMagick, one of four in /tmp/Pictures/Lake; the camera photos
# are two of the corpus, copied to /tmp/Pictures/Travel (both made and removed here, so that the
# status bar shows a plausible folder). Writes docs/viewer.png, docs/options.png,
# docs/upright.png and docs/smooth.png.
# Usage: scripts/take-screenshots.sh [BUILD_DIR]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
. "$root/scripts/xvfb-session.sh"
xvfb_require Xvfb xdotool import convert
work=$(mktemp -d)
trap xvfb_cleanup EXIT

# A lake under a sky from $2 to $3: sun with its glow, two mountain ridges, water with the
# sun's reflection and a sailing boat.
scene() {
  convert -size 480x200 gradient:"$2"-"$3" "$work/sky.png"
  convert -size 480x200 xc:none -fill '#fff2c860' -draw "circle 350,132 350,200" -blur 0x25 "$work/glow.png"
  convert -size 480x120 gradient:'#3d5f80'-'#142538' "$work/water.png"
  convert "$work/sky.png" "$work/glow.png" -compose over -composite \
    -fill '#fff1c4' -draw "circle 350,132 350,150" \
    -fill '#7a6394' -draw "polygon 0,170 40,128 80,146 130,96 180,140 230,112 290,156 330,126 400,150 440,126 480,144 480,200 0,200" \
    -fill '#45557a' -draw "polygon 0,186 60,154 110,172 170,142 240,178 300,156 370,182 430,162 480,176 480,200 0,200" \
    "$work/water.png" -append \
    -fill '#f9dba860' \
    -draw "rectangle 338,204 362,207" -draw "rectangle 332,214 368,216" -draw "rectangle 340,224 360,226" \
    -draw "rectangle 328,236 372,238" -draw "rectangle 336,250 364,252" -draw "rectangle 326,266 374,268" \
    -draw "rectangle 334,284 366,286" -draw "rectangle 322,302 378,304" \
    -fill '#16202e' -draw "polygon 96,232 136,232 130,238 102,238" \
    -draw "polygon 114,230 114,190 134,229" -draw "polygon 112,230 112,198 98,229" \
    -attenuate 0.12 +noise Gaussian -blur 0x0.5 -quality 92 "$1"
}

photos=/tmp/Pictures/Lake
[ -e /tmp/Pictures ] && { echo "/tmp/Pictures is in the way"; exit 1; }
trap 'xvfb_cleanup; rm -rf /tmp/Pictures' EXIT
mkdir -p "$photos"
scene "$photos/lake-at-dawn.jpg" '#8fb7d9' '#f7d6c4'
scene "$photos/lake-at-dusk.jpg" '#20467a' '#f6b27a'
scene "$photos/lake-at-noon.jpg" '#3f8fd8' '#cfe8f8'
scene "$photos/lake-at-sunset.jpg" '#5a2d6e' '#f39a5a'
# A street lamp taken with the camera turned (Exif orientation 6: stored lying on its side), and
# a 3872 x 2403 view of a wind farm that the window shows at about a fifth of its size.
travel=/tmp/Pictures/Travel
corpus="$root/tests/corpus/exif/exif-samples"
mkdir -p "$travel"
cp "$corpus/hdr/canon_hdr_YES.jpg" "$travel/street-lamp.jpg"
cp "$corpus/tests/30-type_error.jpg" "$travel/wind-farm.jpg"
xvfb_install "$build"
xvfb_setting HideSplashScreen 1
xvfb_setting DrawBorder 1
# A small screen keeps the fitted photos, and so the pictures, small.
xvfb_start 800x600x24
frame=
if command -v openbox >/dev/null 2>&1; then
  openbox >"$work/openbox.log" 2>&1 &
  frame=-frame
  sleep 1
fi
xvfb_run_vistrel "$photos/lake-at-dusk.jpg"
window=$(xvfb_window 'Vistrel \[lake-at-dusk\.jpg\]')
xdotool windowfocus --sync "$window" 2>/dev/null || true
# The first paint follows the window's first showing.
sleep 1
mkdir -p "$root/docs"
import $frame -window "$window" "$root/docs/viewer.png"

xdotool key --clearmodifiers F4
dialog=$(xvfb_window 'Options')
sleep 1
import $frame -window "$dialog" "$root/docs/options.png"
xdotool key --clearmodifiers Escape
# Without a window manager nobody hands the focus back to the main window.
sleep 0.5
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key --clearmodifiers Escape
wait "$vistrel_pid" || true
vistrel_pid=

# Shows Travel/$1.jpg, named relative to /tmp/Pictures as a user there would, and writes the
# window to docs/$2.
photo_shot() {
  xvfb_run_vistrel "Travel/$1.jpg"
  window=$(xvfb_window "Vistrel \\[$1\\.jpg\\]")
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  sleep 1
  import $frame -window "$window" "$root/docs/$2"
  xdotool key --clearmodifiers Escape
  wait "$vistrel_pid" || true
  vistrel_pid=
}
cd /tmp/Pictures
photo_shot street-lamp upright.png
photo_shot wind-farm smooth.png
cd "$root"
echo "Wrote docs/viewer.png, docs/options.png, docs/upright.png and docs/smooth.png"
