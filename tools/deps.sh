#!/bin/sh
# Installs the Debian packages the project needs for what is asked:
#   tools/deps.sh run     build and run the editor and quillmark-tag
#   tools/deps.sh test    ... and run every test (run.sh asks for run, test.sh for test)
#   tools/deps.sh ci      ... and the style checks and the fuzzing compiler
#   tools/deps.sh bench   ... and the benchmark library and tools, and the
#                         readers and file systems the bench/ and tools/
#                         comparisons use
# Several groups may be named. As root it runs apt-get; as another user it
# prints the one command to run and stops.
set -e
RUN="cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  libjpeg62-turbo-dev zlib1g-dev nettle-dev nlohmann-json3-dev libcli11-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
  ffmpeg python3 fonts-dejavu-core fonts-dejavu-extra dpkg-dev"
TEST="$RUN libgtest-dev libgmock-dev libjpeg-turbo-progs python3-mutagen imagemagick
  xvfb xauth desktop-file-utils appstream dpkg-dev lintian file time git
  gstreamer1.0-tools gstreamer1.0-plugins-ugly gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-plugins-base-apps strace x11-xserver-utils mkvtoolnix mediainfo"
CI="$TEST clang-14 libclang-rt-14-dev clang-format-14 clang-tidy-14"
BENCH="$RUN libbenchmark-dev hyperfine vlc-bin vlc-plugin-base btrfs-progs"

PACKAGES=""
[ $# -eq 0 ] && set -- run
for GROUP in "$@"; do
  case "$GROUP" in
    run) PACKAGES="$PACKAGES $RUN" ;;
    test) PACKAGES="$PACKAGES $TEST" ;;
    ci) PACKAGES="$PACKAGES $CI" ;;
    bench) PACKAGES="$PACKAGES $BENCH" ;;
    fuzz) PACKAGES="$PACKAGES $RUN clang-14 libclang-rt-14-dev" ;;
    *) echo "deps.sh: unknown group $GROUP (run, test, ci, bench, fuzz)" >&2; exit 2 ;;
  esac
done
MISSING=""
for P in $(echo $PACKAGES | tr ' ' '\n' | sort -u); do
  if ! dpkg-query -W -f='${Status}' "$P" 2>/dev/null | grep -q "install ok installed"; then
    MISSING="$MISSING $P"
  fi
done
[ -z "$MISSING" ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages. Run this once, then try again:" >&2
  echo "  sudo apt-get install -y --no-install-recommends$MISSING" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends $MISSING
