#!/bin/sh
# Configures and builds Vistrel into build/ (or the folder given as $1) with extra CMake options.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-"$root/build"}
[ $# -gt 0 ] && shift
cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
