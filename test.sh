#!/bin/sh
# Builds everything and runs every test. Widget tests run offscreen.
#   BUILD_DIR            build folder (default: build)
#   QUILLMARK_CMAKE_ARGS extra arguments for cmake
set -e
cd "$(dirname "$0")"
./tools/deps.sh ${QUILLMARK_DEPS:-test}
BUILD_DIR="${BUILD_DIR:-build}"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" $QUILLMARK_CMAKE_ARGS
cmake --build "$BUILD_DIR" -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
STATUS=0
ctest --test-dir "$BUILD_DIR" -j "$(nproc)" --output-on-failure --timeout 600 || STATUS=$?
# Tests that could not run here (the real files, a peer, a second user) say why.
LOG="$BUILD_DIR/Testing/Temporary/LastTest.log"
if [ -f "$LOG" ] && grep -q ": Skipped$" "$LOG"; then
  echo "Skipped tests and why:"
  awk '/^[0-9]+\/[0-9]+ Testing: / { Name = $3 }
       Reason { print "  " Name ": " $0; Reason = 0 }
       /: Skipped$/ { Reason = 1 }' "$LOG"
fi
exit $STATUS
