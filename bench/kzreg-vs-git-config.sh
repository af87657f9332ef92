#!/bin/sh
# Times kzreg against git config on the same settings: both read or rewrite a text file of
# COUNT values in one process per call, and both write under a lock file and rename; kzreg
# also syncs the file and its folder to disk, git config does not. Prints the ratios.
# Usage: bench/kzreg-vs-git-config.sh [BUILD_DIR] [COUNT] [CALLS]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
count=${2:-1000}
calls=${3:-200}
tool="$build/tools/kzreg"
[ -x "$tool" ] || { echo "build kzreg first ($tool)" >&2; exit 2; }
command -v git >/dev/null || { echo "git is not installed" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export KZUTIL_REGISTRY_DIR="$work/store"
mkdir -p "$KZUTIL_REGISTRY_DIR"
awk -v n="$count" 'BEGIN {
  printf "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\n[HKEY_CURRENT_USER\\Software\\Marvensk]\n\n"
  printf "[HKEY_CURRENT_USER\\Software\\Marvensk\\Vistrel]\n"
  for (i = 0; i < n; i++) printf "\"Value%d\"=dword:%08x\n", i, i }' >"$KZUTIL_REGISTRY_DIR/HKEY_CURRENT_USER.reg"
awk -v n="$count" 'BEGIN { printf "[vistrel]\n"; for (i = 0; i < n; i++) printf "\tvalue%d = %d\n", i, i }' >"$work/config"
key='HKCU\Software\Marvensk\Vistrel'
middle=$((count / 2))

seconds() { # runs "$@" $calls times; prints the elapsed seconds
  start=$(date +%s.%N)
  i=0
  while [ "$i" -lt "$calls" ]; do "$@" >/dev/null; i=$((i + 1)); done
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}

kzread=$(seconds "$tool" query "$key" "Value$middle")
gitread=$(seconds git config --file "$work/config" --get "vistrel.value$middle")
kzwrite=$(seconds "$tool" add "$key" "Value$middle" dword 7)
gitwrite=$(seconds git config --file "$work/config" "vistrel.value$middle" 7)
awk -v n="$count" -v c="$calls" -v kr="$kzread" -v gr="$gitread" -v kw="$kzwrite" -v gw="$gitwrite" 'BEGIN {
  printf "%d values, %d calls each\n", n, c
  printf "read:  kzreg %.3f s, git config %.3f s, git / kzreg %.2f\n", kr, gr, gr / kr
  printf "write: kzreg %.3f s, git config %.3f s, git / kzreg %.2f\n", kw, gw, gw / kw }'
