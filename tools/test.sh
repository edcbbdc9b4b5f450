#!/bin/sh
# Installs what is needed, builds, and runs every test:
#  - the parsers of outside input briefly under libFuzzer (tools/fuzz-smoke.sh documents a long run);
#  - the tests in which threads work together under the thread sanitizer (tools/tsan-tests.sh);
#  - formatting, clang-tidy over src/ and sim/, cppcheck over the core (tools/lint.sh);
#  - the programs in the Release configuration packagers build (GCC warns about more at -O3),
#    built but not run;
#  - the whole suite in a build with the address and undefined-behaviour sanitizers (build-asan/),
#    last, so that its summary closes the output.
# The sanitizer builds compile at -O1 with line tables only (-g1): half the compile time of -O2 -g,
# and a report still names function, file and line.
set -eu
cd "$(dirname "$0")/.."
sh tools/install-deps.sh
SANITIZER_FLAGS="-O1 -g1 -DNDEBUG"
export SANITIZER_FLAGS
BUILD_DIR=build-asan sh tools/build.sh -DTOVEL_SANITIZE=address,undefined "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=$SANITIZER_FLAGS"
FUZZ_SEED=${FUZZ_SEED:-1} sh tools/fuzz-smoke.sh "${FUZZ_SECONDS:-10}"
sh tools/tsan-tests.sh
BUILD_DIR=build-asan sh tools/lint.sh
BUILD_DIR=build-release BUILD_TYPE=Release BUILD_TARGETS="tovelisp-cli tovel-sim tovelisp tovel_benches" sh tools/build.sh
ASAN_OPTIONS="detect_leaks=1 ${ASAN_OPTIONS:-}" UBSAN_OPTIONS="print_stacktrace=1 ${UBSAN_OPTIONS:-}" \
  ctest --test-dir build-asan --output-on-failure -j"$(nproc)" --timeout 600
