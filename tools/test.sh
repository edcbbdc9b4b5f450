#!/bin/sh
# Installs what is needed, builds, and runs every test: the parsers of outside input briefly under
# libFuzzer with the sanitizers (tools/fuzz-smoke.sh documents a long run), then the test suite.
set -eu
cd "$(dirname "$0")/.."
sh tools/install-deps.sh
sh tools/build.sh
FUZZ_SEED=${FUZZ_SEED:-1} sh tools/fuzz-smoke.sh "${FUZZ_SECONDS:-10}"
ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 600
