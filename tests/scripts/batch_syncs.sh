#!/bin/sh
# One `quillmark-tag set` of 100 saves whose headers grow, then one of 100
# saves in place: each at most 10 sync calls in all (counted with strace),
# whichever way the file system lets a header grow, and every file saved. Arguments: build dir, source
# dir. Skips (exit 77 with a message) without strace or ffmpeg.
set -eu
BUILD_DIR="$1"
TOOL="$BUILD_DIR/src/app/quillmark-tag"

. "$(dirname "$0")/skip.sh"
need_built "$TOOL"
need_commands strace ffmpeg

SCRATCH=$(mktemp -d)
trap 'rm -rf "$SCRATCH"' EXIT
mkdir "$SCRATCH/batch"
ffmpeg -loglevel error -y -f lavfi -i testsrc=duration=1:size=160x120:rate=10 -c:v wmv2 "$SCRATCH/made.wmv"
I=0
while [ $I -lt 100 ]; do
  cp "$SCRATCH/made.wmv" "$SCRATCH/batch/clip$I.wmv"
  I=$((I + 1))
done
# Runs set with title $1 over the folder, counting its sync calls, and
# checks that they are at most 10 and every file holds the title.
set_counted() {
  # A sanitized build's leak check cannot run under ptrace.
  ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" strace -f -c -o "$SCRATCH/syncs.txt" -e trace=fsync,fdatasync,syncfs,sync,sync_file_range,msync \
    "$TOOL" set --title "$1" "$SCRATCH/batch"
  # strace -c ends with a line "% seconds usecs/call calls [errors] total".
  CALLS=$(awk '$NF == "total" { print $4 }' "$SCRATCH/syncs.txt")
  CALLS=${CALLS:-0}
  echo "sync calls for 100 saves ($2): $CALLS"
  if [ "$CALLS" -gt 10 ]; then
    cat "$SCRATCH/syncs.txt"
    echo "FAIL: more than 10 sync calls" >&2
    exit 1
  fi
  SAVED=$("$TOOL" show --json "$SCRATCH/batch" | grep -c "\"title\": \"$1\"")
  if [ "$SAVED" -ne 100 ]; then
    echo "FAIL: $SAVED of 100 files saved" >&2
    exit 1
  fi
}
# The first save makes room in each header; the second is a save in place.
set_counted First "headers grow"
set_counted Again "in place"
# A save alone syncs its own file, never the whole file system, whose
# syncfs would wait for what every other program has written.
ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" strace -f -o "$SCRATCH/one.txt" -e trace=syncfs \
  "$TOOL" set --title "Alone" "$SCRATCH/batch/clip0.wmv"
if grep -q "^[0-9]* *syncfs" "$SCRATCH/one.txt"; then
  echo "FAIL: a save alone calls syncfs" >&2
  exit 1
fi
"$TOOL" show "$SCRATCH/batch/clip0.wmv" | grep -q "Title: *Alone" || { echo "FAIL: save alone lost" >&2; exit 1; }
echo "ok"
