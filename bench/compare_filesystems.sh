#!/bin/sh
# Times saves of a video (FsSave) against cp of
# the same video, on each file system users keep videos on, in one run:
# ext4, XFS with reflinks, btrfs and NTFS through ntfs-3g on loop-mounted
# images, and tmpfs. A file system whose tools or driver are missing, or
# that cannot be mounted, is skipped. Prints each save's way and the ratios.
# Runs as root.
#   bench/compare_filesystems.sh [BUILD_DIR] [VIDEO_MIB]   (configured with -DQUILLMARK_BENCH=ON)
# The video's header holds 3.5 KB of padding in its Header Extension, as
# Windows writes it. The first save adds the stereo attributes (they fit
# that padding), the second a 10 KB preview (it does not: the header grows),
# the third, a small edit, changes the title. cp's figure (a real copy, no
# reflink even where the file system could share blocks) is the median of
# three copies, each followed by a sync of the copy (every save syncs what
# it writes); before each timing the video is put out of the page cache.
set -e
BUILD_DIR="$(cd "${1:-build}" && pwd)"
MIB="${2:-600}"
TOOL="$BUILD_DIR/bench/FsSave"
[ -x "$TOOL" ] || { echo "build FsSave first (-DQUILLMARK_BENCH=ON)" >&2; exit 1; }
[ "$(id -u)" = 0 ] || { echo "run as root: it mounts file-system images" >&2; exit 1; }

WORK="$(mktemp -d "${TMPDIR:-/var/tmp}/quillmark-fs-XXXXXX")"
MNT="$WORK/mnt"
IMAGE="$WORK/fs.img"
mkdir -p "$MNT"
IMAGE_MIB=$((MIB * 3 + 512))
cleanup() {
  umount "$MNT" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT INT TERM

# Mounts file system $1 on $MNT; fails when it cannot.
mount_fs() {
  rm -f "$IMAGE"
  case "$1" in
  tmpfs) mount -t tmpfs -o "size=$((IMAGE_MIB))m" tmpfs "$MNT" ;;
  ext4)
    truncate -s "${IMAGE_MIB}M" "$IMAGE"
    mkfs.ext4 -q -F "$IMAGE" && mount -o loop "$IMAGE" "$MNT" ;;
  xfs)
    truncate -s "${IMAGE_MIB}M" "$IMAGE"
    mkfs.xfs -q -f -m reflink=1 "$IMAGE" && mount -o loop "$IMAGE" "$MNT" ;;
  btrfs)
    truncate -s "${IMAGE_MIB}M" "$IMAGE"
    mkfs.btrfs -q -f "$IMAGE" && mount -o loop "$IMAGE" "$MNT" ;;
  ntfs)
    truncate -s "${IMAGE_MIB}M" "$IMAGE"
    mkntfs -q -F -f "$IMAGE" && ntfs-3g "$IMAGE" "$MNT" ;;
  *) return 1 ;;
  esac
}

uncache() {
  sync
  dd if="$1" iflag=nocache count=0 status=none 2>/dev/null || true
}

ratio() { awk "BEGIN { printf \"%.3f\", $1 / ($2 > 0 ? $2 : 1) }"; }

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Median milliseconds of three cp + sync of the video.
cp_ms() {
  : > "$WORK/cp.txt"
  for _ in 1 2 3; do
    rm -f "$MNT/copy.wmv"
    uncache "$MNT/video.wmv"
    START=$(now_ms)
    cp --reflink=never "$MNT/video.wmv" "$MNT/copy.wmv"
    sync "$MNT/copy.wmv"
    echo $(($(now_ms) - START)) >> "$WORK/cp.txt"
  done
  rm -f "$MNT/copy.wmv"
  sort -n "$WORK/cp.txt" | sed -n 2p
}

FORMAT='%-9s %9s %-8s %9s %-8s %9s %-8s %9s %8s %8s %8s\n'
printf "$FORMAT" "fs" "stereo ms" "way" "grow ms" "way" "edit ms" "way" "cp ms" "stereo/cp" "grow/cp" "edit/cp"
# xfs-clone: XFS again, its growing save told not to insert, to show the
# clone there.
for ROW in ext4 xfs xfs-clone btrfs ntfs tmpfs; do
  FS=${ROW%-clone}
  GROW_ARGS=
  [ "$ROW" = xfs-clone ] && GROW_ARGS=no-insert
  if ! mount_fs "$FS" > "$WORK/mount.log" 2>&1; then
    printf '%-9s skipped: cannot mount (%s)\n' "$ROW" "$(head -c 60 "$WORK/mount.log" | tr '\n' ' ')"
    continue
  fi
  "$TOOL" make "$MNT/video.wmv" "$MIB"
  CP=$(cp_ms)
  uncache "$MNT/video.wmv"
  OUT=$("$TOOL" stereo "$MNT/video.wmv")
  STEREO=${OUT%% *} STEREO_WAY=${OUT#* }
  uncache "$MNT/video.wmv"
  OUT=$("$TOOL" grow "$MNT/video.wmv" $GROW_ARGS)
  GROW=${OUT%% *} GROW_WAY=${OUT#* }
  uncache "$MNT/video.wmv"
  OUT=$("$TOOL" edit "$MNT/video.wmv")
  EDIT=${OUT%% *} EDIT_WAY=${OUT#* }
  printf "$FORMAT" "$ROW" "$STEREO" "$STEREO_WAY" "$GROW" "$GROW_WAY" "$EDIT" "$EDIT_WAY" "$CP" \
    "$(ratio "$STEREO" "$CP")" "$(ratio "$GROW" "$CP")" "$(ratio "$EDIT" "$CP")"
  umount "$MNT"
done
