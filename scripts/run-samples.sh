#!/bin/sh
# Installs what is missing, builds Vistrel, installs it into build/install, builds the thumbnail
# page of the bundled sample images without a window and, on a desktop, opens the viewer on them.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build" -DVISTREL_TESTS=OFF -DVISTREL_BENCH=OFF
vistrel=$("$root/scripts/dev-install.sh" "$root/build")

# A copy, so that the page and its thumbnails stay out of the source tree.
samples="$root/build/samples"
rm -rf "$samples"
mkdir -p "$samples"
cp "$root"/resources/samples/* "$samples"/
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$vistrel" /t "$samples" || status=$?
if [ $status -ne 1 ]; then
  echo "the thumbnail page was not built (exit status $status)" >&2
  exit 1
fi
echo "Thumbnail page: $samples/thumbnails.html"

if [ -n "${DISPLAY:-}" ]; then
  echo "Opening the viewer on $samples (PgDn/PgUp step through the images, Esc quits)"
  "$vistrel" "$samples"
fi
