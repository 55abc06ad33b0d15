#!/bin/sh
# What VLC (and ffprobe, for comparison) shows as the title of a video
# tagged by FFmpeg after quillmark-tag retitles it by each way a save takes:
# in place, Header Extension padding, inserted room (ext4), clone (btrfs),
# copy (tmpfs), and after a compact that collapses the room (ext4). FFmpeg
# keeps a lower-case copy of the title in the Extended Content Description,
# which the save keeps in step. Prints one row per way: the way quillmark-tag
# reports, and each reader's title. VLC reads through its rc interface.
# Runs as root (it mounts file-system images); VLC refuses root, so it runs
# as nobody. Needs ffmpeg, ffprobe, cvlc (vlc-bin, vlc-plugin-base).
#   tools/vlc_titles.sh [BUILD_DIR]
set -eu
BUILD_DIR="$(cd "${1:-build}" && pwd)"
TOOL="$BUILD_DIR/src/app/quillmark-tag"
NEW="A New Title, Longer Than Before"
[ -x "$TOOL" ] || { echo "build quillmark-tag first" >&2; exit 1; }
[ "$(id -u)" = 0 ] || { echo "run as root: it mounts file-system images" >&2; exit 1; }
for NEED in ffmpeg ffprobe cvlc runuser; do
  command -v "$NEED" >/dev/null || { echo "$NEED is missing" >&2; exit 1; }
done

WORK="$(mktemp -d "${TMPDIR:-/var/tmp}/quillmark-vlc-XXXXXX")"
chmod 755 "$WORK"
MNT="$WORK/mnt"
IMAGE="$WORK/fs.img"
mkdir -p "$MNT"
cleanup() {
  umount "$MNT" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT INT TERM

# Mounts file system $1 on $MNT.
mount_fs() {
  umount "$MNT" 2>/dev/null || true
  rm -f "$IMAGE"
  case "$1" in
  tmpfs) mount -t tmpfs -o size=64m tmpfs "$MNT" ;;
  ext4)
    truncate -s 128M "$IMAGE"
    mkfs.ext4 -q -F "$IMAGE" && mount -o loop "$IMAGE" "$MNT" ;;
  btrfs)
    truncate -s 256M "$IMAGE"
    mkfs.btrfs -q -f "$IMAGE" >/dev/null && mount -o loop "$IMAGE" "$MNT" ;;
  esac
  chmod 755 "$MNT"
}

# Puts a Padding Object of $3 bytes into the header of $1 (top-level with
# $2 = top, inside the Header Extension with $2 = extension), as other
# writers leave it.
pad() {
  /usr/bin/python3 - "$@" <<'EOF'
import struct, sys, uuid
path, where, size = sys.argv[1], sys.argv[2], int(sys.argv[3])
g = lambda text: uuid.UUID(text).bytes_le
EXT = g("5FBF03B5-A92E-11CF-8EE3-00C00C205365")
PROPS = g("8CABDCA1-A947-11CF-8EE4-00C00C205365")
PAD = g("1806D474-CADF-4509-A4BA-9AABCB96AAE8")
data = bytearray(open(path, "rb").read())
header = struct.unpack_from("<Q", data, 16)[0]
padding = PAD + struct.pack("<Q", size) + bytes(size - 24)
at, ext = 30, None
while at < header:
    guid, length = bytes(data[at:at + 16]), struct.unpack_from("<Q", data, at + 16)[0]
    if guid == PROPS:
        struct.pack_into("<Q", data, at + 40, len(data) + size)
    if guid == EXT:
        ext = at
    at += length
if where == "top":
    data[header:header] = padding
    struct.pack_into("<I", data, 24, struct.unpack_from("<I", data, 24)[0] + 1)
else:
    end = ext + struct.unpack_from("<Q", data, ext + 16)[0]
    data[end:end] = padding
    struct.pack_into("<Q", data, ext + 16, struct.unpack_from("<Q", data, ext + 16)[0] + size)
    struct.pack_into("<I", data, ext + 42, struct.unpack_from("<I", data, ext + 42)[0] + size)
struct.pack_into("<Q", data, 16, header + size)
open(path, "wb").write(data)
EOF
}

# Asks for the stream's information each second until it has been read.
vlc_title() {
  (for _ in 1 2 3 4 5 6 7 8; do sleep 1; echo info; done; echo quit) |
    HOME="$WORK" timeout 30 runuser -u nobody -- cvlc -I rc --no-video --aout=dummy --start-paused \
      --no-dbus "$1" 2>/dev/null | sed -n 's/^| title: //p' | head -n 1
}

ffprobe_title() {
  ffprobe -v error -show_entries format_tags=title -of default=nw=1:nk=1 "$1" | head -n 1
}

ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=d=2:s=320x240:r=25 -f lavfi -i sine=d=2 \
  -c:v wmv2 -c:a wmav2 "$WORK/a.wmv"
ffmpeg -nostdin -loglevel error -y -i "$WORK/a.wmv" -c copy -metadata title="FF Title" \
  -metadata artist=X -metadata copyright=Y -metadata date=2021 "$WORK/f.wmv"

FORMAT='%-26s %-6s %-26s %-34s %-34s\n'
printf "$FORMAT" "case" "fs" "way reported" "VLC title" "ffprobe title"
# $1 case, $2 file system, $3 padding (none, top, extension), $4 compact
# afterwards (yes/no): the padding is then large enough to give back.
row() {
  mount_fs "$2"
  cp "$WORK/f.wmv" "$MNT/f.wmv"
  [ "$3" = none ] || pad "$MNT/f.wmv" "$3" "$([ "$4" = yes ] && echo 300000 || echo 8000)"
  WAY=$("$TOOL" -v set --title "$NEW" "$MNT/f.wmv" 2>&1 | sed -n 's/.*saved: \([^;]*\).*/\1/p' | head -n 1)
  if [ "$4" = yes ]; then
    WAY=$("$TOOL" -v compact "$MNT/f.wmv" 2>&1 | sed -n 's/.*(\(.*\))$/\1/p')
  fi
  chmod 644 "$MNT/f.wmv"
  printf "$FORMAT" "$1" "$2" "${WAY:-?}" "$(vlc_title "$MNT/f.wmv")" "$(ffprobe_title "$MNT/f.wmv")"
}

printf "$FORMAT" "as FFmpeg wrote it" "-" "-" "$(vlc_title "$WORK/f.wmv")" "$(ffprobe_title "$WORK/f.wmv")"
row "in place" ext4 top no
row "Header Extension padding" ext4 extension no
row "inserted room" ext4 none no
row "clone" btrfs none no
row "copy" tmpfs none no
row "then compact" ext4 top yes
