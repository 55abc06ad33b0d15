#!/bin/sh
# Pictures of the main window on each page, with no file and with a file
# open, and of the About dialog, at 96, 120 and 144 pixels per inch:
#   tools/screenshot.sh [FOLDER]      (default: build/screenshots)
# Builds what it needs in build/ and runs under a virtual X display whose
# Xft.dpi is set as a desktop sets it; the program reads the resolution from
# the screen like any other.
set -e
cd "$(dirname "$0")/.."
FOLDER="${1:-build/screenshots}"
BUILD_DIR=build
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$BUILD_DIR" -j 2 --target quillmark-screenshot
mkdir -p "$FOLDER"
TOOL="$(pwd)/$BUILD_DIR/tools/quillmark-screenshot"
# A build with sanitizers would stop at leaks inside the desktop's libraries.
LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp:print_suppressions=0"
export LSAN_OPTIONS
for PPI in 96 120 144; do
  # -noreset: the server keeps the resource set by xrdb after xrdb leaves.
  xvfb-run -a -s "-noreset -screen 0 1280x1024x24" sh -c \
    "echo 'Xft.dpi: $PPI' | xrdb -nocpp -merge && '$TOOL' '$FOLDER'"
done
ls "$FOLDER"
