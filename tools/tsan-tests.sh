#!/bin/sh
# Builds the test programs with the thread sanitizer in build-tsan/ (or BUILD_DIR) and runs the
# tests in which more than one thread works: the operation runner and its worker, Cancel, the
# headless host, the workbench and the command line driving operations, search and firmware
# update, the production line of several boards, the serial-number store and the chip log, and
# the simulated board's own thread. Fails on any data race the sanitizer reports.
#
#   tools/tsan-tests.sh [CTEST_REGEX]
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build-tsan}
TESTS=${1:-'^(unit\.(RunnerTest|FirmwareUpdateTest|BoardSearchTest|SerialAllocatorTest|ChipLog)|e2e\.(RunnerE2E|GangRun|GangHandsFree|ProductionLine|DrivingTheWorkbench|CliInProcess|AutoProgramming|FirmwareUpdateE2E|SearchE2E|SessionE2E)|sim\.PtyHost)\.'}

cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${SANITIZER_FLAGS:+"-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=$SANITIZER_FLAGS"} -DTOVEL_SANITIZE=thread -DTOVEL_WERROR=ON \
  -DTOVEL_BUILD_GUI=OFF >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" --target tovel_unit_tests tovel_e2e_tests tovel_sim_tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}" \
  ctest --test-dir "$BUILD_DIR" -R "$TESTS" --output-on-failure -j"$(nproc)" --timeout 600
