#!/bin/sh
# Installs what is needed, builds, and runs every test.
set -eu
cd "$(dirname "$0")/.."
sh tools/install-deps.sh
sh tools/build.sh
ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 600
# The parsers of outside input under libFuzzer with the sanitizers, briefly (tools/fuzz-smoke.sh
# documents a long run).
FUZZ_SEED=${FUZZ_SEED:-1} sh tools/fuzz-smoke.sh "${FUZZ_SECONDS:-10}"
