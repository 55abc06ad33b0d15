#!/bin/sh
# Fuzzes the journal reader for SECONDS (default 60): fuzz/run-journal.sh SECONDS
# Builds into build-fuzz/ with clang-14 as fuzz/run.sh does, seeds with the
# journals a save could leave and the kept findings in fuzz/findings/journal,
# and exits non-zero on a crash. Crash inputs are kept in build-fuzz/artifacts/.
set -eu
RUN_SECONDS="${1:-60}"
cd "$(dirname "$0")/.."
BUILD_DIR=build-fuzz
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  CC=clang-14 CXX=clang++-14 cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILLMARK_FUZZ=ON -DQUILLMARK_TESTS=OFF -DQUILLMARK_WITH_GUI=OFF >/dev/null
fi
cmake --build "$BUILD_DIR" -j2 --target fuzz_journal make_journal_seeds

SCRATCH=$(mktemp -d)
trap 'rm -rf "$SCRATCH"' EXIT
mkdir -p "$SCRATCH/corpus" "$BUILD_DIR/artifacts"
"$BUILD_DIR/fuzz/make_journal_seeds" "$SCRATCH/corpus"
if [ -d fuzz/findings/journal ]; then
  find fuzz/findings/journal -maxdepth 1 -type f -exec cp {} "$SCRATCH/corpus/" \;
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}:abort_on_error=1"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}:halt_on_error=1"
"$BUILD_DIR/fuzz/fuzz_journal" -max_total_time="$RUN_SECONDS" -max_len=16384 -timeout=10 \
  -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$BUILD_DIR/artifacts/journal-" "$SCRATCH/corpus"
