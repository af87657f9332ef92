#!/bin/sh
# Times one paint of the main window's image area for a 4000 x 3000 photo (fitted to Qt's
# offscreen screen; nearest-pixel stretch, as the viewer draws) against ImageMagick's
# nearest-pixel resize (-sample) to the same size, in the same run, and prints the ratio.
# ImageMagick runs on one thread; its process start and pixel-cache load are taken off.
# Usage: bench/view-vs-imagemagick.sh [BUILD_DIR]
set -eu
. "$(dirname "$0")/common.sh"
bench="$build/bench/bench_view"
require_program "$bench"
require_command convert

make_photo
VISTREL_BENCH_PHOTO="$work/photo.bmp" "$bench" --benchmark_filter='PaintMainView/0' \
  --benchmark_format=json >"$work/ours.json" 2>/dev/null
size=$(python3 -c 'import json,sys; b=json.load(open(sys.argv[1]))["benchmarks"][0]; print("%dx%d" % (b["width"], b["height"]))' "$work/ours.json")

export MAGICK_THREAD_LIMIT=1
base=$(peer_ms convert "$work/photo.mpc" null:)
sample=$(( $(peer_ms convert "$work/photo.mpc" -sample "$size!" null:) - base ))

python3 - "$work/ours.json" "$sample" "$size" <<'PY'
import json, sys
mine = json.load(open(sys.argv[1]))["benchmarks"][0]["real_time"]
theirs = max(float(sys.argv[2]), 0.1)
print(f"paint 4000x3000 photo into {sys.argv[3]} (convert -sample): vistrel {mine:6.2f} ms, "
      f"ImageMagick {theirs:6.1f} ms, ImageMagick / vistrel {theirs / mine:5.2f}")
PY
