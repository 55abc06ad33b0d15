#!/bin/sh
# Times whole commands side by side on the same video: quillmark-tag against
# mutagen's save and ffmpeg's remux for the same title edit, and reading a
# file's catalogue against mutagen's reading of its tags.
#   bench/compare_peers.sh [BUILD_DIR] [SECONDS_OF_VIDEO]
set -e
BUILD_DIR="$(cd "${1:-build}" && pwd)"
SECONDS_OF_VIDEO="${2:-40}"
TAG="$BUILD_DIR/src/app/quillmark-tag"
DATA="$BUILD_DIR/bench-data"
mkdir -p "$DATA"
VIDEO="$DATA/peers.wmv"
if [ ! -f "$VIDEO" ]; then
  ffmpeg -loglevel error -y -f lavfi -i "testsrc2=size=640x480:rate=25:duration=$SECONDS_OF_VIDEO" \
    -c:v wmv2 -b:v 40M "$VIDEO"
fi
WORK="$DATA/peers-work.wmv"

# Milliseconds of the best of N runs of a command, each on a fresh copy.
best_ms() {
  RUNS=$1; shift
  BEST=""
  for _ in $(seq "$RUNS"); do
    cp "$VIDEO" "$WORK"
    sync
    START=$(date +%s%N)
    sh -c "$*" >/dev/null 2>&1
    END=$(date +%s%N)
    MS=$(( (END - START) / 1000000 ))
    if [ -z "$BEST" ] || [ "$MS" -lt "$BEST" ]; then BEST=$MS; fi
  done
  echo "$BEST"
}

MUTAGEN_SET="/usr/bin/python3 -c 'import mutagen.asf,sys; f=mutagen.asf.ASF(sys.argv[1]); f[\"Title\"]=[\"Bench\"]; f.save()' '$WORK'"
MUTAGEN_GET="/usr/bin/python3 -c 'import mutagen.asf,sys; f=mutagen.asf.ASF(sys.argv[1]); print(len(f.tags))' '$WORK'"
OURS_SET=$(best_ms 5 "'$TAG' set --title Bench '$WORK'")
OURS_GET=$(best_ms 5 "'$TAG' show '$WORK'")
MU_SET=$(best_ms 5 "$MUTAGEN_SET")
MU_GET=$(best_ms 5 "$MUTAGEN_GET")
FF_SET=$(best_ms 3 "ffmpeg -loglevel error -y -i '$WORK' -map 0 -c copy -metadata title=Bench '$DATA/peers-ff.wmv'")
rm -f "$WORK" "$DATA/peers-ff.wmv"

SIZE=$(stat -c %s "$VIDEO")
echo "video: $SIZE bytes"
echo "title edit, whole process:   quillmark-tag ${OURS_SET} ms, mutagen ${MU_SET} ms, ffmpeg -c copy ${FF_SET} ms"
echo "reading the catalogue:       quillmark-tag ${OURS_GET} ms, mutagen ${MU_GET} ms"
/usr/bin/python3 - "$OURS_SET" "$MU_SET" "$FF_SET" "$OURS_GET" "$MU_GET" <<'PY'
import sys
ours_set, mu_set, ff_set, ours_get, mu_get = (max(int(v), 1) for v in sys.argv[1:])
print(f"mutagen save / ours: {mu_set / ours_set:.1f}x   ffmpeg remux / ours: {ff_set / ours_set:.1f}x   "
      f"mutagen read / ours: {mu_get / ours_get:.1f}x")
PY
