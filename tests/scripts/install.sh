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
# xdg-mime names .wmv files video/x-ms-asf outside a desktop environment.
grep -q "^MimeType=.*video/x-ms-asf;" "$SOURCE/resources/example.quillmark.Quillmark.desktop" ||
  fail "the desktop entry lacks video/x-ms-asf"
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

# One package per audience, each from its own component.
package() { ls "$1"/"$2"_*.deb; }
build_packages() {
  (cd "$SCRATCH" && cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$1" >/dev/null)
}
build_packages "$SCRATCH/deb"
TAG="$(package "$SCRATCH/deb" quillmark-tag)"
VIDEO="$(package "$SCRATCH/deb" quillmark-tag-video)"
WINDOW="$(package "$SCRATCH/deb" quillmark)"
# Every program loads the system's shared libraries, so Debian's security
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

# Each package's dependencies: what it needs, and for the command line
# nothing of Qt or FFmpeg.
depends() { dpkg-deb -f "$1" Depends; }
expect_depends() { # DEB "needed..." "refused..."
  for LIB in $2; do depends "$1" | grep -q "$LIB" || fail "$(basename "$1") Depends lacks $LIB: $(depends "$1")"; done
  for LIB in $3; do depends "$1" | grep -q "$LIB" && fail "$(basename "$1") depends on $LIB: $(depends "$1")"; done
  return 0
}
expect_depends "$TAG" "libjpeg62-turbo libnettle8 zlib1g" "libqt6 libavformat libavcodec libswscale"
expect_depends "$VIDEO" "quillmark-tag libavformat59 libswscale6" "libqt6"
expect_depends "$WINDOW" "libqt6widgets6 libjpeg62-turbo libavformat59 libswscale6" ""
dpkg-deb -f "$WINDOW" Recommends | grep -q "quillmark-tag" || fail "quillmark does not recommend quillmark-tag"

contains() { # DEB FILE...
  DEB="$1"; shift
  CONTENTS="$(dpkg-deb --contents "$DEB")"
  for F in "$@"; do
    echo "$CONTENTS" | grep -q " $F\$" || fail "$(basename "$DEB") lacks $F"
  done
}
contains "$TAG" ./usr/bin/quillmark-tag ./usr/share/man/man1/quillmark-tag.1.gz \
  ./usr/share/bash-completion/completions/quillmark-tag \
  ./usr/share/doc/quillmark-tag/copyright ./usr/share/doc/quillmark-tag/changelog.gz
contains "$VIDEO" ./usr/libexec/quillmark/quillmark-tag-video \
  ./usr/share/doc/quillmark-tag-video/copyright ./usr/share/doc/quillmark-tag-video/changelog.gz
contains "$WINDOW" ./usr/bin/quillmark ./usr/share/applications/example.quillmark.Quillmark.desktop \
  ./usr/share/icons/hicolor/48x48/apps/quillmark.png ./usr/share/man/man1/quillmark.1.gz \
  ./usr/share/doc/quillmark/copyright ./usr/share/doc/quillmark/changelog.gz
dpkg-deb --contents "$TAG" | grep -q "bin/quillmark$" && fail "quillmark-tag holds the window"

# Debian's hardening: fortified calls, stack protector, relro and bindnow,
# in every build that takes the flags (not Debug, sanitizer or fuzzing
# builds, whose -O0 fortify cannot work with).
HARDENED=yes
grep -q "^CMAKE_BUILD_TYPE:STRING=Debug$" "$BUILD/CMakeCache.txt" && HARDENED=no
grep -q "^QUILLMARK_HARDEN:BOOL=OFF$" "$BUILD/CMakeCache.txt" && HARDENED=no
if [ "$HARDENED" = no ]; then
  echo "hardening not checked: this build takes no hardening flags"
fi
for PROGRAM in bin/quillmark bin/quillmark-tag libexec/quillmark/quillmark-tag-video; do
  [ "$HARDENED" = yes ] || break
  readelf -d "$ROOT/$PROGRAM" | grep -q "BIND_NOW\|FLAGS.*NOW" || fail "$PROGRAM is not linked with bindnow"
  readelf -lW "$ROOT/$PROGRAM" | grep -q "GNU_RELRO" || fail "$PROGRAM has no relro"
  readelf -sW --dyn-syms "$ROOT/$PROGRAM" | grep -q "__[a-z_]*_chk@" || fail "$PROGRAM calls no fortified function"
  readelf -sW --dyn-syms "$ROOT/$PROGRAM" | grep -q "__stack_chk_fail@" || fail "$PROGRAM has no stack protector"
done

# Reproducible: the packages made again, a second later, are the same bytes,
# and the changelog carries the last commit's date, not the build's.
sleep 1
build_packages "$SCRATCH/deb2"
for DEB in "$TAG" "$VIDEO" "$WINDOW"; do
  cmp -s "$DEB" "$SCRATCH/deb2/$(basename "$DEB")" || fail "$(basename "$DEB") differs when built again"
done
EPOCH="$(git -C "$SOURCE" log -1 --format=%ct)"
[ -n "${SOURCE_DATE_EPOCH:-}" ] && EPOCH="$SOURCE_DATE_EPOCH"
DATE="$(LC_ALL=C date -u -d "@$EPOCH" "+%a, %d %b %Y %H:%M:%S +0000")"
dpkg-deb --fsys-tarfile "$TAG" | tar -xO ./usr/share/doc/quillmark-tag/changelog.gz | gzip -dc |
  grep -q "  $DATE\$" || fail "the changelog is not dated by the last commit ($DATE)"
# No path of the build machine is left in the programs of a release build
# (a sanitizer's build keeps its source paths for its reports).
for PROGRAM in bin/quillmark-tag libexec/quillmark/quillmark-tag-video; do
  [ "$HARDENED" = yes ] || break
  strings "$ROOT/$PROGRAM" | grep -q "$SOURCE" && fail "$PROGRAM holds the source folder's path"
done

# Debian's own checker: no error, and no warning but those listed with
# their reason in tests/scripts/lintian-accepted.
ACCEPTED="$(dirname "$0")/lintian-accepted"
for DEB in "$TAG" "$VIDEO" "$WINDOW"; do
  LINTIAN="$(lintian --no-tag-display-limit "$DEB" 2>&1 || true)"
  REMAINING="$(echo "$LINTIAN" | grep -E '^[EW]: ' | grep -v -F -f "$ACCEPTED" || true)"
  [ -z "$REMAINING" ] || fail "lintian reports:
$REMAINING"
done
echo "install and package checks passed"
