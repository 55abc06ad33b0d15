#!/bin/sh
# quillmark-tag compact on a fresh ext4 image, loop-mounted: the room a
# removed poster left goes by collapsing a range in place (the same inode,
# the length down by whole blocks, as much as the dry run said, the media
# bytes and the values unchanged). Then the compaction tests of
# test_asf run there, so that they run on a file system that collapses
# ranges even where the temporary folder's cannot. Arguments: build dir,
# source dir. Skips (exit 77 with a message) when not root, without ffmpeg
# or mkfs.ext4, or when the image cannot be mounted.
set -eu
BUILD_DIR="$1"
TOOL="$BUILD_DIR/src/app/quillmark-tag"
TESTS="$BUILD_DIR/tests/test_asf"

if [ ! -x "$TOOL" ]; then echo "skipped: $TOOL not built"; exit 77; fi
if [ "$(id -u)" != 0 ]; then echo "skipped: not root (it mounts an image)"; exit 77; fi
for NEEDED in ffmpeg mkfs.ext4; do
  if ! command -v "$NEEDED" >/dev/null 2>&1; then echo "skipped: $NEEDED missing"; exit 77; fi
done

SCRATCH=$(mktemp -d)
MNT="$SCRATCH/mnt"
mkdir "$MNT"
cleanup() {
  umount "$MNT" 2>/dev/null || true
  rm -rf "$SCRATCH"
}
trap cleanup EXIT
truncate -s 64M "$SCRATCH/ext4.img"
mkfs.ext4 -q -F "$SCRATCH/ext4.img"
if ! mount -o loop "$SCRATCH/ext4.img" "$MNT" 2>/dev/null; then
  echo "skipped: the image cannot be loop-mounted"
  exit 77
fi

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
header_size() { od -An -t u8 -j 16 -N 8 "$1" | tr -d ' '; }

VIDEO="$MNT/clip.wmv"
ffmpeg -loglevel error -y -f lavfi -i testsrc=duration=1:size=160x120:rate=10 -c:v wmv2 "$VIDEO"
ffmpeg -loglevel error -y -f lavfi -i "nullsrc=s=640x640,geq=random(1)*255:128:128" -frames:v 1 -q:v 2 \
  "$SCRATCH/poster.jpg"
"$TOOL" -q set --title "Kept" --poster "$SCRATCH/poster.jpg" "$VIDEO"
"$TOOL" -q set --no-poster "$VIDEO"
SIZE=$(stat -c %s "$VIDEO")
INODE=$(stat -c %i "$VIDEO")
REST=$((SIZE - $(header_size "$VIDEO")))
tail -c "$REST" "$VIDEO" > "$SCRATCH/media"

DRY=$("$TOOL" compact --dry-run "$VIDEO")
WOULD=$(echo "$DRY" | sed -n 's/.*would give back \([0-9]*\) bytes (collapsed room)$/\1/p')
[ -n "$WOULD" ] || fail "the dry run says: $DRY"
[ "$(stat -c %s "$VIDEO")" = "$SIZE" ] || fail "the dry run changed the file"
DONE=$("$TOOL" -v compact "$VIDEO")
[ "$DONE" = "$VIDEO: gave back $WOULD bytes (collapsed room)" ] || fail "compact says: $DONE"

NOW=$(stat -c %s "$VIDEO")
[ "$(stat -c %i "$VIDEO")" = "$INODE" ] || fail "the file was replaced"
[ $((SIZE - NOW)) = "$WOULD" ] || fail "$((SIZE - NOW)) bytes given back, not $WOULD"
BLOCK=$(stat -f -c %S "$MNT")
[ $((WOULD % BLOCK)) = 0 ] || fail "$WOULD bytes are not whole blocks of $BLOCK"
tail -c "$REST" "$VIDEO" | cmp -s - "$SCRATCH/media" || fail "the media bytes changed"
"$TOOL" show "$VIDEO" | grep -q "Title: *Kept" || fail "the title was lost"
echo "compact gave back $WOULD of $SIZE bytes in place"

if [ -x "$TESTS" ]; then
  TMPDIR="$MNT" "$TESTS" --gtest_filter='CompactTest.*' --gtest_brief=1
fi
