#!/bin/sh
# The fault soak: auto-program runs (erase, program and verify of Flash and EEPROM) through the
# Workbench against the simulated board, with random faults on the line and in the socket, over
# every transfer path. Each run is checked: success only with the image in the chip, an end
# within the protocol's time-out bound, the board idle at 19200 baud and out of programming
# mode, the port closed, the image files unchanged.
#
#   tools/soak.sh [RUNS] [--seed S] [--first I] [--timeout-ms T] [--verbose] [--trace] [--keep-files]
#
# RUNS defaults to 1000. The seed is printed first; a broken rule prints the command that
# replays that run alone (add --trace to see its status lines, boxes and the last bytes on the
# line). Builds build/ (or BUILD_DIR) first.
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
if [ ! -f "$BUILD_DIR/build.ninja" ] && [ ! -f "$BUILD_DIR/Makefile" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} >/dev/null
fi
cmake --build "$BUILD_DIR" -j"$(nproc)" --target tovel_fault_soak >/dev/null
exec "$BUILD_DIR/tests/soak/tovel_fault_soak" "$@"
