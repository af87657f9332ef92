#!/bin/sh
# Line and branch coverage of the tests per folder: builds with gcc's --coverage into
# build-coverage/, runs every test there and prints a table per source folder (and the full
# per-file report in build-coverage/coverage.txt). A lens for error paths no test reaches.
# Counters are updated atomically: the viewer's tests run threads, and racing counters go negative.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-coverage"
"$root/scripts/build.sh" "$build" -DVISTREL_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug \
  "-DCMAKE_CXX_FLAGS=--coverage -fprofile-update=atomic" "-DCMAKE_C_FLAGS=--coverage -fprofile-update=atomic" -DCMAKE_EXE_LINKER_FLAGS=--coverage \
  -DCMAKE_SHARED_LINKER_FLAGS=--coverage -DCMAKE_MODULE_LINKER_FLAGS=--coverage
find "$build" -name '*.gcda' -delete
ctest --test-dir "$build" --parallel "$(nproc)" --timeout 1800 >/dev/null || echo "(some tests failed; coverage still reported)" >&2
cd "$root"
gcovr --root "$root" --object-directory "$build" --exclude-unreachable-branches --exclude-throw-branches \
  --filter "$root/(imaging|kzutil|platform|viewer|tools)/" --txt "$build/coverage.txt" \
  --json-summary "$build/coverage.json" >/dev/null
python3 - "$build/coverage.json" <<'PY'
import collections, json, sys
files = json.load(open(sys.argv[1]))["files"]
folders = collections.OrderedDict()
for f in sorted(files, key=lambda f: f["filename"]):
    folder = f["filename"].rsplit("/", 1)[0] if "/" in f["filename"] else "."
    t = folders.setdefault(folder, [0, 0, 0, 0])
    t[0] += f["line_covered"]; t[1] += f["line_total"]; t[2] += f["branch_covered"]; t[3] += f["branch_total"]
pct = lambda a, b: f"{100 * a / b:5.1f} %" if b else "    - "
print(f"{'folder':<20} {'lines':>18} {'branches':>18}")
all_ = [0, 0, 0, 0]
for folder, t in folders.items():
    all_ = [a + b for a, b in zip(all_, t)]
    print(f"{folder:<20} {pct(t[0], t[1])} of {t[1]:>6}   {pct(t[2], t[3])} of {t[3]:>6}")
print(f"{'all':<20} {pct(all_[0], all_[1])} of {all_[1]:>6}   {pct(all_[2], all_[3])} of {all_[3]:>6}")
PY
