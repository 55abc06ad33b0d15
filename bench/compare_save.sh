#!/bin/sh
# Times the three ways of saving a header (BenchSave) and, in the same run,
# cp of the same videos, and prints the ratios; then the peak memory of a
# copying save of the 2 GiB video.
#   bench/compare_save.sh [BUILD_DIR]   (configured with -DQUILLMARK_BENCH=ON)
set -e
BUILD_DIR="$(cd "${1:-build}" && pwd)"
BENCH="$BUILD_DIR/bench/BenchSave"
DATA="$BUILD_DIR/bench-data"
export QUILLMARK_BENCH_DIR="$DATA"
mkdir -p "$DATA"
[ -x "$BENCH" ] || { echo "build BenchSave first (-DQUILLMARK_BENCH=ON)" >&2; exit 1; }

"$BENCH" --benchmark_out="$DATA/save.json" --benchmark_out_format=json

# Milliseconds per run of a command, best of N runs.
best_ms() {
  RUNS=$1; shift
  BEST=""
  for _ in $(seq "$RUNS"); do
    START=$(date +%s%N)
    sh -c "$*"
    END=$(date +%s%N)
    MS=$(( (END - START) / 1000000 ))
    if [ -z "$BEST" ] || [ "$MS" -lt "$BEST" ]; then BEST=$MS; fi
  done
  echo "$BEST"
}

# cp writes over an earlier copy, so it too frees the old blocks, as a
# copying save does when its rename replaces the video.
COPY="$DATA/cp-copy.wmv"
cp "$DATA/save-2048MiB.wmv" "$COPY"
CP4=$(best_ms 10 "cp '$DATA/save-4MiB.wmv' '$COPY'")
CPS4=$(best_ms 10 "cp '$DATA/save-4MiB.wmv' '$COPY' && sync '$COPY'")
CP2G=$(best_ms 3 "cp '$DATA/save-2048MiB.wmv' '$COPY'")
CPS2G=$(best_ms 3 "cp '$DATA/save-2048MiB.wmv' '$COPY' && sync '$COPY'")
rm -f "$COPY"

PEAK=$(/usr/bin/time -v "$BENCH" --benchmark_filter='BM_SaveCopy/2048' 2>&1 >/dev/null |
  sed -n 's/.*Maximum resident set size (kbytes): //p')

/usr/bin/python3 - "$DATA/save.json" "$CP4" "$CPS4" "$CP2G" "$CPS2G" "$PEAK" <<'PY'
import json, sys
runs = {b["name"]: b["real_time"] for b in json.load(open(sys.argv[1]))["benchmarks"]}
def ms(name):
    for key, value in runs.items():
        if key.startswith(name):
            return value
    return float("nan")
cp4, cps4, cp2g, cps2g = (float(v) for v in sys.argv[2:6])
rows = [
    ("in place 4 MiB (ms)", ms("BM_SaveInPlace/4")),
    ("in place 2 GiB (ms)", ms("BM_SaveInPlace/2048")),
    ("insert 4 MiB (ms)", ms("BM_SaveInsert/4")),
    ("insert 2 GiB (ms)", ms("BM_SaveInsert/2048")),
    ("copy 4 MiB (ms)", ms("BM_SaveCopy/4")),
    ("copy 2 GiB (ms)", ms("BM_SaveCopy/2048")),
    ("cp 4 MiB (ms)", cp4), ("cp + sync 4 MiB (ms)", cps4),
    ("cp 2 GiB (ms)", cp2g), ("cp + sync 2 GiB (ms)", cps2g),
]
for label, value in rows:
    print(f"{label:28s} {value:10.2f}")
print()
print(f"in place 2 GiB / 4 MiB        {ms('BM_SaveInPlace/2048') / ms('BM_SaveInPlace/4'):6.2f}  (goal <= 1.5)")
print(f"insert / in place, 2 GiB      {ms('BM_SaveInsert/2048') / ms('BM_SaveInPlace/2048'):6.2f}  (goal <= 2)")
print(f"copy / cp, 2 GiB              {ms('BM_SaveCopy/2048') / cp2g:6.2f}  (goal <= 1.3)")
print(f"copy / (cp + sync), 2 GiB     {ms('BM_SaveCopy/2048') / cps2g:6.2f}  (both sync the copy)")
print(f"peak memory, copying 2 GiB    {int(sys.argv[6]) / 1024:6.1f} MiB")
PY
