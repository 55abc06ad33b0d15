#!/bin/sh
# Fuzzes one reader that fuzz/run.sh leaves out, for SECONDS:
#   fuzz/run-target.sh TARGET [SECONDS]
# TARGET is journal (the journal reader; default 60 s) or matroska (the
# Matroska reader and edit plan; default 30 s). Builds into build-fuzz/ with
# clang-14 as fuzz/run.sh does, seeds with what the target's seed maker
# writes and the kept findings in fuzz/findings/TARGET, and exits non-zero
# on a crash. Crash inputs are kept in build-fuzz/artifacts/TARGET-*.
set -eu
TARGET="${1:-}"
# The longest input each reader is given: a journal is a few records, a
# Matroska header reaches its tags and attachments.
case "$TARGET" in
journal) DEFAULT_SECONDS=60 MAX_LEN=16384 ;;
matroska) DEFAULT_SECONDS=30 MAX_LEN=65536 ;;
*)
  echo "usage: fuzz/run-target.sh journal|matroska [SECONDS]" >&2
  exit 2
  ;;
esac
RUN_SECONDS="${2:-$DEFAULT_SECONDS}"
cd "$(dirname "$0")/.."
BUILD_DIR=build-fuzz
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  CC=clang-14 CXX=clang++-14 cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILLMARK_FUZZ=ON -DQUILLMARK_TESTS=OFF -DQUILLMARK_WITH_GUI=OFF >/dev/null
fi
cmake --build "$BUILD_DIR" -j2 --target "fuzz_$TARGET" "make_${TARGET}_seeds"

SCRATCH=$(mktemp -d)
trap 'rm -rf "$SCRATCH"' EXIT
mkdir -p "$SCRATCH/corpus" "$BUILD_DIR/artifacts"
"$BUILD_DIR/fuzz/make_${TARGET}_seeds" "$SCRATCH/corpus"
if [ -d "fuzz/findings/$TARGET" ]; then
  find "fuzz/findings/$TARGET" -maxdepth 1 -type f -exec cp {} "$SCRATCH/corpus/" \;
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}:abort_on_error=1"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}:halt_on_error=1"
"$BUILD_DIR/fuzz/fuzz_$TARGET" -max_total_time="$RUN_SECONDS" -max_len="$MAX_LEN" -timeout=10 \
  -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$BUILD_DIR/artifacts/$TARGET-" "$SCRATCH/corpus"
