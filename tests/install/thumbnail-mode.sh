#!/bin/sh
# Installs the build into a temporary prefix, as a user would, and runs the installed program
# without any display: the thumbnail mode on a folder of mixed images, and the cases that must
# end with exit status 0.
# Usage: thumbnail-mode.sh BUILD_DIR SOURCE_DIR CORPUS_DIR
set -eu
build=$1
source=$2
corpus=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -d "$corpus/names" ] || { echo "FAIL: corpus folder missing: $corpus/names" >&2; exit 1; }

export KZUTIL_REGISTRY_DIR="$work/registry"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
vistrel="$work/prefix/bin/vistrel"
for file in vistrel libKzutil.so vistrel-help.html template.html; do
  [ -f "$work/prefix/lib/vistrel/$file" ] || fail "$file is not in the install folder"
done
[ -L "$vistrel" ] || fail "bin/vistrel is not a link"
# Every installed program finds the libraries it was linked with where they were installed.
for program in "$work/prefix/bin"/* "$work/prefix/lib/vistrel/vistrel"; do
  missing=$(env -u LD_LIBRARY_PATH ldd "$(readlink -f "$program")" | grep 'not found') && fail "$(basename "$program") misses: $missing"
done
info=$(env -u LD_LIBRARY_PATH "$work/prefix/bin/vistrel-img" info "$source/resources/samples/checker.bmp" 2>&1) ||
  fail "the installed vistrel-img did not run: $info"
registered=$("$work/prefix/bin/kzreg" query 'HKCU\Software\Marvensk\Vistrel' InstallPath)
[ "$registered" = "$work/prefix/lib/vistrel/" ] || fail "InstallPath is '$registered'"
"$work/prefix/bin/kzreg" add 'HKCU\Software\Marvensk\Vistrel' ThumbWidth dword 80 >/dev/null
"$work/prefix/bin/kzreg" add 'HKCU\Software\Marvensk\Vistrel' ThumbHeight dword 60 >/dev/null

# Runs the installed program with no display; sets status.
run() {
  status=0
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$vistrel" "$@" >"$work/stdout" 2>"$work/stderr" || status=$?
}

# Seven readable images (names with markup, quotes, '&', '#', '%' and spaces; two that differ
# only in extension) and, listed last, two that cannot be decoded: they take places in the last
# row but get no cells.
pics="$work/pics"
mkdir -p "$pics"
cp "$corpus"/names/*.jpg "$pics"/
cp "$source/resources/samples/checker.bmp" "$pics/a.bmp"
cp "$source/resources/samples/plasma.png" "$pics/a.png"
printf 'BM broken' >"$pics/zz-broken.bmp"
head -c 300 "$source/resources/samples/harbour.jpg" >"$pics/zz-cut.jpg"
run /t "$pics"
[ $status -eq 1 ] || fail "/t on a folder of images ended with $status: $(cat "$work/stderr")"
# Not a terminal: no progress line, only the summary and the files that failed, with reasons.
[ "$(head -n 1 "$work/stderr")" = "Thumbnails: 7 made, 0 kept, 2 failed" ] || fail "summary: $(cat "$work/stderr")"
[ "$(sed -n '2,$s/: .*//p' "$work/stderr" | tr '\n' ' ')" = "zz-broken.bmp zz-cut.jpg " ] ||
  fail "failed files not named: $(cat "$work/stderr")"
cp "$pics/thumbnails.html" "$work/first.html"
run /t "$pics"
[ $status -eq 1 ] && [ "$(head -n 1 "$work/stderr")" = "Thumbnails: 0 made, 7 kept, 2 failed" ] ||
  fail "a second build made thumbnails again: $(cat "$work/stderr")"
cmp -s "$pics/thumbnails.html" "$work/first.html" || fail "a second build changed the page"

report=$(python3 "$source/tests/viewer/check_page.py" "$pics/thumbnails.html") || fail "page check: $report"
[ "$(echo "$report" | grep -c '^alt ')" -eq 7 ] || fail "expected 7 images on the page: $report"
[ "$(echo "$report" | grep '^row ' | tr '\n' ' ')" = "row 6 row 6 row 1 row 1 " ] ||
  fail "expected a row of six and a row of one with their captions: $report"
echo "$report" | grep -qxF 'caption it'"'"'s <b>?.jpg' || fail "markup in a name not shown as text: $report"

thumbs=$(ls "$pics/thumbs_vistrel" | wc -l)
[ "$thumbs" -eq 7 ] || fail "expected 7 thumbnails, found $thumbs"
for thumb in "$pics"/thumbs_vistrel/*; do
  # Read from standard input: ImageMagick would expand '%' and '[' in a file name.
  size=$(identify -format '%w %h' jpg:- <"$thumb")
  set -- $size
  { [ "$1" -le 80 ] && [ "$2" -le 60 ] && { [ "$1" -eq 80 ] || [ "$2" -eq 60 ]; }; } ||
    fail "$(basename "$thumb") is $1 x $2, not fitted into 80 x 60"
done

# On a terminal the count goes up in place on one line, which the summary then replaces.
if command -v script >/dev/null; then
  rm -rf "$pics/thumbs_vistrel"
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM script -q -c "'$vistrel' /t '$pics'" "$work/typescript" >/dev/null || true
  grep -q "$(printf '\rThumbnails 9 of 9')" "$work/typescript" || fail "no progress on a terminal: $(cat -v "$work/typescript")"
  grep -q "$(printf '\r\033\\[KThumbnails: 7 made, 0 kept, 2 failed')" "$work/typescript" ||
    fail "the progress line was not cleared for the summary: $(cat -v "$work/typescript")"
fi

# A relative folder, also written with "./" and a trailing slash.
for relative in pics ./pics pics/; do
  rm -rf "$pics/thumbs_vistrel" "$pics/thumbnails.html"
  status=0
  (cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$vistrel" /t "$relative" 2>"$work/stderr") || status=$?
  [ $status -eq 1 ] && [ -f "$pics/thumbnails.html" ] || fail "/t $relative ended with $status: $(cat "$work/stderr")"
done

# A folder the page cannot be written into says why.
mkdir -p "$work/spoilt"
cp "$pics/a.bmp" "$work/spoilt/"
echo "in the way" >"$work/spoilt/thumbs_vistrel"
run /t "$work/spoilt"
[ $status -eq 0 ] || fail "/t on a folder that cannot take thumbnails ended with $status"
grep -qF "'$work/spoilt/thumbs_vistrel': Not a directory" "$work/stderr" ||
  fail "no reason given for the unwritable folder: $(cat "$work/stderr")"

run /t "$work/missing"
[ $status -eq 0 ] || fail "/t on a missing folder ended with $status"
[ ! -e "$work/missing" ] || fail "a missing folder was created"

mkdir -p "$work/empty"
echo "no image" >"$work/empty/notes.txt"
run /t "$work/empty"
[ $status -eq 0 ] || fail "/t on a folder without images ended with $status"
[ ! -e "$work/empty/thumbs_vistrel" ] || fail "a folder without images got a thumbnail folder"

run "$pics/a.bmp"
[ $status -eq 0 ] || fail "window mode without a display ended with $status"
grep -q 'no display' "$work/stderr" || fail "window mode without a display said: $(cat "$work/stderr")"

# Asking for the X11 or Wayland platform without its display must not end the thumbnail mode.
rm -rf "$pics/thumbs_vistrel" "$pics/thumbnails.html"
for platform in xcb wayland; do
  status=0
  env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=$platform "$vistrel" /t "$pics" 2>"$work/stderr" || status=$?
  [ $status -eq 1 ] || fail "/t with QT_QPA_PLATFORM=$platform and no display ended with $status"
done

export KZUTIL_REGISTRY_DIR="$work/other-user"
run /t "$pics"
[ $status -eq 0 ] || fail "an uninstalled program ended with $status"
[ "$(cat "$work/stderr")" = "Vistrel is not properly installed on this computer.
Please reinstall Vistrel." ] || fail "not-installed message: $(cat "$work/stderr")"
echo "installed program: thumbnail mode and its failures behave"
