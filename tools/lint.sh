#!/bin/sh
# Static checks; fails when any of them finds something:
#  - clang-format (the root .clang-format) over every source of src/, sim/, tests/, bench/, fuzz/;
#  - clang-tidy (the checked-in .clang-tidy files) over src/, the desktop program included, and sim/;
#  - cppcheck over the core (src/ except app/).
# clang-tidy and cppcheck read $BUILD_DIR/compile_commands.json (run tools/build.sh first, or name
# another build folder in BUILD_DIR); only the files that build compiles are analysed.
#
#   tools/lint.sh [FILE...]     (default: the whole tree as above)
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
CLANG_TIDY=${CLANG_TIDY:-clang-tidy-14}
CLANG_FORMAT=${CLANG_FORMAT:-clang-format-14}
database="$BUILD_DIR/compile_commands.json"
if [ ! -f "$database" ]; then
  echo "lint: $database is missing; run tools/build.sh first" >&2
  exit 2
fi
root=$(pwd)

# The sources a build compiles under one of the given folders, relative, sorted.
compiled_under() {
  pattern=$(printf '%s|' "$@")
  sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$database" | sed "s|^$root/||" \
    | grep -E "^(${pattern%|})/.*\.cpp$" | sort -u
}

if [ $# -gt 0 ]; then
  format_files="$*"
  tidy_files=$(printf '%s\n' "$@" | grep -E '\.cpp$' || true)
  cppcheck_files=$(printf '%s\n' "$@" | grep -E '^src/.*\.cpp$' | grep -v '^src/app/' || true)
else
  format_files=$(find src sim tests bench fuzz -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
  tidy_files=$(compiled_under src sim)
  cppcheck_files=$(find src -name '*.cpp' ! -path 'src/app/*' | sort)
fi

status=0
echo "== clang-format"
# shellcheck disable=SC2086
if printf '%s\n' $format_files | xargs "$CLANG_FORMAT" --dry-run -Werror; then
  echo "clang-format: clean"
else
  status=1
  echo "clang-format: the files above differ from .clang-format ($CLANG_FORMAT -i FILE mends them)"
fi

echo "== clang-tidy"
# Headers are judged where they live, never the generated ones in a build folder (which may sit
# inside the source tree). One process per core; each file's findings come out together.
header_filter="^$(printf '%s' "$root" | sed 's/[].[^$*+?(){}|\\]/\\&/g')/(src|sim)/"
if [ -n "$tidy_files" ]; then
  # shellcheck disable=SC2086
  printf '%s\n' $tidy_files | xargs -P "$(nproc)" -n 4 "$CLANG_TIDY" -p "$BUILD_DIR" --quiet \
    --header-filter="$header_filter" 2>/dev/null \
    | grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$' >"$BUILD_DIR/clang-tidy.log" || true
else
  : >"$BUILD_DIR/clang-tidy.log"
fi
if grep -q -E '(warning|error):' "$BUILD_DIR/clang-tidy.log"; then
  status=1
  cat "$BUILD_DIR/clang-tidy.log"
else
  echo "clang-tidy: clean"
fi

echo "== cppcheck"
# The compile database also lists the tests, the simulator and the front ends' files; only the
# files asked for are checked. Reasons for each suppression are in tools/cppcheck.supp.
# shellcheck disable=SC2086,SC2046
if [ -z "$cppcheck_files" ]; then
  echo "cppcheck: nothing to check"
elif ! cppcheck --project="$database" $(printf -- '--file-filter=%s ' $cppcheck_files) \
     --enable=warning,performance,portability --std=c++20 --inline-suppr --quiet \
     --suppressions-list=tools/cppcheck.supp --error-exitcode=1 -j "$(nproc)" \
     --cppcheck-build-dir="$(mkdir -p "$BUILD_DIR/cppcheck" && echo "$BUILD_DIR/cppcheck")"; then
  status=1
else
  echo "cppcheck: clean"
fi
exit $status
