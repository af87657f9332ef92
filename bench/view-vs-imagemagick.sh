#!/bin/sh
# Times the paint of the main window's image area for a 4000 x 3000 photo fitted to Qt's
# offscreen screen: every paint after the first (drawn from the kept reduced copy), the same
# paint as it was done before that copy (nearest-pixel stretch of the whole photo), and the
# first paint's making of the copy by area averaging, against ImageMagick's area-averaging
# reduction (-scale) to the same size, in the same run; prints the ratios.
# ImageMagick runs on one thread; its process start and pixel-cache load are taken off.
# Usage: bench/view-vs-imagemagick.sh [BUILD_DIR]
set -eu
. "$(dirname "$0")/common.sh"
bench="$build/bench/bench_view"
require_program "$bench"
require_command convert

make_photo
VISTREL_BENCH_PHOTO="$work/photo.bmp" "$bench" \
  --benchmark_filter='PaintMainView/0|PaintNearestStretch|MakeReducedCopy' \
  --benchmark_format=json >"$work/ours.json" 2>/dev/null
size=$(python3 -c 'import json,sys; b=json.load(open(sys.argv[1]))["benchmarks"][0]; print("%dx%d" % (b["width"], b["height"]))' "$work/ours.json")

export MAGICK_THREAD_LIMIT=1
base=$(peer_ms convert "$work/photo.mpc" null:)
scale=$(( $(peer_ms convert "$work/photo.mpc" -scale "$size!" null:) - base ))

python3 - "$work/ours.json" "$scale" "$size" <<'PY'
import json, sys
times = {b["name"]: b["real_time"] for b in json.load(open(sys.argv[1]))["benchmarks"]}
smooth = times["BM_PaintMainView/0"]
nearest = times["BM_PaintNearestStretch"]
copy = times["BM_MakeReducedCopy"]
theirs = max(float(sys.argv[2]), 0.1)
print(f"paint 4000x3000 photo into {sys.argv[3]}: smooth from the kept copy {smooth:6.2f} ms, "
      f"nearest-pixel stretch as before {nearest:6.2f} ms, before / now {nearest / smooth:5.2f}")
print(f"first paint's area-averaged copy {copy:6.1f} ms, ImageMagick -scale {theirs:6.1f} ms, "
      f"ImageMagick / vistrel {theirs / copy:5.2f}")
PY
