#!/bin/sh
# Builds the libFuzzer targets (clang, address and undefined-behaviour sanitizers) in
# build-fuzz/ and runs each for a while from its seed corpus in fuzz/corpus/<target>/.
#
#   tools/fuzz-smoke.sh [SECONDS]      (default 20 a target; CI runs it briefly)
#
# New inputs a run finds go to build-fuzz/corpus/<target>/, crashes to build-fuzz/crashes/.
# The script fails when a target crashes, leaks, times out or trips a sanitizer.
#
# A long run, for example an hour on one target with both cores (inputs worth keeping can be
# minimised into the seed corpus afterwards with -merge=1):
#   build-fuzz/fuzz/tovel_fuzz_board_protocol -max_total_time=3600 -jobs=2 -workers=2 \
#       -timeout=10 -rss_limit_mb=2048 build-fuzz/corpus/board_protocol fuzz/corpus/board_protocol
#   build-fuzz/fuzz/tovel_fuzz_board_protocol -merge=1 fuzz/corpus/board_protocol build-fuzz/corpus/board_protocol
set -eu
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-20}
BUILD_DIR=${BUILD_DIR:-build-fuzz}
CXX=${CXX:-clang++}
export CXX

# target name, then its corpus folder, then its dictionary (or -)
TARGETS="image_decoder:hex:fuzz/hex.dict
srec:srec:fuzz/srec.dict
elf:elf:-
project_file:project_file:fuzz/ini.dict
settings_file:settings_file:fuzz/ini.dict
board_protocol:board_protocol:-
cli_arguments:cli_arguments:-"

cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${SANITIZER_FLAGS:+"-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=$SANITIZER_FLAGS"} -DTOVEL_BUILD_FUZZERS=ON -DTOVEL_WERROR=ON \
  -DTOVEL_SANITIZE=address,undefined -DTOVEL_BUILD_TESTS=OFF -DTOVEL_BUILD_GUI=OFF >/dev/null
names=""
for entry in $TARGETS; do
  name=${entry%%:*}
  [ "$name" = cli_arguments ] && [ ! -f src/cli/cli_options.cpp ] && continue
  names="$names tovel_fuzz_$name"
done
# shellcheck disable=SC2086
cmake --build "$BUILD_DIR" -j"$(nproc)" --target $names

mkdir -p "$BUILD_DIR/crashes"
# The file targets write a scratch file per input: a memory file system keeps that cheap.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  TMPDIR=/dev/shm
  export TMPDIR
fi
status=0
for entry in $TARGETS; do
  name=${entry%%:*}
  rest=${entry#*:}
  corpus=${rest%%:*}
  dict=${rest#*:}
  binary="$BUILD_DIR/fuzz/tovel_fuzz_$name"
  [ -x "$binary" ] || continue
  work="$BUILD_DIR/corpus/$corpus"
  mkdir -p "$work"
  # FUZZ_SEED fixes the random choices (CI sets it so a run can be replayed); 0 = libFuzzer's own.
  set -- -seed="${FUZZ_SEED:-0}" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$BUILD_DIR/crashes/$name-"
  [ "$dict" != - ] && set -- "$@" -dict="$dict"
  echo "== $name ($SECONDS_EACH s)"
  if ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     "$binary" "$@" "$work" "fuzz/corpus/$corpus" >"$BUILD_DIR/$name.log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units)' "$BUILD_DIR/$name.log" | tail -2
  else
    status=1
    echo "FAILED: $name (log: $BUILD_DIR/$name.log)"
    tail -40 "$BUILD_DIR/$name.log"
  fi
done
exit $status
