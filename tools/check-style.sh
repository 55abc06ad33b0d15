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
