#!/bin/sh
# Installs what is missing, builds Vistrel and runs it on the bundled sample images.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build" -DVISTREL_TESTS=OFF -DVISTREL_BENCH=OFF

out="$root/build/samples-out"
mkdir -p "$out"
for image in "$root"/resources/samples/*; do
  name=$(basename "$image")
  echo "== $name"
  "$root/build/tools/vistrel-img" info "$image" || true
done
