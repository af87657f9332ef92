#!/bin/sh
# Times the area-average shrink (Resample mode 0) and BMP decoding of a 4000 x 3000 photo
# against ImageMagick on the same input in the same run, and prints the ratios.
# ImageMagick runs on one thread (as Resample does); its process start and pixel-cache load
# are measured separately and taken off. Usage: bench/photo-vs-imagemagick.sh [BUILD_DIR]
set -eu
. "$(dirname "$0")/common.sh"
bench="$build/bench/bench_photo"
require_program "$bench"
require_command convert

make_photo

export MAGICK_THREAD_LIMIT=1
base=$(peer_ms convert "$work/photo.mpc" null:)
scale_big=$(( $(peer_ms convert "$work/photo.mpc" -scale '1280x960!' null:) - base ))
scale_small=$(( $(peer_ms convert "$work/photo.mpc" -scale '120x90!' null:) - base ))
decode=$(( $(peer_ms convert "$work/photo.bmp" null:) - base ))

VISTREL_BENCH_PHOTO="$work/photo.bmp" "$bench" --benchmark_filter='AreaAverage|BmpDecode' \
  --benchmark_format=json >"$work/ours.json"

python3 - "$work/ours.json" "$scale_big" "$scale_small" "$decode" <<'EOF'
import json, sys
ours = {b["name"]: b["real_time"] for b in json.load(open(sys.argv[1]))["benchmarks"]}
peer = dict(zip(["BM_ResampleAreaAverage/1280/960", "BM_ResampleAreaAverage/120/90", "BM_BmpDecode"],
                map(float, sys.argv[2:5])))
labels = {"BM_ResampleAreaAverage/1280/960": "shrink 4000x3000 -> 1280x960 (convert -scale)",
          "BM_ResampleAreaAverage/120/90": "shrink 4000x3000 -> 120x90   (convert -scale)",
          "BM_BmpDecode": "BMP decode 4000x3000x24      (convert bmp)"}
for name, label in labels.items():
    mine, theirs = ours[name], max(peer[name], 0.1)
    print(f"{label}: vistrel {mine:7.1f} ms, ImageMagick {theirs:7.1f} ms, ImageMagick / vistrel {theirs / mine:5.2f}")
EOF
