#!/bin/sh
# Installs every Debian 12 package that building, testing and benchmarking Vistrel needs.
# Runs as root (or through sudo) on a fresh machine; safe to run again.
set -eu

PACKAGES="
  build-essential cmake ninja-build pkg-config git clang libclang-rt-14-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libjpeg62-turbo-dev libpng-dev libtiff-dev zlib1g-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev libx11-dev libxrandr-dev
  imagemagick libjpeg-turbo-progs libimage-exiftool-perl exiv2
  xvfb xauth xclip xdotool valgrind python3 nlohmann-json3-dev
  fonts-liberation2 libvips-tools
  netpbm giflib-tools libtiff-tools libwmf-bin libcairo2-dev openbox x11-utils gcovr
  dpkg-dev scdoc shared-mime-info lintian desktop-file-utils appstream locales
"

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi

missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done

if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update
  # shellcheck disable=SC2086
  $SUDO apt-get install -y --no-install-recommends $missing
fi

# A locale that writes decimals with a comma, for the tests that must not depend on the locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  $SUDO locale-gen
fi
