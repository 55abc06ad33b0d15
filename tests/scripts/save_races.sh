#!/bin/sh
# Another program acts at the names a save uses while the save waits at the
# step that would be hit (strace holds that call back for seconds):
#  1. a copying save, just before its copy takes the video's place, finds
#     the video renamed and another file at its name: that file is kept, the
#     video opened is left as it was, and the save fails;
#  2. a save in place, just before its journal is removed, finds its folder
#     renamed and a link to another folder at the old name, which holds a
#     file at the journal's name: that file is kept, the video is saved and
#     its own journal removed.
# Arguments: build dir, source dir. Needs root (a tmpfs, where a growing
# header is saved by a copy), strace and ffmpeg.
set -eu
BUILD_DIR="$1"
TOOL="$BUILD_DIR/src/app/quillmark-tag"

. "$(dirname "$0")/skip.sh"
need_built "$TOOL"
need_commands strace ffmpeg
need_root "a tmpfs"

SCRATCH=$(mktemp -d)
mkdir "$SCRATCH/disk"
mount -t tmpfs -o size=64m none "$SCRATCH/disk"
trap 'umount -l "$SCRATCH/disk"; rm -rf "$SCRATCH"' EXIT
ffmpeg -loglevel error -y -f lavfi -i testsrc=duration=1:size=160x120:rate=10 -c:v wmv2 "$SCRATCH/made.wmv"
# A sanitized build's leak check cannot run under ptrace.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
DELAY=3000000 # microseconds

# Waits (up to 20 s) until the path exists.
wait_for() {
  I=0
  while [ ! -e "$1" ] && [ $I -lt 200 ]; do sleep 0.1; I=$((I + 1)); done
  [ -e "$1" ] || { echo "FAIL: $1 never appeared" >&2; exit 1; }
}

# 1. The video's name taken while the copy waits to take its place.
DIR="$SCRATCH/disk/one"
mkdir "$DIR"
cp "$SCRATCH/made.wmv" "$DIR/a.wmv"
(
  wait_for "$DIR/.a.wmv.quillmark-new"
  sleep 1
  mv "$DIR/a.wmv" "$DIR/moved.wmv"
  echo "not a video" >"$DIR/a.wmv"
) &
ATTACKER=$!
STATUS=0
strace -f -o /dev/null -e trace=renameat2 -e inject=renameat2:delay_enter=$DELAY \
  "$TOOL" set --title "Copied" "$DIR/a.wmv" >"$SCRATCH/one.txt" 2>&1 || STATUS=$?
wait $ATTACKER
[ "$STATUS" -ne 0 ] || { cat "$SCRATCH/one.txt"; echo "FAIL: the save did not fail" >&2; exit 1; }
[ "$(cat "$DIR/a.wmv")" = "not a video" ] || { echo "FAIL: the other file was replaced" >&2; exit 1; }
cmp -s "$DIR/moved.wmv" "$SCRATCH/made.wmv" || { echo "FAIL: the video opened changed" >&2; exit 1; }
if ls -A "$DIR" | grep -q quillmark; then ls -A "$DIR"; echo "FAIL: a side file is left" >&2; exit 1; fi

# 2. The folder swapped for a link while the journal waits to be removed.
DIR="$SCRATCH/disk/two"
OTHER="$SCRATCH/disk/other"
mkdir "$DIR" "$OTHER"
cp "$SCRATCH/made.wmv" "$DIR/a.wmv"
"$TOOL" set --title "Room" "$DIR/a.wmv" >/dev/null
echo "stranger" >"$OTHER/.a.wmv.quillmark-journal"
# A title long enough that the change spans sectors, so the save keeps a journal.
LONG=$(printf 'Long title %.0s' $(seq 1 60))
(
  wait_for "$DIR/.a.wmv.quillmark-journal"
  sleep 1
  mv "$DIR" "$DIR-moved"
  ln -s "$OTHER" "$DIR"
) &
ATTACKER=$!
strace -f -o /dev/null -e trace=unlinkat -e inject=unlinkat:delay_enter=$DELAY \
  "$TOOL" set --title "$LONG" "$DIR/a.wmv" >"$SCRATCH/two.txt" 2>&1 || {
  cat "$SCRATCH/two.txt"
  echo "FAIL: the save in place failed" >&2
  exit 1
}
wait $ATTACKER
[ "$(cat "$OTHER/.a.wmv.quillmark-journal")" = "stranger" ] || { echo "FAIL: the other folder's file was removed" >&2; exit 1; }
if ls -A "$DIR-moved" | grep -q quillmark; then ls -A "$DIR-moved"; echo "FAIL: the journal was left" >&2; exit 1; fi
"$TOOL" show "$DIR-moved/a.wmv" | grep -q "Title: *Long title" || { echo "FAIL: the save was lost" >&2; exit 1; }
echo "ok"
