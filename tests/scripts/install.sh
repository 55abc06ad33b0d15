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

desktop-file-validate "$SOURCE/resources/quillmark.desktop"
appstreamcli validate --no-net "$SOURCE/resources/example.quillmark.Quillmark.metainfo.xml"

DESTDIR="$SCRATCH/root" cmake --install "$BUILD" --prefix /usr >/dev/null
ROOT="$SCRATCH/root/usr"
for F in bin/quillmark bin/quillmark-tag \
    share/applications/quillmark.desktop \
    share/metainfo/example.quillmark.Quillmark.metainfo.xml \
    share/man/man1/quillmark.1 share/man/man1/quillmark-tag.1; do
  [ -e "$ROOT/$F" ] || fail "missing $F"
done
for S in 16 32 48 64 128 256; do
  ICON="$ROOT/share/icons/hicolor/${S}x${S}/apps/quillmark.png"
  [ -e "$ICON" ] || fail "missing ${S} pixel icon"
  file "$ICON" | grep -q "PNG image data, $S x $S" || fail "icon $S is not a $S x $S PNG"
done
"$ROOT/bin/quillmark-tag" --version >/dev/null || fail "quillmark-tag does not run"

(cd "$SCRATCH" && cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$SCRATCH/deb" >/dev/null)
DEB="$(ls "$SCRATCH"/deb/quillmark_*.deb)"
DEPENDS="$(dpkg-deb -f "$DEB" Depends)"
# A release build links libcrypto into quillmark-tag; only a tool that
# still loads it needs the package.
NEEDED="libqt6widgets6 libjpeg62-turbo libavformat59 libswscale6"
if ldd "$ROOT/bin/quillmark-tag" | grep -q libcrypto; then NEEDED="$NEEDED libssl3"; fi
for LIB in $NEEDED; do
  echo "$DEPENDS" | grep -q "$LIB" || fail "Depends lacks $LIB: $DEPENDS"
done
CONTENTS="$(dpkg-deb --contents "$DEB")"
for F in ./usr/bin/quillmark ./usr/bin/quillmark-tag ./usr/share/applications/quillmark.desktop \
    ./usr/share/icons/hicolor/48x48/apps/quillmark.png ./usr/share/man/man1/quillmark.1; do
  echo "$CONTENTS" | grep -q " $F\$" || fail "package lacks $F"
done
echo "install and package checks passed"
