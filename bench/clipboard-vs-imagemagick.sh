#!/bin/sh
# Times what a program pasting a copied 4000 x 3000 photo waits for (the PNG that the clipboard
# offers) against ImageMagick writing the same photo as PNG at the same zlib level (1, adaptive
# filters) and at its default level, in the same run, and prints the ratios. ImageMagick runs on
# one thread; its process start and pixel-cache load are measured separately and taken off.
# Usage: bench/clipboard-vs-imagemagick.sh [BUILD_DIR]
set -eu
. "$(dirname "$0")/common.sh"
bench="$build/bench/bench_clipboard"
require_program "$bench"
require_command convert

make_photo

export MAGICK_THREAD_LIMIT=1
runs=3
base=$(peer_ms convert "$work/photo.mpc" null:)
fast=$(( $(peer_ms convert "$work/photo.mpc" -quality 15 "png:$work/fast.png") - base ))
default=$(( $(peer_ms convert "$work/photo.mpc" "png:$work/default.png") - base ))

VISTREL_BENCH_PHOTO="$work/photo.bmp" "$bench" --benchmark_format=json >"$work/ours.json"

python3 - "$work/ours.json" "$fast" "$default" <<'PY'
import json, sys
ours = {b["name"]: b["real_time"] for b in json.load(open(sys.argv[1]))["benchmarks"]}
fast, default = (max(float(v), 0.1) for v in sys.argv[2:4])
print(f"copy (Ctrl+C)                  : vistrel {ours['BM_ClipboardCopy']:7.1f} ms")
print(f"copy + paste as BMP            : vistrel {ours['BM_ClipboardPasteBmp']:7.1f} ms")
png = ours["BM_ClipboardPastePng"]
print(f"copy + paste as PNG (zlib 1)   : vistrel {png:7.1f} ms, ImageMagick PNG zlib 1 {fast:7.1f} ms, "
      f"ImageMagick / vistrel {fast / png:5.2f}")
print(f"                                 ImageMagick PNG default {default:7.1f} ms, "
      f"ImageMagick / vistrel {default / png:5.2f}")
PY
