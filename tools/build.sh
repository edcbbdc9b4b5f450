#!/bin/sh
# Configures and builds into build/ (or the folder given as BUILD_DIR); BUILD_TARGETS names the
# targets to build (default: all).
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} -DTOVEL_WERROR=ON "$@" >/dev/null
# shellcheck disable=SC2086
cmake --build "$BUILD_DIR" -j"$(nproc)" ${BUILD_TARGETS:+--target $BUILD_TARGETS}
