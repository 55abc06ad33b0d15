#!/bin/sh
# Fuzzes the readers of untrusted bytes for SECONDS in all (default 60):
#   fuzz/run.sh SECONDS
# The header engine gets half the time; the JPEG reader, the values file
# reader and the icon reader share the rest. Builds into build-fuzz/ with
# clang-14, seeds each target from its seed makers, fuzz/seeds/TARGET and
# the kept findings in fuzz/findings/TARGET (the header also from the
# real-file corpus), and exits non-zero on a crash. Crash inputs are kept
# in build-fuzz/artifacts/ (see fuzz/README.md for keeping them).
set -eu
RUN_SECONDS="${1:-60}"
cd "$(dirname "$0")/.."
BUILD_DIR=build-fuzz
CC=clang-14 CXX=clang++-14 cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLMARK_FUZZ=ON -DQUILLMARK_TESTS=OFF -DQUILLMARK_WITH_GUI=ON >/dev/null
cmake --build "$BUILD_DIR" -j2 --target fuzz_header fuzz_jpeg fuzz_values fuzz_icon make_fuzz_seeds \
  make_picture_seeds

SCRATCH=$(mktemp -d)
trap 'rm -rf "$SCRATCH"' EXIT
mkdir -p "$BUILD_DIR/artifacts"
for TARGET in header jpeg values icon; do
  mkdir -p "$SCRATCH/$TARGET"
  for KEPT in "fuzz/seeds/$TARGET" "fuzz/findings/$TARGET"; do
    if [ -d "$KEPT" ]; then
      find "$KEPT" -maxdepth 1 -type f -exec cp {} "$SCRATCH/$TARGET/" \;
    fi
  done
done
CORPUS="${QUILLMARK_CORPUS_DIR:-../shared/corpus/asf}"
if [ -d "$CORPUS" ]; then
  find "$CORPUS" -maxdepth 1 -type f \( -name '*.wma' -o -name '*.wmv' -o -name '*.asf' \) \
    -exec cp {} "$SCRATCH/header/" \;
fi
"$BUILD_DIR/fuzz/make_fuzz_seeds" "$SCRATCH/header"
"$BUILD_DIR/fuzz/make_picture_seeds" "$SCRATCH/jpeg" "$SCRATCH/icon"
cp resources/*.ico "$SCRATCH/icon/"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}:abort_on_error=1"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}:halt_on_error=1"
# fuzz TARGET SECONDS [libFuzzer options]
fuzz() {
  TARGET="$1"
  SECONDS_FOR_IT="$2"
  shift 2
  "$BUILD_DIR/fuzz/fuzz_$TARGET" -max_total_time="$SECONDS_FOR_IT" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$BUILD_DIR/artifacts/$TARGET-" "$@" "$SCRATCH/$TARGET"
}
SHARE=$((RUN_SECONDS / 6 > 0 ? RUN_SECONDS / 6 : 1))
fuzz header $((RUN_SECONDS - 3 * SHARE)) -dict=fuzz/asf.dict -max_len=131072
fuzz jpeg "$SHARE" -max_len=65536
fuzz values "$SHARE" -max_len=4096
fuzz icon "$SHARE" -max_len=65536
