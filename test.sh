#!/bin/sh
# Builds everything and runs every test. Widget tests run offscreen.
#   BUILD_DIR            build folder (default: build)
#   QUILLMARK_CMAKE_ARGS extra arguments for cmake
set -e
cd "$(dirname "$0")"
./tools/deps.sh
BUILD_DIR="${BUILD_DIR:-build}"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" $QUILLMARK_CMAKE_ARGS
cmake --build "$BUILD_DIR" -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD_DIR" -j "$(nproc)" --output-on-failure --timeout 600
