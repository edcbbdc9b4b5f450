#!/bin/sh
# Installs what is needed, builds, and runs the main job on the simulated board: the example
# project's auto-program (erase, program and verify Flash, program and verify the EEPROM with its
# serial number, lock and fuse bits) through the command-line front end.
set -eu
cd "$(dirname "$0")/.."
sh tools/install-deps.sh
sh tools/build.sh
out=$(mktemp)
trap 'rm -f "$out"' EXIT
./build/src/cli/tovelisp-cli --lang en --simulate --project examples/atmega8/blink.tvl autoprogram 2>&1 | tee "$out"
echo
grep '^Autoprogram: DONE' "$out"
