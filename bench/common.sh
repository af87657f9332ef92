# Set-up shared by the peer comparison scripts; sourced right after `set -eu`. Takes the build
# folder as the script's $1 and sets root, build, corpus, work (a temporary folder removed on
# exit) and source (the corpus photo the scripts enlarge to 4000 x 3000).
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
corpus=${VISTREL_CORPUS_DIR:-"$root/../shared/corpus"}

require_program() { [ -x "$1" ] || { echo "build $(basename "$1") first ($1)" >&2; exit 2; }; }
require_command() { command -v "$1" >/dev/null || { echo "$1 is not installed" >&2; exit 2; }; }

source="$corpus/exif/exif-samples/hdr/canon_hdr_YES.jpg"
[ -f "$source" ] || { echo "corpus photo not found: $source" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
