#!/bin/sh
# Installs a built tree into a folder inside it and registers that folder as the program's
# install folder, so the program can start from the build.
# Usage: scripts/dev-install.sh [BUILD_DIR]   (installs into BUILD_DIR/install)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-"$root/build"}" && pwd)
cmake --install "$build" --prefix "$build/install" >/dev/null
echo "$build/install/bin/vistrel"
