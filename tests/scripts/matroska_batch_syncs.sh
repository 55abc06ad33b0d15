#!/bin/sh
# One `quillmark-tag set` over 100 Matroska and WebM files, saved in place,
# then moved to the end of each file: each at most 10 sync calls in all
# (counted with strace), every file saved and nothing left beside them; a
# file saved alone syncs its own files, never the whole file system.
# Arguments: build dir, source dir. Skips (exit 77 with a message) without
# strace or ffmpeg.
set -eu
BUILD_DIR="$1"
TOOL="$BUILD_DIR/src/app/quillmark-tag"

. "$(dirname "$0")/skip.sh"
need_built "$TOOL"
need_commands strace ffmpeg

SCRATCH=$(mktemp -d)
trap 'rm -rf "$SCRATCH"' EXIT
mkdir "$SCRATCH/batch"
ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=duration=1:size=160x120:rate=10 -c:v mpeg4 "$SCRATCH/made.mkv"
ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=duration=1:size=160x120:rate=10 -c:v libvpx "$SCRATCH/made.webm"
I=0
while [ $I -lt 50 ]; do
  cp "$SCRATCH/made.mkv" "$SCRATCH/batch/clip$I.mkv"
  cp "$SCRATCH/made.webm" "$SCRATCH/batch/clip$I.webm"
  I=$((I + 1))
done
# A sanitized build's leak check cannot run under ptrace.
traced() {
  ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" strace -f "$@"
}
# Runs set with the title $1 over the folder, counting its sync calls, and
# checks that they are at most 10, every file holds the title and no side
# file is left.
set_counted() {
  traced -c -o "$SCRATCH/syncs.txt" -e trace=fsync,fdatasync,syncfs,sync,sync_file_range,msync \
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
  if [ "$(ls -A "$SCRATCH/batch" | wc -l)" -ne 100 ]; then
    ls -A "$SCRATCH/batch" >&2
    echo "FAIL: side files left" >&2
    exit 1
  fi
}
set_counted First "in place"
set_counted "$(printf '%04000d' 0)" "moved to the end"
traced -o "$SCRATCH/one.txt" -e trace=syncfs "$TOOL" set --title "Alone" "$SCRATCH/batch/clip0.mkv"
if grep -q "^[0-9]* *syncfs" "$SCRATCH/one.txt"; then
  echo "FAIL: a save alone calls syncfs" >&2
  exit 1
fi
"$TOOL" show "$SCRATCH/batch/clip0.mkv" | grep -q "Title: *Alone" || { echo "FAIL: save alone lost" >&2; exit 1; }
echo "ok"
