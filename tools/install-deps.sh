#!/bin/sh
# Installs everything the build, the tests, the benchmarks and the fuzzers need on Debian 12.
set -eu
packages="build-essential cmake ninja-build pkg-config git binutils clang libclang-rt-14-dev \
  libgtest-dev libgmock-dev libsqlite3-dev qt6-base-dev qt6-base-dev-tools qt6-translations-l10n \
  xvfb xauth x11-apps imagemagick clang-format clang-tidy cppcheck \
  srecord libelf-dev gcc-avr binutils-avr avr-libc at-spi2-core python3-pyatspi dbus-daemon"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
