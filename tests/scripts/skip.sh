# Sourced by the script tests: each check ends the test as skipped (exit 77,
# which ctest counts as skipped, never as passed) with its reason.
skip() {
  echo "skipped: $*"
  exit 77
}

# need_built FILE: a program of the build.
need_built() {
  [ -x "$1" ] || skip "$1 not built"
}

# need_commands NAME...: programs on PATH.
need_commands() {
  for NEEDED in "$@"; do
    command -v "$NEEDED" >/dev/null 2>&1 || skip "$NEEDED missing"
  done
}

# need_root WHY
need_root() {
  [ "$(id -u)" -eq 0 ] || skip "$1 needs root"
}

# need_python_module PYTHON MODULE
need_python_module() {
  "$1" -c "import $2" 2>/dev/null || skip "$2 missing for $1"
}
