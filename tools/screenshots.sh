#!/bin/sh
# Screenshots of the desktop program, made under a virtual X server against the built-in simulated
# board: the main window in English and in Russian, with a project whose Flash image has been
# auto-programmed and verified (green) and whose EEPROM image is loaded (black).
#
#   sh tools/screenshots.sh [OUTPUT_FOLDER]      (default: build/screenshots)
#
# Needs a build (sh tools/build.sh), xvfb-run and, for the whole-screen shot, ImageMagick's import.
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
OUT=${1:-$BUILD_DIR/screenshots}
PROGRAM=$BUILD_DIR/src/app/tovelisp
[ -x "$PROGRAM" ] || { echo "screenshots: build $PROGRAM first (sh tools/build.sh)" >&2; exit 1; }
mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A small firmware image: a vector table of jumps, some code-like words and a version string.
{
    i=0
    while [ $i -lt 26 ]; do printf '\014\224\064\000'; i=$((i + 1)); done
    i=0
    while [ $i -lt 40 ]; do printf '\021\044\037\276\317\345\330\340\336\277\315\277'; i=$((i + 1)); done
    printf 'Tovel ISP demo firmware 1.0 (c) tovelisp developers\000'
    i=0
    while [ $i -lt 20 ]; do printf '\200\345\210\273\207\273\377\317'; i=$((i + 1)); done
} > "$work/demo.bin"
printf 'SERIAL-0001\000calibration\000\001\002\003\004' > "$work/demo.eep"

cat > "$work/demo.tvl" <<PROJECT
[Files]
Flash=$work/demo.bin
Eeprom=$work/demo.eep
[Device]
DeviceNo=13
[Settings]
ResetStrobeLength=20
[AutoProgram]
AutoErase=1
AutoFlashProgram=1
AutoFlashVerify=1
PROJECT

shoot() { # language-flag output-name
    settings="$work/settings-$2.ini"
    printf '[Connect]\nCOM=1\nHighSpeed=1\n[Language]\nRussian=%s\n' "$1" > "$settings"
    # Command 1015 is Auto-program: erase, program and verify the Flash.
    xvfb-run -a -s "-screen 0 1280x1024x24" \
        "$PROGRAM" --settings "$settings" --simulate=ATmega16 --run=1015 --screenshot "$OUT/$2.png" "$work/demo.tvl"
    echo "screenshots: $OUT/$2.png"
}

shoot 0 main-window-en
shoot 1 main-window-ru
