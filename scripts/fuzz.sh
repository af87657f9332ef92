#!/bin/sh
# Builds the libFuzzer programs with clang (ASan + UBSan) into build-fuzz/ and runs them.
#   scripts/fuzz.sh [TARGET|all] [SECONDS]   a campaign: each target for SECONDS (default 600),
#                                            seeded with its corpus folders; what it finds goes to
#                                            build-fuzz/corpus/TARGET, crashes to build-fuzz/crashes/
#   scripts/fuzz.sh --smoke                  CI's bounded pass: every target, fixed seed, a short
#                                            run each, two at a time
# Targets: any, exif, regdoc and one per format of the codec table (bmp, jpg, gif …).
# A crashing input belongs in tests/data/crashers/TARGET/, named after what it triggers.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"

# The corpus folders that seed a target.
seeds() {
  c="$root/tests/corpus"
  case $1 in
    any) echo "$c" ;;
    exif) echo "$c/exif" ;;
    regdoc) ;;
    bmp) echo "$c/bmp $c/bmpsuite" ;;
    jpg) echo "$c/jpeg $c/exif/exif-samples" ;;
    png) echo "$c/png $c/pngsuite" ;;
    tif) echo "$c/tiff" ;;
    wmf) echo "$c/wmf $c/emf" ;;
    *) echo "$c/$1" ;;
  esac
  if [ -d "$root/tests/data/crashers/$1" ]; then echo "$root/tests/data/crashers/$1"; fi
}

# One target: NAME SECONDS RUNS (0 = no limit on runs).
if [ "${1:-}" = "--one" ]; then
  name=$2
  mkdir -p "$build/corpus/$name" "$build/crashes/$name"
  log="$build/crashes/$name.log"
  # libFuzzer reads -runs=0 as "run nothing"; unlimited is -1.
  runs=$4
  [ "$runs" != 0 ] || runs=-1
  # shellcheck disable=SC2046
  if ! ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/fuzz/fuzz_$name" -seed=1 -max_len=65536 -rss_limit_mb=2048 -timeout=20 -max_total_time="$3" \
    -runs="$runs" -print_final_stats=1 -artifact_prefix="$build/crashes/$name/" \
    "$build/corpus/$name" $(seeds "$name") >"$log" 2>&1; then
    echo "fuzz_$name FAILED (log $log, input in $build/crashes/$name/):" >&2
    grep -E '^(==[0-9]+==ERROR|SUMMARY|fuzz invariant|    #[0-9] )' "$log" | head -n 20 >&2
    exit 1
  fi
  printf 'fuzz_%-7s %10s executions\n' "$name" "$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
  exit 0
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DVISTREL_FUZZ=ON -DVISTREL_TESTS=OFF \
  -DVISTREL_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel "$(nproc)" >/dev/null
targets=$(cd "$build/fuzz" && ls fuzz_* | sed 's/^fuzz_//')

if [ "${1:-}" = "--smoke" ]; then
  # A fixed number of runs keeps the pass repeatable; the time bound keeps it short.
  echo "$targets" | xargs -P 2 -I{} "$0" --one {} 20 20000
  exit
fi

which=${1:-all}
seconds=${2:-600}
[ "$which" = all ] || targets=$which
for t in $targets; do "$0" --one "$t" "$seconds" 0; done
