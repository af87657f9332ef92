#!/bin/sh
# The installed viewer on a real X server: it opens a file, shows it in its window, steps to the
# next and first file on keys sent by xdotool, and quits on Escape with its position stored.
# Usage: installed-under-xvfb.sh BUILD_DIR SOURCE_DIR. Exit status 77 (skipped) without Xvfb,
# xdotool or ImageMagick.
set -eu
build=$1
. "$2/scripts/xvfb-session.sh"
xvfb_require Xvfb xdotool import convert
work=$(mktemp -d)
trap xvfb_cleanup EXIT

fail() {
  echo "FAILED: $*"
  echo "--- program output:"
  cat "$work/vistrel.log" 2>/dev/null || true
  exit 1
}

xvfb_install "$build"
xvfb_setting HideSplashScreen 1
mkdir "$work/images"
convert -size 300x200 xc:'#ff00ff' "$work/images/a.png"
convert -size 260x180 xc:'#00ffff' "BMP3:$work/images/b.bmp"

xvfb_start 1024x768x24
xvfb_run_vistrel "$work/images/a.png"
window=$(xvfb_window 'Vistrel \[a\.png\]') || fail "no window showing a.png"
[ -n "$window" ] || fail "no window showing a.png"
xdotool windowfocus --sync "$window" 2>/dev/null || true

import -window root "$work/first.png"
[ "$(xvfb_count_colour "$work/first.png" '#ff00ff')" = 60000 ] || fail "a.png (300 x 200) is not shown whole"

xdotool key --clearmodifiers Next
xvfb_wait_title "$window" 'Vistrel [b.bmp]' || fail "Page Down did not show b.bmp"
import -window root "$work/next.png"
[ "$(xvfb_count_colour "$work/next.png" '#00ffff')" = 46800 ] || fail "b.bmp (260 x 180) is not shown whole"
[ "$(xvfb_count_colour "$work/next.png" '#ff00ff')" = 0 ] || fail "a.png is still shown"

xdotool key --clearmodifiers Home
xvfb_wait_title "$window" 'Vistrel [a.png]' || fail "Home did not go back to a.png"

xdotool key --clearmodifiers Escape
status=0
wait "$vistrel_pid" || status=$?
vistrel_pid=
[ "$status" = 0 ] || fail "exit status $status after Escape"
[ -n "$(xvfb_stored WindowPosX)" ] || fail "Escape did not store the window position"
[ "$(xvfb_stored ShowMenuAndStatusToolbar)" = 1 ] || fail "Escape did not store the menu setting"
echo "passed"
