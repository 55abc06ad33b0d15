#!/bin/sh
# Compares what `quillmark-tag dump --json` lists with what mutagen lists for
# the same files: real files of the corpus and short videos made by ffmpeg.
# Arguments: build dir, source dir. Skips (exit 77 with a message) when a peer is missing.
set -eu
BUILD_DIR="$1"
SOURCE_DIR="$2"
TOOL="$BUILD_DIR/src/app/quillmark-tag"
PYTHON=/usr/bin/python3
CORPUS="${QUILLMARK_CORPUS_DIR:-$SOURCE_DIR/../shared/corpus/asf}"

. "$(dirname "$0")/skip.sh"
need_built "$TOOL"
need_python_module "$PYTHON" mutagen.asf

SCRATCH=$(mktemp -d)
trap 'rm -rf "$SCRATCH"' EXIT

FILES=""
if command -v ffmpeg >/dev/null 2>&1; then
  ffmpeg -loglevel error -y -f lavfi -i testsrc=duration=1:size=160x120:rate=10 -c:v wmv2 \
    -metadata title="Peer title" -metadata author="Peer author" -metadata copyright="(c) Peer" \
    -metadata comment="Two\nlines" -metadata genre="Documentary" "$SCRATCH/made.wmv"
  ffmpeg -loglevel error -y -f lavfi -i testsrc=duration=1:size=160x120:rate=10 -f lavfi \
    -i sine=duration=1 -c:v wmv2 -c:a wmav2 -metadata title="Caf$(printf '\303\251')" "$SCRATCH/audio.wmv"
  FILES="$SCRATCH/made.wmv $SCRATCH/audio.wmv"
else
  echo "note: ffmpeg missing, only corpus files compared"
fi
if [ -d "$CORPUS" ]; then
  for F in "$CORPUS"/*.wma "$CORPUS"/*.wmv "$CORPUS"/*.asf; do
    [ -f "$F" ] && FILES="$FILES $F"
  done
else
  echo "note: corpus $CORPUS missing"
fi
[ -n "$FILES" ] || skip "no files to compare"

# shellcheck disable=SC2086
"$TOOL" dump --json $FILES > "$SCRATCH/ours.json"

"$PYTHON" - "$SCRATCH/ours.json" $FILES <<'PY'
import hashlib, json, sys, uuid
import mutagen.asf

def theirs(path):
    out = []
    tags = mutagen.asf.ASF(path).tags
    for name, values in tags.items():
        for v in values:
            kind = type(v).__name__
            value = v.value
            if kind == "ASFByteArrayAttribute":
                value = {"length": len(value), "sha256": hashlib.sha256(value).hexdigest()}
            elif kind == "ASFGUIDAttribute":
                value = str(uuid.UUID(bytes_le=value)).upper()
            elif kind == "ASFBoolAttribute":
                value = bool(value)
            out.append((name, v.stream or 0, v.language or 0, json.dumps(value, sort_keys=True)))
    return sorted(out)

def ours(entry):
    return sorted((a["name"], a["stream"], a["language"], json.dumps(a["value"], sort_keys=True))
                  for a in entry["attributes"])

listed = {e["file"]: e for e in json.load(open(sys.argv[1]))}
failed = False
for path in sys.argv[2:]:
    if path not in listed:
        print("FAIL: quillmark-tag did not list", path); failed = True; continue
    a, b = ours(listed[path]), theirs(path)
    if a != b:
        failed = True
        print("FAIL:", path)
        for x in sorted(set(a) - set(b)): print("  only ours:  ", x)
        for x in sorted(set(b) - set(a)): print("  only mutagen:", x)
    else:
        print("same:", path, len(a), "attributes")
sys.exit(1 if failed else 0)
PY
