#!/bin/sh
# Whole processes, same files, same run: `vistrel-img info` on a 4000 x 3000 JPEG against
# `djpeg -outfile /dev/null` (both decode every pixel), and the start-up of `vistrel-img` and
# `kzreg` on a tiny file against `true`. Prints the best of 15 runs each and the ratios.
# Usage: bench/startup-vs-djpeg.sh [BUILD_DIR]
set -eu
. "$(dirname "$0")/common.sh"
tool="$build/tools/vistrel-img"
require_program "$tool"
require_program "$build/tools/kzreg"
require_command djpeg
convert "$source" -resize '4000x3000!' -quality 90 "$work/photo.jpg"
convert "$source" -resize '8x8!' "$work/tiny.bmp"
export KZUTIL_REGISTRY_DIR="$work/store"

python3 - "$work" "$tool" "$build/tools/kzreg" <<'PY'
import subprocess, sys, time
work, tool, kzreg = sys.argv[1:4]

def best_ms(command, runs=15):
    best = None
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        spent = (time.perf_counter() - start) * 1000
        best = spent if best is None else min(best, spent)
    return best

photo = f"{work}/photo.jpg"
ours = best_ms([tool, "info", photo])
peer = best_ms(["djpeg", "-outfile", "/dev/null", photo])
print(f"vistrel-img info 4000x3000 JPEG  {ours:7.1f} ms   djpeg {peer:7.1f} ms   ratio {ours / peer:.2f}")
start = best_ms([tool, "info", f"{work}/tiny.bmp"])
registry = best_ms([kzreg, "query", "HKCU\\Software"])
nothing = best_ms(["true"])
print(f"start-up: vistrel-img {start:.1f} ms, kzreg {registry:.1f} ms, true {nothing:.1f} ms")
PY
