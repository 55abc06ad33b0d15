#!/bin/sh
# Builds the editor (Release) and starts it: ./run.sh [FILE]
# With no FILE it opens a short demonstration video made once with ffmpeg.
set -e
cd "$(dirname "$0")"
./tools/deps.sh run
BUILD_DIR=build-release
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DQUILLMARK_TESTS=OFF
cmake --build "$BUILD_DIR" -j "$(nproc)"
if [ $# -ge 1 ]; then
  FILE="$1"
else
  FILE="$BUILD_DIR/demo/demo.wmv"
  if [ ! -f "$FILE" ]; then
    mkdir -p "$BUILD_DIR/demo"
    ffmpeg -loglevel error -y -f lavfi -i testsrc=duration=4:size=320x240:rate=25 \
      -f lavfi -i sine=frequency=440:duration=4 -c:v wmv2 -b:v 500k -c:a wmav2 \
      -metadata title="Quillmark demonstration" "$FILE.part.wmv"
    mv "$FILE.part.wmv" "$FILE"
  fi
fi
exec "$BUILD_DIR/src/app/quillmark" "$FILE"
