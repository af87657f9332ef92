#!/bin/sh
# Installs what is missing, builds everything with gcc, runs every test, and builds and checks the
# Debian package from that build; builds and runs the unit tests again under AddressSanitizer +
# UndefinedBehaviorSanitizer and the viewer's thread tests under ThreadSanitizer; builds with
# clang and runs the tests there; then a short fuzzing pass over every fuzz target.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

jobs=$(nproc)
"$root/scripts/build.sh" "$root/build" -DVISTREL_WERROR=ON
ctest --test-dir "$root/build" --output-on-failure --parallel "$jobs" --timeout 900
"$root/scripts/package.sh" "$root/build"

"$root/scripts/build.sh" "$root/build-asan" -DVISTREL_WERROR=ON -DVISTREL_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=Debug -DVISTREL_SANITIZE=address,undefined
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$root/build-asan" --output-on-failure --parallel "$jobs" --timeout 1800

# ThreadSanitizer over the tests of the viewer's threads only: it is slow, and that is where
# threads meet.
cmake -S "$root" -B "$root/build-tsan" -G Ninja -DVISTREL_WERROR=ON -DVISTREL_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug \
  -DVISTREL_SANITIZE=thread >/dev/null
cmake --build "$root/build-tsan" --target viewer_thread_tests --parallel "$jobs"
TSAN_OPTIONS=halt_on_error=1 "$root/build-tsan/tests/viewer/viewer_thread_tests"

CC=clang CXX=clang++ "$root/scripts/build.sh" "$root/build-clang" -DVISTREL_WERROR=ON -DVISTREL_BENCH=OFF
ctest --test-dir "$root/build-clang" --output-on-failure --parallel "$jobs" --timeout 900

"$root/scripts/fuzz.sh" --smoke
echo "All tests passed (gcc, sanitized and clang builds, fuzz smoke pass)."
