#!/bin/sh
# Installs the Debian packages the project needs. As root it runs apt-get;
# as another user it prints the one command to run and stops.
set -e
PACKAGES="cmake g++ make pkg-config git qt6-base-dev qt6-base-dev-tools libgl-dev
  libjpeg62-turbo-dev libjpeg-turbo-progs libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev libcli11-dev libssl-dev ffmpeg python3 python3-mutagen
  clang-14 libclang-rt-14-dev imagemagick xvfb xauth desktop-file-utils
  appstream fonts-dejavu-core fonts-dejavu-extra dpkg-dev file time
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev"
MISSING=""
for P in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$P" 2>/dev/null | grep -q "install ok installed"; then
    MISSING="$MISSING $P"
  fi
done
[ -z "$MISSING" ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages. Run this once, then try again:" >&2
  echo "  sudo apt-get install -y$MISSING" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends $MISSING
