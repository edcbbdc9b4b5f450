#!/bin/sh
# Builds a Release tree for the prefix /usr in build-release/ (or BUILD_DIR) and the Debian
# package from it, checks the package with lintian when that is installed, and prints its path.
# Extra arguments go to CMake.
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build-release}
# Optimised as Debian builds its packages: -O2 with all the hardening flags dpkg-buildflags gives
# (stack protector, fortified functions, read-only relocations bound at start), in place of -O3.
cxxflags="-O2"
ldflags=""
if command -v dpkg-buildflags >/dev/null 2>&1; then
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
  ldflags="$(dpkg-buildflags --get LDFLAGS)"
fi
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DTOVEL_BUILD_TESTS=OFF -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" "$@" >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
rm -f "$BUILD_DIR"/tovelisp_*.deb
(cd "$BUILD_DIR" && cpack -G DEB >/dev/null)
deb=$(ls "$BUILD_DIR"/tovelisp_*.deb)
if command -v lintian >/dev/null 2>&1; then
  lintian --fail-on error "$deb"
fi
echo "$deb"
