#!/bin/sh
# Fuzzes the Matroska reader and edit plan for SECONDS (default 30):
# fuzz/run-matroska.sh SECONDS. Builds into build-fuzz/ as fuzz/run.sh does;
# crash inputs are kept in build-fuzz/artifacts/matroska-*.
set -eu
RUN_SECONDS="${1:-30}"
cd "$(dirname "$0")/.."
BUILD_DIR=build-fuzz
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  CC=clang-14 CXX=clang++-14 cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILLMARK_FUZZ=ON -DQUILLMARK_TESTS=OFF -DQUILLMARK_WITH_GUI=OFF >/dev/null
fi
cmake --build "$BUILD_DIR" -j2 --target fuzz_matroska make_matroska_seeds

SCRATCH=$(mktemp -d)
trap 'rm -rf "$SCRATCH"' EXIT
mkdir -p "$SCRATCH/corpus" "$BUILD_DIR/artifacts"
"$BUILD_DIR/fuzz/make_matroska_seeds" "$SCRATCH/corpus"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}:abort_on_error=1"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}:halt_on_error=1"
"$BUILD_DIR/fuzz/fuzz_matroska" -max_total_time="$RUN_SECONDS" -max_len=65536 -timeout=10 \
  -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$BUILD_DIR/artifacts/matroska-" "$SCRATCH/corpus"
