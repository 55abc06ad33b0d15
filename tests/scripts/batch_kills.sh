#!/bin/sh
# A `quillmark-tag set` over 300 files whose headers grow, in groups of 34
# (the descriptors it may open are limited), so that each group is saved by
# a second thread while the next is opened; killed at twelve moments from
# the first syncs to the last. After each kill, and the next open of each
# file, every file holds its old title or its new one, no side file is
# left, and every tenth file reads as the whole video to ffprobe. Arguments: build dir,
# source dir. Skips (exit 77) without ffmpeg.
set -eu
BUILD_DIR="$1"
TOOL="$BUILD_DIR/src/app/quillmark-tag"

. "$(dirname "$0")/skip.sh"
need_built "$TOOL"
need_commands ffmpeg ffprobe

SCRATCH=$(mktemp -d)
trap 'rm -rf "$SCRATCH"' EXIT
ffmpeg -loglevel error -y -f lavfi -i testsrc=duration=0.4:size=160x120:rate=25 -c:v wmv2 "$SCRATCH/made.wmv"
# The first tagging's pace here, so that the kills fall within it.
make_files() {
  rm -rf "$SCRATCH/batch"
  mkdir "$SCRATCH/batch"
  I=0
  while [ $I -lt 300 ]; do
    cp "$SCRATCH/made.wmv" "$SCRATCH/batch/clip$I.wmv"
    I=$((I + 1))
  done
}
make_files
START=$(date +%s%N)
(ulimit -n 200 && "$TOOL" set --title New "$SCRATCH/batch" >/dev/null)
WHOLE=$((($(date +%s%N) - START) / 1000))
echo "a whole run takes $WHOLE us"
STEP=0
while [ $STEP -lt 12 ]; do
  make_files
  (ulimit -n 200 && exec "$TOOL" set --title New "$SCRATCH/batch" >/dev/null 2>&1) &
  RUN=$!
  sleep "$(awk -v W="$WHOLE" -v S="$STEP" 'BEGIN { printf "%.6f", W * (S + 0.5) / 12 / 1e6 }')"
  kill -KILL "$RUN" 2>/dev/null || true
  wait "$RUN" 2>/dev/null || true
  # The next open of each file, as a save's, puts it back or forward.
  "$TOOL" set --source Checked "$SCRATCH/batch" >/dev/null 2>&1
  # An old file has no title; a new one has the new title.
  "$TOOL" show --json "$SCRATCH/batch" >"$SCRATCH/shown.json"
  FILES=$(grep -c '"file":' "$SCRATCH/shown.json" || true)
  TITLES=$(grep -c '"title":' "$SCRATCH/shown.json" || true)
  NEW=$(grep -c '"title": "New"' "$SCRATCH/shown.json" || true)
  OLD=$((FILES - TITLES))
  if [ "$FILES" -ne 300 ] || [ "$TITLES" -ne "$NEW" ]; then
    echo "FAIL: kill $STEP: $FILES files shown, $OLD old and $NEW new titles of $TITLES" >&2
    exit 1
  fi
  LEFT=$(find "$SCRATCH/batch" -name '.*' -type f | wc -l)
  if [ "$LEFT" -ne 0 ]; then
    find "$SCRATCH/batch" -name '.*' -type f >&2
    echo "FAIL: kill $STEP: side files left" >&2
    exit 1
  fi
  for FILE in "$SCRATCH"/batch/clip*0.wmv; do
    ffprobe -v error -count_frames -show_entries stream=nb_read_frames -of csv=p=0 "$FILE" | grep -qx 10 ||
      { echo "FAIL: kill $STEP: $FILE does not read as the video" >&2; exit 1; }
  done
  echo "kill $STEP: $OLD old, $NEW new"
  STEP=$((STEP + 1))
done
echo "ok"
