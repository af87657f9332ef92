# Shell functions (sourced, POSIX sh) that run the installed viewer on a private X server:
# Xvfb on a free display, a private settings store, and cleanup of both on exit.
# The caller sets `work` to an empty scratch folder first.

# Exits with 77 (CTest's "skipped") when a tool the session needs is missing.
xvfb_require() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
  done
}

# Installs the build in $1 into $work/prefix; the installation registers its folder in a
# settings store of the session's own.
xvfb_install() {
  export KZUTIL_REGISTRY_DIR="$work/registry"
  cmake --install "$1" --prefix "$work/prefix" >"$work/install.log" 2>&1 ||
    { echo "installation failed"; cat "$work/install.log"; exit 1; }
  vistrel="$work/prefix/bin/vistrel"
  kzreg="$work/prefix/bin/kzreg"
}

xvfb_setting() {
  "$kzreg" add 'HKCU\Software\Marvensk\Vistrel' "$1" dword "$2"
}

xvfb_stored() {
  "$kzreg" query 'HKCU\Software\Marvensk\Vistrel' "$1" | awk '{ print $NF }'
}

# Starts Xvfb with a screen of $1 (e.g. 1024x768x24) on the first free display.
xvfb_start() {
  exec 5>"$work/display"
  Xvfb -displayfd 5 -screen 0 "$1" -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  exec 5>&-
  tries=0
  while [ ! -s "$work/display" ]; do
    tries=$((tries + 1))
    [ $tries -gt 100 ] && { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
    sleep 0.1
  done
  DISPLAY=":$(head -n 1 "$work/display")"
  export DISPLAY
}

# Starts the viewer with the given arguments; its output goes to $work/vistrel.log.
xvfb_run_vistrel() {
  QT_QPA_PLATFORM=xcb "$vistrel" "$@" >"$work/vistrel.log" 2>&1 &
  vistrel_pid=$!
}

# Prints the id of the first window whose whole name is $1 (a regular expression) once it
# exists; fails after 20 seconds. Polled, because a search fails when a window it looks at
# closes meanwhile (the splash).
xvfb_window() {
  tries=0
  while [ $tries -lt 200 ]; do
    found=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
    [ -n "$found" ] && { echo "$found"; return 0; }
    tries=$((tries + 1))
    sleep 0.1
  done
  return 1
}

# Waits until window $1 is named exactly $2.
xvfb_wait_title() {
  tries=0
  while [ "$(xdotool getwindowname "$1")" != "$2" ]; do
    tries=$((tries + 1))
    [ $tries -gt 100 ] && { echo "window title is '$(xdotool getwindowname "$1")', expected '$2'"; return 1; }
    sleep 0.1
  done
}

# Pixels of colour $2 (e.g. '#00ffff') in image file $1.
xvfb_count_colour() {
  convert "$1" -alpha off -fill black +opaque "$2" -fill white -opaque "$2" -format '%[fx:round(mean*w*h)]' info:
}

xvfb_cleanup() {
  [ -n "${vistrel_pid:-}" ] && kill "$vistrel_pid" 2>/dev/null
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
