#!/bin/sh
# Installs what is needed, builds, and runs every test.
set -eu
cd "$(dirname "$0")/.."
sh tools/install-deps.sh
sh tools/build.sh
ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 600
