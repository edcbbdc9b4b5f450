#!/bin/sh
# Screenshots of the desktop program, made under a virtual X server against the built-in simulated
# board, in English (*-en.png) and in Russian (*-ru.png): the main window with a project whose
# Flash image has been auto-programmed and verified (green) and whose EEPROM image is loaded
# (black), and each dialog and board message box as its menu command opens it.
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
printf 'SERIAL-0001\000calibration\000\001\002\003\004' > "$work/demo-eeprom.bin"

cat > "$work/demo.tvl" <<PROJECT
[Files]
Flash=$work/demo.bin
Eeprom=$work/demo-eeprom.bin
[Device]
DeviceNo=13
[Settings]
ResetStrobeLength=20
[AutoProgram]
AutoErase=1
AutoFlashProgram=1
AutoFlashVerify=1
PROJECT
# The same with lock and fuse bits chosen for auto-program, for the dialog that chooses them.
cp "$work/demo.tvl" "$work/fuses.tvl"
printf 'ProgramFuse=1\nLockMode=1\nFuse0=1\nFuse1=1\nFuse4=1\nFuse8=1\nFuse9=1\n' >> "$work/fuses.tvl"


shoot() { # name, project, then options for the program (--run=IDS and so on)
    name=$1
    project=$2
    shift 2
    for language in en ru; do
        settings="$work/settings-$language.ini"
        russian=0
        [ $language = ru ] && russian=1
        printf '[Connect]\nCOM=1\nHighSpeed=1\n[Language]\nRussian=%s\n%s' $russian "${EXTRA_SETTINGS:-}" > "$settings"
        if ! xvfb-run -a -s "-screen 0 1280x1024x24" "$PROGRAM" --settings "$settings" --simulate=ATmega16 \
            --screenshot "$OUT/$name-$language.png" "$@" "$project" >"$work/log" 2>&1; then
            echo "screenshots: the program failed making $name-$language.png:" >&2
            tail -20 "$work/log" >&2
            status=1
        elif [ -s "$OUT/$name-$language.png" ]; then
            echo "screenshots: $OUT/$name-$language.png"
        else
            echo "screenshots: $name-$language.png was not made" >&2
            status=1
        fi
    done
}

status=0
rm -f "$OUT"/*.png
# The update command tells to power the board off and on before it asks for its settings: that box
# is dismissed. Menu command ids: 1015 Auto-program, 1016 Lock/Fuse Bits, 32795 Project Settings (its button 3 is
# "Configure..."), 32785 Board Settings, 32786 Advanced Board Settings, 32907 Language, 32908 Load
# Flash At, 32910 Update firmware, 16 About, 32788 Search, 32901 Tovel/Tovel-U Info.
shoot main-window "$work/demo.tvl" --run=1015
shoot lock-fuse-bits "$work/demo.tvl" --run=1016
shoot project-settings "$work/demo.tvl" --run=32795
shoot lock-fuse-bits-autoprogram "$work/fuses.tvl" --run=32795 --click=3
shoot board-settings "$work/demo.tvl" --run=32785
shoot advanced-board-settings "$work/demo.tvl" --run=32786
shoot language "$work/demo.tvl" --run=32907
shoot load-address "$work/demo.tvl" "--choose=$work/demo.bin" --run=32908
# The update command reads the firmware image before it asks for its settings. A placeholder of
# the right size stands in (in data/ beside the program) while that dialog is pictured; the
# dialog is cancelled, so nothing is sent.
placeholder=$(dirname "$PROGRAM")/data/tovel-firmware.bin
if [ ! -e "$placeholder" ]; then
    mkdir -p "$(dirname "$placeholder")"
    head -c 12288 /dev/zero | tr '\000' '\377' > "$placeholder"
    trap 'rm -rf "$work" "$placeholder"' EXIT
fi
shoot self-program-settings "$work/demo.tvl" --run=32910 --dismiss=1
shoot about "$work/demo.tvl" --run=16
# Load At leaves an unnamed, modified image; New then asks about it (Save / Discard / Cancel).
shoot unsaved-work "$work/demo.tvl" "--choose=$work/demo.bin" --run=32908,32784 --dismiss=1
# The Messages panel, shown as the settings file remembers it, after an auto-program run.
EXTRA_SETTINGS='[Window]
ShowMessages=1
'
shoot messages-panel "$work/demo.tvl" --run=1015
EXTRA_SETTINGS=
shoot board-search "$work/demo.tvl" --run=32788
shoot board-info "$work/demo.tvl" --run=32901
exit $status
