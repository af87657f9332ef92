#!/bin/sh
# clang-tidy with the bugprone and performance checks over the project's own sources, using the
# compile commands of a gcc build in build/ (made when missing). Prints findings; exit 1 if any.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
[ -f "$build/compile_commands.json" ] || "$root/scripts/build.sh" "$build" -DVISTREL_BENCH=OFF
# Our sources that this build compiles (a fuzz target needs the fuzz build's flags).
files=$(cd "$root" && git ls-files '*.cpp' | grep -v '^tests/corpus/' |
  python3 -c 'import json, sys; built = {e["file"] for e in json.load(open(sys.argv[1]))}
print("\n".join(f for f in sys.stdin.read().split() if sys.argv[2] + "/" + f in built))' "$build/compile_commands.json" "$root")
cd "$root"
# shellcheck disable=SC2086
echo $files | xargs -n 8 -P "$(nproc)" clang-tidy -p "$build" --quiet \
  --checks='-*,bugprone-*,performance-*,-bugprone-easily-swappable-parameters' \
  --warnings-as-errors='*' --header-filter="^$root/(imaging|kzutil|platform|viewer|tools|fuzz|bench)/" 2>/dev/null |
  grep -v '^[0-9]* warnings\? generated' > "$build/lint.log" || true
if grep -q 'error:\|warning:' "$build/lint.log"; then
  cat "$build/lint.log"
  exit 1
fi
echo "clang-tidy: no findings"
