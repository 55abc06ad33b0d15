#!/bin/sh
# Checks the sources' format (clang-format, failing on any difference) and
# names (clang-tidy's naming check) against the compile commands of a build:
#   tools/check-style.sh BUILD_DIR
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR="${1:-build}"
FILES=$(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'fuzz/*.cpp' 'fuzz/*.h' 'tools/*.cpp')
echo "Checking the format of $(echo "$FILES" | wc -l) files"
# shellcheck disable=SC2086
clang-format-14 --dry-run --Werror $FILES

echo "Checking that headers live beside their definitions"
HEADERS=$(git ls-files 'src/*.h')
# No two headers of src/ share a file name.
DUPLICATES=$(printf '%s\n' "$HEADERS" | sed 's|.*/||' | sort | uniq -d)
if [ -n "$DUPLICATES" ]; then
  for NAME in $DUPLICATES; do
    printf '%s\n' "$HEADERS" | grep "/$NAME\$" | sed 's/$/: a header of the same name is elsewhere/'
  done
  exit 1
fi
# Every X.cpp whose header X.h is somewhere in src/ has it in its own folder.
STRAYS=0
for SOURCE in $(git ls-files 'src/*.cpp'); do
  NAME=$(basename "$SOURCE" .cpp).h
  if [ ! -e "${SOURCE%.cpp}.h" ] && printf '%s\n' "$HEADERS" | grep -q "/$NAME\$"; then
    echo "$SOURCE: its header $(printf '%s\n' "$HEADERS" | grep "/$NAME\$") is in another folder"
    STRAYS=1
  fi
done
[ "$STRAYS" -eq 0 ] || exit 1

SOURCES=$(git ls-files 'src/*.cpp')
echo "Checking the names in $(echo "$SOURCES" | wc -l) sources"
OUT=$(mktemp)
trap 'rm -f "$OUT"' EXIT
# shellcheck disable=SC2086
if ! printf '%s\n' $SOURCES | xargs -P "$(nproc)" -n 8 clang-tidy-14 -p "$BUILD_DIR" --quiet \
    --warnings-as-errors='*' >"$OUT" 2>&1; then
  grep -E 'warning|error' "$OUT" | sort -u
  echo "clang-tidy found names out of the house style" >&2
  exit 1
fi
