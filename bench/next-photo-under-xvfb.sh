#!/bin/sh
# Time from Page Down to the painted frame of the next 12-megapixel photo in the real window on
# an X server (Xvfb), with the prefetcher (prefetch:1) and without it (prefetch:0).
# Usage: bench/next-photo-under-xvfb.sh [BUILD_DIR]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
[ -x "$build/bench/bench_next_photo" ] || { echo "build bench_next_photo first" >&2; exit 2; }
command -v xvfb-run >/dev/null || { echo "xvfb-run is not installed" >&2; exit 2; }
KZUTIL_REGISTRY_DIR=$(mktemp -d)
export KZUTIL_REGISTRY_DIR
trap 'rm -rf "$KZUTIL_REGISTRY_DIR"' EXIT
xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" env QT_QPA_PLATFORM=xcb "$build/bench/bench_next_photo"
