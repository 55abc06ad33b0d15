#!/bin/sh
# Times quillmark-tag looking at a 1 GiB stereo video, each run a whole
# process: detecting the layout, and making the preview and the poster
# (with --dry-run, so the file is never written). Each command seeks to a
# few key frames; none reads the whole file. The video is made once: a
# 1080p half-width side-by-side clip at 8 Mbit/s (a feature film's
# rate), its stream copied end to end until the file passes 1 GiB. Cold
# runs drop the video from the page cache first.
#   bench/bench_video.sh [BUILD_DIR]   (a Release build; QUILLMARK_BENCH_DIR
#   names another folder for the video)
set -e
BUILD_DIR="$(cd "${1:-build}" && pwd)"
TOOL="$BUILD_DIR/src/app/quillmark-tag"
DATA="${QUILLMARK_BENCH_DIR:-$BUILD_DIR/bench-data}"
VIDEO="$DATA/stereo-1gib.wmv"
[ -x "$TOOL" ] || { echo "build quillmark-tag first" >&2; exit 1; }
mkdir -p "$DATA"

if [ ! -f "$VIDEO" ]; then
  CLIP="$DATA/stereo-clip.wmv"
  # Two views of one scene: the background further left in the left view.
  ffmpeg -nostdin -v error -y -filter_complex "
    mandelbrot=s=980x1080:rate=25,format=yuv420p,trim=duration=30,split[b1][b2];
    testsrc2=s=320x320:rate=25,trim=duration=30,split[c1][c2];
    [b1]crop=960:1080:20:0[bl];[b2]crop=960:1080:0:0[br];
    [bl][c1]overlay=x=332:y=380[l];[br][c2]overlay=x=320:y=380[r];
    [l][r]hstack,noise=alls=6:allf=t,setsar=1" \
    -c:v wmv2 -b:v 8M -g 50 -f asf "$CLIP"
  LIST="$DATA/stereo-list.txt"
  : > "$LIST"
  SIZE=$(stat -c %s "$CLIP")
  COUNT=$(( 1073741824 / SIZE + 1 ))
  for I in $(seq "$COUNT"); do echo "file '$CLIP'" >> "$LIST"; done
  ffmpeg -nostdin -v error -y -f concat -safe 0 -i "$LIST" -c copy -f asf "$VIDEO"
  rm -f "$LIST" "$CLIP"
fi
echo "video: $(stat -c %s "$VIDEO") bytes"

cold() {
  sync
  dd if="$VIDEO" iflag=nocache count=0 status=none
}

for COMMAND in "detect $VIDEO" \
  "set --dry-run --preview-from-video $VIDEO" \
  "set --dry-run --poster-from-video $VIDEO" \
  "set --dry-run --poster-from-video=600 $VIDEO"; do
  echo "quillmark-tag $COMMAND"
  for RUN in 1 2 3; do
    cold
    /usr/bin/time -f "  %e s, peak %M KiB" "$TOOL" $COMMAND > /dev/null
  done
done
