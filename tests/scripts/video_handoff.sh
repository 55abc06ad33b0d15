#!/bin/sh
# quillmark-tag loads no video library; it hands the commands that look at
# frames to quillmark-tag-video beside it, and only to one nobody else could
# have changed.   video_handoff.sh BUILD_DIR
set -eu
APP="$1/src/app"
SCRATCH="$(mktemp -d)"
trap 'rm -rf "$SCRATCH"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

ldd "$APP/quillmark-tag" | grep -q "libavformat" && fail "quillmark-tag loads FFmpeg's libraries"
ldd "$APP/quillmark-tag-video" | grep -q "libavformat" || fail "quillmark-tag-video does not load FFmpeg"

VIDEO="$SCRATCH/clip.wmv"
ffmpeg -loglevel error -f lavfi -i "testsrc2=size=128x48:rate=10:duration=1" -c:v wmv2 "$VIDEO"
DIRECT="$("$APP/quillmark-tag-video" detect --json "$VIDEO")"
HANDED="$("$APP/quillmark-tag" detect --json "$VIDEO")" || fail "detect through quillmark-tag failed"
[ "$DIRECT" = "$HANDED" ] || fail "the hand-off changed the output: $HANDED"
"$APP/quillmark-tag" set --preview-from-video "$VIDEO" >/dev/null || fail "set --preview-from-video failed"
"$APP/quillmark-tag" show --json "$VIDEO" | grep -q '"preview"' || fail "no preview stored"

# A copy of the tool alone, then with a video program others may write.
mkdir "$SCRATCH/lone"
cp "$APP/quillmark-tag" "$SCRATCH/lone/"
expect_refusal() {
  STATUS=0
  "$SCRATCH/lone/quillmark-tag" detect "$VIDEO" 2>"$SCRATCH/err" >/dev/null || STATUS=$?
  [ "$STATUS" = 1 ] || fail "$1: status $STATUS"
  grep -q "$2" "$SCRATCH/err" || fail "$1: $(cat "$SCRATCH/err")"
}
expect_refusal "no video program" "could not be started: No such file"
printf '#!/bin/sh\ntouch %s/ran\n' "$SCRATCH" >"$SCRATCH/lone/quillmark-tag-video"
chmod 775 "$SCRATCH/lone/quillmark-tag-video"
expect_refusal "group-writable video program" "only its owner"
[ ! -e "$SCRATCH/ran" ] || fail "an untrusted video program was run"
"$SCRATCH/lone/quillmark-tag" show "$VIDEO" >/dev/null || fail "show needs the video program"
echo "video hand-off checks passed"
