#!/bin/sh
# Renders every placeable WMF of the corpus to PNG with vistrel-img and with libwmf's wmf2gd at
# the same size (ours: the file's size at 96 dpi), in the same run, and prints both times per
# file, the ratio and the totals. Each time is the processor time of a whole program run: start,
# render, PNG out.
# Usage: bench/metafiles-vs-wmf2gd.sh [BUILD_DIR]
set -eu
. "$(dirname "$0")/common.sh"
tool="$build/tools/vistrel-img"
require_program "$tool"
require_command wmf2gd

ours_total=0
theirs_total=0
printf '%-28s %11s %9s %9s %8s\n' file size vistrel wmf2gd ratio
for file in $(find "$corpus/wmf" -name '*.wmf' -not -path '*/bad/*' -not -path '*/non-placeable/*' | sort); do
  size=$("$tool" info "$file" | awk '/^width:/ {w=$2} /^height:/ {h=$2} END {print w "x" h}')
  width=${size%x*}
  height=${size#*x}
  if ! wmf2gd --maxwidth="$width" --maxheight="$height" --maxpect -o "$work/theirs.png" "$file" >/dev/null 2>&1; then
    printf '%-28s %11s (wmf2gd cannot read it)\n' "$(basename "$(dirname "$file")")/$(basename "$file")" "$size"
    continue
  fi
  times=$(cpu_ms_pair "$tool" convert "$file" "$work/ours.png" -- \
    wmf2gd --maxwidth="$width" --maxheight="$height" --maxpect -o "$work/theirs.png" "$file")
  ours=${times% *}
  theirs=${times#* }
  ours_total=$(awk "BEGIN { print $ours_total + $ours }")
  theirs_total=$(awk "BEGIN { print $theirs_total + $theirs }")
  printf '%-28s %11s %6.1f ms %6.1f ms %8s\n' "$(basename "$(dirname "$file")")/$(basename "$file")" "$size" \
    "$ours" "$theirs" "$(awk "BEGIN { printf \"%.2f\", $theirs / ($ours > 0 ? $ours : 1) }")"
done
printf '%-28s %11s %6.1f ms %6.1f ms %8s\n' total "" "$ours_total" "$theirs_total" \
  "$(awk "BEGIN { printf \"%.2f\", $theirs_total / ($ours_total > 0 ? $ours_total : 1) }")"
echo "ratio = wmf2gd time / vistrel time (above 1: vistrel is faster)"
