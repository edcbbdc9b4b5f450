#!/bin/sh
# Configures and builds into build/ (or the folder given as BUILD_DIR).
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} -DTOVEL_WERROR=ON "$@" >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
