#!/bin/sh
# Pictures of the main window on each page, with no file and with a file
# open, at the screen's resolution and at 120 and 144 pixels per inch:
#   tools/screenshot.sh [FOLDER]      (default: build/screenshots)
# Builds what it needs in build/ and runs under a virtual X display.
set -e
cd "$(dirname "$0")/.."
FOLDER="${1:-build/screenshots}"
BUILD_DIR=build
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$BUILD_DIR" -j 2 --target quillmark-screenshot
mkdir -p "$FOLDER"
for PPI in "" 120 144; do
  xvfb-run -a -s "-screen 0 1280x1024x24" "$BUILD_DIR/tools/quillmark-screenshot" "$FOLDER" $PPI
done
ls "$FOLDER"
