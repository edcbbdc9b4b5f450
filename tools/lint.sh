#!/bin/sh
# Static analysis of src/ except app/: clang-tidy with the checked-in .clang-tidy, then cppcheck,
# both from build/compile_commands.json (run tools/build.sh first, or name another build folder
# in BUILD_DIR). Fails when either finds something.
#
#   tools/lint.sh [FILE...]     (default: every .cpp under src/ except app/)
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
CLANG_TIDY=${CLANG_TIDY:-clang-tidy-14}
if [ ! -f "$BUILD_DIR/compile_commands.json" ]; then
  echo "lint: $BUILD_DIR/compile_commands.json is missing; run tools/build.sh first" >&2
  exit 2
fi
if [ $# -gt 0 ]; then
  files="$*"
else
  files=$(find src -name '*.cpp' ! -path 'src/app/*' | sort)
fi

status=0
echo "== clang-tidy"
# One process per core; each file's findings come out together.
# shellcheck disable=SC2086
printf '%s\n' $files | xargs -P "$(nproc)" -n 4 "$CLANG_TIDY" -p "$BUILD_DIR" --quiet 2>/dev/null \
  | grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$' >"$BUILD_DIR/clang-tidy.log" || true
if grep -q -E '(warning|error):' "$BUILD_DIR/clang-tidy.log"; then
  status=1
  cat "$BUILD_DIR/clang-tidy.log"
else
  echo "clang-tidy: clean"
fi

echo "== cppcheck"
# The compile database also lists the tests, the simulator and the front ends' files; only the
# files asked for are checked. Reasons for each suppression are in tools/cppcheck.supp.
# shellcheck disable=SC2086
if ! cppcheck --project="$BUILD_DIR/compile_commands.json" $(printf -- '--file-filter=%s ' $files) \
     --enable=warning,performance,portability --std=c++20 --inline-suppr --quiet \
     --suppressions-list=tools/cppcheck.supp --error-exitcode=1 -j "$(nproc)" \
     --cppcheck-build-dir="$(mkdir -p "$BUILD_DIR/cppcheck" && echo "$BUILD_DIR/cppcheck")"; then
  status=1
else
  echo "cppcheck: clean"
fi
exit $status
