#!/bin/sh
# Checks the desktop files with the ecosystem's validators, installs into a
# scratch DESTDIR and checks the file list, then builds the .deb and checks
# its control file and contents.   install.sh BUILD_DIR SOURCE_DIR
set -eu
BUILD="$1"
SOURCE="$2"
SCRATCH="$(mktemp -d)"
trap 'rm -rf "$SCRATCH"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

desktop-file-validate "$SOURCE/resources/example.quillmark.Quillmark.desktop"
appstreamcli validate --no-net "$SOURCE/resources/example.quillmark.Quillmark.metainfo.xml"

DESTDIR="$SCRATCH/root" cmake --install "$BUILD" --prefix /usr >/dev/null
ROOT="$SCRATCH/root/usr"
for F in bin/quillmark bin/quillmark-tag libexec/quillmark/quillmark-tag-video \
    share/applications/example.quillmark.Quillmark.desktop \
    share/metainfo/example.quillmark.Quillmark.metainfo.xml \
    share/man/man1/quillmark.1.gz share/man/man1/quillmark-tag.1.gz \
    share/bash-completion/completions/quillmark-tag \
    share/doc/quillmark/copyright share/doc/quillmark/changelog.gz; do
  [ -e "$ROOT/$F" ] || fail "missing $F"
done
for S in 16 32 48 64 128 256; do
  ICON="$ROOT/share/icons/hicolor/${S}x${S}/apps/quillmark.png"
  [ -e "$ICON" ] || fail "missing ${S} pixel icon"
  file "$ICON" | grep -q "PNG image data, $S x $S" || fail "icon $S is not a $S x $S PNG"
done
"$ROOT/bin/quillmark-tag" --version >/dev/null || fail "quillmark-tag does not run"
# The installed tool finds its video program where the package puts it.
ffmpeg -loglevel error -f lavfi -i "testsrc2=size=128x48:rate=10:duration=1" -c:v wmv2 "$SCRATCH/clip.wmv"
"$ROOT/bin/quillmark-tag" detect "$SCRATCH/clip.wmv" >/dev/null || fail "installed quillmark-tag cannot detect"

(cd "$SCRATCH" && cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$SCRATCH/deb" >/dev/null)
DEB="$(ls "$SCRATCH"/deb/quillmark_*.deb)"
DEPENDS="$(dpkg-deb -f "$DEB" Depends)"
# Both programs load the system's shared libraries, so Debian's security
# updates reach them; nothing is linked in statically.
for PROGRAM in bin/quillmark bin/quillmark-tag libexec/quillmark/quillmark-tag-video; do
  file "$ROOT/$PROGRAM" | grep -q "dynamically linked" || fail "$PROGRAM is not dynamically linked"
done
ldd "$ROOT/bin/quillmark-tag" | grep -q "libjpeg\.so" || fail "quillmark-tag does not load libjpeg"
ldd "$ROOT/bin/quillmark-tag" | grep -q "libnettle\.so" || fail "quillmark-tag does not load nettle"
# SHA-256 comes from nettle: libcrypto is none of the tool's needs. The video
# libraries, which bring it and a hundred more, load only in the video program.
readelf -d "$ROOT/bin/quillmark-tag" | grep NEEDED | grep -q "libcrypto" && fail "quillmark-tag links libcrypto"
ldd "$ROOT/bin/quillmark-tag" | grep -q "libavformat" && fail "quillmark-tag loads FFmpeg's libraries"
ldd "$ROOT/bin/quillmark" | grep -q "libQt6Widgets\.so" || fail "quillmark does not load Qt"
NEEDED="libqt6widgets6 libjpeg62-turbo libnettle8 libavformat59 libswscale6"
for LIB in $NEEDED; do
  echo "$DEPENDS" | grep -q "$LIB" || fail "Depends lacks $LIB: $DEPENDS"
done
CONTENTS="$(dpkg-deb --contents "$DEB")"
for F in ./usr/bin/quillmark ./usr/bin/quillmark-tag ./usr/libexec/quillmark/quillmark-tag-video \
    ./usr/share/applications/example.quillmark.Quillmark.desktop \
    ./usr/share/icons/hicolor/48x48/apps/quillmark.png ./usr/share/man/man1/quillmark.1.gz; do
  echo "$CONTENTS" | grep -q " $F\$" || fail "package lacks $F"
done
# Debian's own checker: no error, and no warning but those listed with
# their reason in tests/scripts/lintian-accepted.
LINTIAN="$(lintian --no-tag-display-limit "$DEB" 2>&1 || true)"
ACCEPTED="$(dirname "$0")/lintian-accepted"
REMAINING="$(echo "$LINTIAN" | grep -E '^[EW]: ' | grep -v -F -f "$ACCEPTED" || true)"
[ -z "$REMAINING" ] || fail "lintian reports:
$REMAINING"
echo "install and package checks passed"
