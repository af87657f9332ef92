#!/bin/sh
# Builds the Debian package vistrel_<version>_<arch>.deb in BUILD_DIR and checks it: control data
# and contents (dpkg-deb), lintian (errors fail, warnings are listed), the desktop entry
# (desktop-file-validate), the AppStream file (appstreamcli) and the unpacked programs.
# A BUILD_DIR that is not configured yet is configured as Debian builds packages: /usr, only
# Debian's optimisation and hardening flags (build type None), warnings not fatal, no tests.
# Usage: scripts/package.sh [BUILD_DIR]   (default: build-package)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-package"}

if [ ! -f "$build/CMakeCache.txt" ]; then
  eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
  CXXFLAGS="$CPPFLAGS $CXXFLAGS" CFLAGS="$CPPFLAGS $CFLAGS" \
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
      -DVISTREL_TESTS=OFF -DVISTREL_BENCH=OFF
fi
cmake --build "$build" -j "$(nproc)"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/vistrel_${version}_$(dpkg --print-architecture).deb"
rm -f "$deb"
(cd "$build" && cpack -G DEB >/dev/null)

failed=0
fail() { echo "package check failed: $*" >&2; failed=1; }

info=$(dpkg-deb --field "$deb" Package Version Section Depends)
echo "$info"
for expected in "Package: vistrel" "Version: $version" "Section: graphics"; do
  echo "$info" | grep -qx "$expected" || fail "control field \"$expected\" missing"
done
for library in libc6 libqt6widgets6 libjpeg62-turbo libpng16-16 libtiff6 libcairo2; do
  echo "$info" | grep -q "^Depends:.*\b$library\b" || fail "Depends lacks $library"
done

contents=$(dpkg-deb --contents "$deb" | awk '{ print $6 }')
for path in ./usr/bin/vistrel ./usr/bin/vistrel-img ./usr/bin/kzreg ./usr/lib/vistrel/vistrel \
  ./usr/lib/vistrel/libKzutil.so.0 ./usr/lib/vistrel/libKzutilDialogs.so ./usr/lib/vistrel/vistrel-help.html \
  ./usr/lib/vistrel/template.html ./etc/xdg/kzutil-registry/HKEY_CURRENT_USER.reg \
  ./usr/share/applications/vistrel.desktop ./usr/share/metainfo/vistrel.metainfo.xml \
  ./usr/share/icons/hicolor/scalable/apps/vistrel.svg ./usr/share/doc/vistrel/copyright \
  ./usr/share/doc/vistrel/changelog.gz ./usr/share/man/man1/vistrel.1.gz \
  ./usr/share/man/man1/vistrel-img.1.gz ./usr/share/man/man1/kzreg.1.gz; do
  echo "$contents" | grep -qx "$path" || fail "$path missing"
done
for size in 16 22 24 32 48 64 128 256; do
  echo "$contents" | grep -qx "./usr/share/icons/hicolor/${size}x$size/apps/vistrel.png" || fail "${size}px icon missing"
done
outside=$(echo "$contents" | grep -v -e '^\./usr/' -e '^\./etc/$' -e '^\./etc/xdg/' || true)
[ -z "$outside" ] || fail "files outside /usr and /etc/xdg: $outside"

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb --extract "$deb" "$tree"
grep -qx '"InstallPath"="/usr/lib/vistrel/"' "$tree/etc/xdg/kzutil-registry/HKEY_CURRENT_USER.reg" ||
  fail "the default layer does not hold InstallPath /usr/lib/vistrel/"
desktop-file-validate "$tree/usr/share/applications/vistrel.desktop" || fail "desktop-file-validate"
# Warnings are listed; only errors fail (the id is not a reversed domain name: there is no domain).
appstream=$(appstreamcli validate --no-net "$tree/usr/share/metainfo/vistrel.metainfo.xml" || true)
echo "$appstream"
echo "$appstream" | grep -q '^E:' && fail "appstreamcli validate"
# The unpacked programs find their library where the package puts it.
"$tree/usr/bin/vistrel-img" formats >/dev/null || fail "vistrel-img does not start"
"$tree/usr/lib/vistrel/vistrel" --version || fail "vistrel does not start"

lintian --allow-root --fail-on error --suppress-tags-from-file /dev/null "$deb" || fail "lintian reports errors"

[ "$failed" = 0 ] || exit 1
echo "Package $deb built and checked."
