# Set-up shared by the peer comparison scripts; sourced right after `set -eu`. Takes the build
# folder as the script's $1 and sets root, build, corpus, work (a temporary folder removed on
# exit) and source (the corpus photo the scripts enlarge to 4000 x 3000 with make_photo); peer_ms
# times a peer tool by the clock, cpu_ms_pair two commands by the processor time they use.
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
corpus=${VISTREL_CORPUS_DIR:-"$root/tests/corpus"}

require_program() { [ -x "$1" ] || { echo "build $(basename "$1") first ($1)" >&2; exit 2; }; }
require_command() { command -v "$1" >/dev/null || { echo "$1 is not installed" >&2; exit 2; }; }

source="$corpus/exif/exif-samples/hdr/canon_hdr_YES.jpg"
[ -f "$source" ] || { echo "corpus photo not found: $source" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The source photo enlarged to 4000 x 3000: a 24-bit BMP ($work/photo.bmp) and ImageMagick's
# pixel cache of it ($work/photo.mpc), which timed runs of convert load without decoding.
make_photo() {
  convert "$source" -resize '4000x3000!' -type TrueColor "BMP3:$work/photo.bmp"
  convert "$work/photo.bmp" "$work/photo.mpc"
}

# Mean milliseconds of one run of the given command, over $runs runs (5 unless set).
peer_ms() {
  n=${runs:-5}
  start=$(date +%s%N)
  i=0
  while [ $i -lt "$n" ]; do "$@" >/dev/null 2>&1; i=$((i + 1)); done
  end=$(date +%s%N)
  echo $(( (end - start) / n / 1000000 ))
}

# Least milliseconds of processor time (user + system) of one run of each of two commands, given
# as `first command -- second command`, over $runs runs (5 unless set); prints both. The runs
# alternate, so that a burst of load from the neighbours on the shared machine falls on both, and
# the clock would measure the neighbours too.
cpu_ms_pair() {
  python3 - "${runs:-5}" "$@" <<'PY'
import resource, subprocess, sys
split = sys.argv.index("--")
commands = [sys.argv[2:split], sys.argv[split + 1:]]
best = [None, None]
for _ in range(int(sys.argv[1])):
    for i, command in enumerate(commands):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        spent = (after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime) * 1000
        best[i] = spent if best[i] is None else min(best[i], spent)
print(f"{best[0]:.1f} {best[1]:.1f}")
PY
}
