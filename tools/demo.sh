#!/bin/sh
# Installs what is needed, builds, and runs the main job on the simulated board.
set -eu
cd "$(dirname "$0")/.."
sh tools/install-deps.sh
sh tools/build.sh
./build/src/cli/tovelisp-cli devices
