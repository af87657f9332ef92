#!/bin/sh
# Times the Exif report of vistrel-img against exiftool on the same corpus photos, one process
# per file for both tools, and prints the ratio. Usage: bench/exif-vs-exiftool.sh [BUILD_DIR]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
corpus=${VISTREL_CORPUS_DIR:-"$root/tests/corpus"}/exif
tool="$build/tools/vistrel-img"
[ -x "$tool" ] || { echo "build vistrel-img first ($tool)" >&2; exit 2; }
command -v exiftool >/dev/null || { echo "exiftool is not installed" >&2; exit 2; }

list=$(mktemp)
trap 'rm -f "$list"' EXIT
find "$corpus" -type f \( -iname '*.jpg' -o -iname '*.jpeg' \) | sort >"$list"
count=$(wc -l <"$list")

seconds() { # runs "$@" FILE for each listed file; prints the elapsed seconds
  start=$(date +%s.%N)
  while IFS= read -r file; do "$@" "$file" >/dev/null 2>&1 || true; done <"$list"
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}

ours=$(seconds "$tool" exif)
peer=$(seconds exiftool -fast)
awk -v n="$count" -v ours="$ours" -v peer="$peer" 'BEGIN {
  printf "files: %d\nvistrel-img exif: %.3f s\nexiftool -fast:   %.3f s\nexiftool / vistrel-img: %.1f\n",
         n, ours, peer, peer / ours }'
