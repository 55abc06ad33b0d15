#!/bin/sh
# Pictures of the main window on each page, with no file and with a file
# open, of the About dialog and of the Video menu's frame dialog on a small
# side-by-side video made here, at 96, 120 and 144 pixels per inch:
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
# Two views of one scene: the background further left in the left view.
ffmpeg -nostdin -v error -y -filter_complex "
  mandelbrot=s=660x360:rate=25,format=yuv420p,trim=duration=6,split[b1][b2];
  testsrc2=s=160x160:rate=25,trim=duration=6,split[c1][c2];
  [b1]crop=640:360:20:0[bl];[b2]crop=640:360:0:0[br];
  [bl][c1]overlay=x=250:y=100[l];[br][c2]overlay=x=240:y=100[r];
  [l][r]hstack,scale=640:360,setsar=1" -c:v wmv2 -q:v 3 -f asf "$FOLDER/stereo-sample.wmv"
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
