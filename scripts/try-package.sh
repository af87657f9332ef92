#!/bin/sh
# Tries the built package as a user would: installs it with apt, creates a fresh user, builds
# the thumbnail page of the sample images as that user without any registration step, checks
# the menu entry, icons and manual pages, then removes the package and the user again.
# Runs as root on a machine where installing a package is fine (not part of CI).
# Usage: scripts/try-package.sh [PACKAGE.deb]   (default: the one in build/)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
deb=${1:-$(ls "$root"/build/vistrel_*.deb | head -n 1)}
deb=$(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")
user=vistrel-try-$$

cleanup() {
  userdel --remove "$user" 2>/dev/null || true
  DEBIAN_FRONTEND=noninteractive apt-get purge -y vistrel >/dev/null 2>&1 || true
}
trap cleanup EXIT

failed=0
check() { # description, command...
  description=$1
  shift
  if "$@"; then echo "ok: $description"; else echo "FAILED: $description"; failed=1; fi
}

DEBIAN_FRONTEND=noninteractive apt-get install -y "$deb"
useradd --create-home --shell /bin/sh "$user"
home=$(getent passwd "$user" | cut -d: -f6)
as_user() { runuser -u "$user" -- env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"; }

cp -r "$root/resources/samples" "$home/samples"
chown -R "$user:" "$home/samples"
status=0
as_user vistrel /t "$home/samples" || status=$?
check "vistrel /t builds the page as a fresh user (exit status 1)" test "$status" = 1
check "the page and its thumbnails are there" test -s "$home/samples/thumbnails.html" -a -d "$home/samples/thumbs_vistrel"
thumbs=$(ls "$home/samples/thumbs_vistrel" | wc -l)
echo "   $thumbs thumbnails"
check "InstallPath comes from the system-wide default" \
  sh -c "runuser -u '$user' -- env -i HOME='$home' PATH=/usr/bin:/bin kzreg query --origin 'HKCU\\Software\\Marvensk\\Vistrel' InstallPath | grep -qx '/usr/lib/vistrel/	/etc/xdg/kzutil-registry/HKEY_CURRENT_USER.reg'"
check "the user's store holds no copy of it" test ! -e "$home/.config/kzutil-registry/HKEY_CURRENT_USER.reg" -o -z "$(grep -l InstallPath "$home/.config/kzutil-registry/HKEY_CURRENT_USER.reg" 2>/dev/null)"
check "vistrel --version" as_user vistrel --version
check "vistrel-img reads a sample" sh -c "ls '$home'/samples/*.* | head -n 1 | xargs vistrel-img info >/dev/null"
check "man vistrel, vistrel-img and kzreg" sh -c 'for p in vistrel vistrel-img kzreg; do man -w "$p" >/dev/null || exit 1; done'
check "the menu entry is installed and valid" desktop-file-validate /usr/share/applications/vistrel.desktop
check "the desktop database offers it for JPEG" sh -c 'grep -q "^image/jpeg=.*vistrel.desktop" /usr/share/applications/mimeinfo.cache || ! command -v update-desktop-database >/dev/null'
check "the 48px icon is installed" test -f /usr/share/icons/hicolor/48x48/apps/vistrel.png

DEBIAN_FRONTEND=noninteractive apt-get purge -y vistrel
check "removal leaves no install folder" test ! -e /usr/lib/vistrel
check "removal leaves no default layer" test ! -e /etc/xdg/kzutil-registry/HKEY_CURRENT_USER.reg
check "removal leaves no command" test ! -e /usr/bin/vistrel

[ "$failed" = 0 ] && echo "try-package: all checks passed" || { echo "try-package: some checks failed"; exit 1; }
