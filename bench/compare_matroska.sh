#!/bin/sh
# Times quillmark-tag against mkvpropedit on Matroska files, side by side:
#   1. one layout change of a 200 MB file: quillmark-tag's whole process
#      against mkvpropedit's (median of ROUNDS runs each, changes alternating
#      so every run writes);
#   2. 200 files of a folder in one quillmark-tag set against mkvpropedit
#      called once for each file.
#   bench/compare_matroska.sh [BUILD_DIR] [ROUNDS]
# The files are made with ffmpeg and mkvmerge under BUILD_DIR/bench-data.
set -e
BUILD_DIR="$(cd "${1:-build}" && pwd)"
ROUNDS="${2:-9}"
TOOL="$BUILD_DIR/src/app/quillmark-tag"
DATA="$BUILD_DIR/bench-data/matroska"
[ -x "$TOOL" ] || { echo "build quillmark-tag first" >&2; exit 1; }
command -v mkvpropedit >/dev/null || { echo "mkvpropedit is needed (mkvtoolnix)" >&2; exit 1; }
mkdir -p "$DATA"

BIG="$DATA/big.mkv"
if [ ! -f "$BIG" ]; then
  # Noise barely compresses: about 200 MB in 20 s of video.
  ffmpeg -nostdin -v error -y -f lavfi -i "nullsrc=size=1280x720:rate=25,geq=random(1)*255:128:128" \
    -t 20 -c:v mpeg4 -b:v 80M "$DATA/big.in.mkv"
  mkvmerge -q -o "$BIG" "$DATA/big.in.mkv"
  rm -f "$DATA/big.in.mkv"
fi
SMALL="$DATA/small.mkv"
if [ ! -f "$SMALL" ]; then
  ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=320x180:rate=10 -t 1 -c:v mpeg4 "$DATA/small.in.mkv"
  mkvmerge -q -o "$SMALL" "$DATA/small.in.mkv"
  rm -f "$DATA/small.in.mkv"
fi

now_ns() { date +%s%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

ours_one() {
  for i in $(seq "$ROUNDS"); do
    if [ $((i % 2)) -eq 0 ]; then L=SideBySideLF; else L=OverUnderRT; fi
    start=$(now_ns); "$TOOL" set --layout "$L" "$BIG" >/dev/null; end=$(now_ns)
    echo $(((end - start) / 1000))
  done | median
}
peer_one() {
  for i in $(seq "$ROUNDS"); do
    if [ $((i % 2)) -eq 0 ]; then M=1; else M=2; fi
    start=$(now_ns); mkvpropedit -q "$BIG" --edit track:v1 --set stereo-mode="$M" >/dev/null; end=$(now_ns)
    echo $(((end - start) / 1000))
  done | median
}

# What starting a process that does nothing costs when timed so: on a
# loaded machine it is much of either figure.
floor_one() {
  for i in $(seq "$ROUNDS"); do
    start=$(now_ns); /bin/true; end=$(now_ns)
    echo $(((end - start) / 1000))
  done | median
}

echo "one layout change, $(($(stat -c %s "$BIG") / 1000000)) MB file, median of $ROUNDS (microseconds):"
OURS=$(ours_one)
PEER=$(peer_one)
echo "  quillmark-tag set  $OURS"
echo "  mkvpropedit        $PEER"
echo "  /bin/true          $(floor_one)"
echo "  ratio              $(awk "BEGIN { printf \"%.3f\", $OURS / $PEER }")"

FOLDER="$DATA/many"
rm -rf "$FOLDER"; mkdir -p "$FOLDER"
for i in $(seq -w 1 200); do cp "$SMALL" "$FOLDER/clip$i.mkv"; done
sync
start=$(now_ns); "$TOOL" set --layout SideBySideLF "$FOLDER" >/dev/null; end=$(now_ns)
OURS=$(((end - start) / 1000))
start=$(now_ns)
for F in "$FOLDER"/*.mkv; do mkvpropedit -q "$F" --edit track:v1 --set stereo-mode=2 >/dev/null; done
end=$(now_ns)
PEER=$(((end - start) / 1000))
echo "200 files (microseconds):"
echo "  quillmark-tag set, one command  $OURS"
echo "  mkvpropedit, once per file      $PEER"
echo "  ratio                           $(awk "BEGIN { printf \"%.3f\", $OURS / $PEER }")"
