#!/bin/sh
# Fuzzes the header engine for SECONDS (default 60): fuzz/run.sh SECONDS
# Builds into build-fuzz/ with clang-14, seeds from the real-file corpus, the
# tests' builder and the regression files, and exits non-zero on a crash.
# Crash inputs are kept in build-fuzz/artifacts/.
set -eu
RUN_SECONDS="${1:-60}"
cd "$(dirname "$0")/.."
BUILD_DIR=build-fuzz
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  CC=clang-14 CXX=clang++-14 cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILLMARK_FUZZ=ON -DQUILLMARK_TESTS=OFF -DQUILLMARK_WITH_GUI=OFF >/dev/null
fi
cmake --build "$BUILD_DIR" -j2 --target fuzz_header make_fuzz_seeds

SCRATCH=$(mktemp -d)
trap 'rm -rf "$SCRATCH"' EXIT
mkdir -p "$SCRATCH/corpus" "$BUILD_DIR/artifacts"
CORPUS="${QUILLMARK_CORPUS_DIR:-../shared/corpus/asf}"
if [ -d "$CORPUS" ]; then
  find "$CORPUS" -maxdepth 1 -type f \( -name '*.wma' -o -name '*.wmv' -o -name '*.asf' \) \
    -exec cp {} "$SCRATCH/corpus/" \;
fi
if [ -d tests/data/fuzz ]; then
  find tests/data/fuzz -maxdepth 1 -type f -exec cp {} "$SCRATCH/corpus/" \;
fi
"$BUILD_DIR/fuzz/make_fuzz_seeds" "$SCRATCH/corpus"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}:abort_on_error=1"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}:halt_on_error=1"
"$BUILD_DIR/fuzz/fuzz_header" -max_total_time="$RUN_SECONDS" -dict=fuzz/asf.dict -max_len=131072 \
  -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$BUILD_DIR/artifacts/" "$SCRATCH/corpus"
