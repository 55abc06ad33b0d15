#!/bin/sh
# Times the three ways of saving a header (BenchSave) against cp of the same
# videos and prints the ratios, then the peak memory of a copying save of the
# 2 GiB video. The 2 GiB copies, ours and cp's, take turns, five rounds, each
# started with nothing left to write back, the video out of the page cache
# (as a video not played lately is) and the memory a copy fills touched
# just before; their figures are medians.
#   bench/compare_save.sh [BUILD_DIR]   (configured with -DQUILLMARK_BENCH=ON)
set -e
BUILD_DIR="$(cd "${1:-build}" && pwd)"
BENCH="$BUILD_DIR/bench/BenchSave"
DATA="$BUILD_DIR/bench-data"
export QUILLMARK_BENCH_DIR="$DATA"
mkdir -p "$DATA"
[ -x "$BENCH" ] || { echo "build BenchSave first (-DQUILLMARK_BENCH=ON)" >&2; exit 1; }

"$BENCH" --benchmark_filter='BM_SaveInPlace|BM_SaveInsert|BM_SaveCopy/4$' \
  --benchmark_out="$DATA/save.json" --benchmark_out_format=json

# Touches three times the video's size of memory and gives it back: on a VM
# that returns free memory to its host, memory no one touched lately is
# several times slower to fill (see WarmMemory in BenchSave.cpp).
warm_memory() {
  /usr/bin/python3 -c 'import mmap, sys
n = 3 * int(sys.argv[1]); m = mmap.mmap(-1, n)
for at in range(0, n, 4096): m[at] = 1
m.close()' "$(stat -c %s "$1")"
}

# Milliseconds of one run of a command on the video SOURCE, cold.
cold_ms() {
  SOURCE=$1; shift
  sync
  dd if="$SOURCE" iflag=nocache count=0 status=none
  warm_memory "$SOURCE"
  START=$(date +%s%N)
  sh -c "$*"
  END=$(date +%s%N)
  echo $(( (END - START) / 1000000 ))
}

# cp writes over an earlier copy, so it too frees the old blocks, as a
# copying save does when its rename replaces the video.
# cp copies the very video the copying save copies.
SMALL="$DATA/save-4MiB.wmv"
BIG="$DATA/copy-2048MiB.wmv"
[ -f "$BIG" ] || "$BENCH" --benchmark_filter='BM_SaveCopy/2048' > /dev/null
COPY="$DATA/cp-copy.wmv"
COPY4="$DATA/cp-copy-4MiB.wmv"
cp "$BIG" "$COPY"
cp "$SMALL" "$COPY4"
: > "$DATA/rounds.txt"
for _ in 1 2 3 4 5; do
  "$BENCH" --benchmark_filter='BM_SaveCopy/2048' --benchmark_format=json > "$DATA/copy.json"
  OURS=$(/usr/bin/python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["benchmarks"][0]["real_time"])' \
    "$DATA/copy.json")
  CP4=$(cold_ms "$SMALL" "cp '$SMALL' '$COPY4'")
  CPS4=$(cold_ms "$SMALL" "cp '$SMALL' '$COPY4' && sync '$COPY4'")
  CP=$(cold_ms "$BIG" "cp '$BIG' '$COPY'")
  CPS=$(cold_ms "$BIG" "cp '$BIG' '$COPY' && sync '$COPY'")
  echo "$OURS $CP $CPS $CP4 $CPS4" >> "$DATA/rounds.txt"
done
rm -f "$COPY" "$COPY4"

# Peak memory of a copying save of the video as made, with its small header
# (each copy above grew the header by the padding it leaves).
rm -f "$DATA/copy-2048MiB.wmv"
PEAK=$(QUILLMARK_BENCH_NO_WARM=1 /usr/bin/time -v "$BENCH" --benchmark_filter='BM_SaveCopy/2048' 2>&1 >/dev/null |
  sed -n 's/.*Maximum resident set size (kbytes): //p')

/usr/bin/python3 - "$DATA/save.json" "$DATA/rounds.txt" "$PEAK" <<'PY'
import json, statistics, sys
runs = {b["name"]: b["real_time"] for b in json.load(open(sys.argv[1]))["benchmarks"]}
def ms(name):
    return next((v for k, v in runs.items() if k.startswith(name)), float("nan"))
rounds = [[float(v) for v in line.split()] for line in open(sys.argv[2]) if line.strip()]
copy2g, cp2g, cps2g, cp4, cps4 = (statistics.median(col) for col in zip(*rounds))
rows = [
    ("in place 4 MiB (ms)", ms("BM_SaveInPlace/4")),
    ("in place 2 GiB (ms)", ms("BM_SaveInPlace/2048")),
    ("insert 4 MiB (ms)", ms("BM_SaveInsert/4")),
    ("insert 2 GiB (ms)", ms("BM_SaveInsert/2048")),
    ("copy 4 MiB (ms)", ms("BM_SaveCopy/4")),
    ("copy 2 GiB (ms)", copy2g),
    ("cp 4 MiB (ms)", cp4), ("cp + sync 4 MiB (ms)", cps4),
    ("cp 2 GiB (ms)", cp2g), ("cp + sync 2 GiB (ms)", cps2g),
]
for label, value in rows:
    print(f"{label:28s} {value:10.2f}")
print("2 GiB rounds (copy, cp, cp + sync):", "; ".join(f"{r[0]:.0f} {r[1]:.0f} {r[2]:.0f}" for r in rounds))
print()
print(f"in place 2 GiB / 4 MiB        {ms('BM_SaveInPlace/2048') / ms('BM_SaveInPlace/4'):6.2f}  (goal <= 1.5)")
print(f"insert / in place, 2 GiB      {ms('BM_SaveInsert/2048') / ms('BM_SaveInPlace/2048'):6.2f}  (goal <= 2)")
print(f"copy / cp, 2 GiB              {copy2g / cp2g:6.2f}  (goal <= 1.3)")
print(f"copy / (cp + sync), 2 GiB     {copy2g / cps2g:6.2f}  (both sync the copy)")
print(f"peak memory, copying 2 GiB    {int(sys.argv[3]) / 1024:6.1f} MiB")
PY
