#!/bin/sh
# The installed viewer under a window manager (openbox), started again and again: the window
# reopens exactly where it was left, and a big photo gets the same window every time.
# Usage: window-place-under-openbox.sh BUILD_DIR SOURCE_DIR. Exit status 77 (skipped) without
# Xvfb, openbox, xdotool or ImageMagick.
set -eu
build=$1
. "$2/scripts/xvfb-session.sh"
xvfb_require Xvfb openbox xdotool convert
work=$(mktemp -d)
trap 'kill "${wm_pid:-}" 2>/dev/null; xvfb_cleanup' EXIT

fail() {
  echo "FAILED: $*"
  cat "$work/vistrel.log" 2>/dev/null || true
  exit 1
}

xvfb_install "$build"
xvfb_setting HideSplashScreen 1 >/dev/null
mkdir "$work/images"
convert -size 300x240 xc:'#ff00ff' "$work/images/small.png"
convert -size 3000x2400 xc:'#00ffff' "$work/images/big.png"
xvfb_start 1024x768x24
openbox >"$work/openbox.log" 2>&1 &
wm_pid=$!
sleep 1

# Starts the viewer on $1, waits until the window manager has framed it and the geometry has
# settled (a slow build may still be fitting the window to its frame), prints the geometry and
# quits with Escape.
start() {
  xvfb_run_vistrel "$work/images/$1"
  xvfb_window "Vistrel \\[$1\\]" >/dev/null || fail "no window showing $1"
  sleep 1.5
  window=$(xvfb_window "Vistrel \\[$1\\]") || fail "no window showing $1"
  geometry=$(xdotool getwindowgeometry "$window" | tail -n 2 | tr '\n' ' ')
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    sleep 0.5
    now=$(xdotool getwindowgeometry "$window" | tail -n 2 | tr '\n' ' ')
    [ "$now" != "$geometry" ] || break
    geometry=$now
  done
  echo "$geometry"
  xdotool windowactivate --sync "$window" 2>/dev/null || true
  xdotool key --clearmodifiers Escape
  wait "$vistrel_pid" || fail "exit status $? after Escape"
  vistrel_pid=
}

for y in 100 0; do
  xvfb_setting WindowPosX 100 >/dev/null
  xvfb_setting WindowPosY $y >/dev/null
  first=$(start small.png)
  for i in 1 2 3; do
    [ "$(xvfb_stored WindowPosX) $(xvfb_stored WindowPosY)" = "100 $y" ] ||
      fail "start $i from (100, $y) stored ($(xvfb_stored WindowPosX), $(xvfb_stored WindowPosY))"
    now=$(start small.png)
    [ "$now" = "$first" ] || fail "start $i from (100, $y) moved the window: $first, then $now"
  done
done

first=$(start big.png)
for i in 1 2 3; do
  now=$(start big.png)
  [ "$now" = "$first" ] || fail "a big photo got another window: $first, then $now"
done
echo "passed"
