#!/usr/bin/python3
"""A whole collection tagged by one command: the first tagging, where every
header grows, and a second tagging in place, by `quillmark-tag set --title X
-r DIR` against mutagen's unsynced loop over a copy of the same files in one
Python process (`ASF(f); f['Title'] = X; save()`), side by side. Prints wall
and CPU time, peak memory, and the sync calls per 100 files (strace, on a
folder of 100), and `show --json` and `dump --json` over the collection:
their time to the first byte out and in all. The load average is printed
beside the figures: the machine may be shared.

    /usr/bin/python3 bench/compare_collection.py [BUILD_DIR] [--files N]
        [--folders N] [--data DIR] [--cold]

The collection is made here: small real WMV files (160 x 120, 0.4 s, made
by ffmpeg, no padding in their headers) in N folders. --cold drops the page
cache (as root) before each run. BUILD_DIR holds src/app/quillmark-tag (a
Release build gives the fair figures). Needs python3-mutagen
(/usr/bin/python3), ffmpeg and strace.
"""
import argparse
import os
import shutil
import subprocess
import sys
import time

import mutagen.asf


def make_collection(data, files, folders):
    source = os.path.join(data, "collection-source.wmv")
    if not os.path.exists(source):
        subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                        "testsrc=duration=0.4:size=160x120:rate=25", "-c:v", "wmv2", source], check=True)
    with open(source, "rb") as handle:
        body = handle.read()
    for name in ("ours", "mutagen"):
        root = os.path.join(data, name)
        shutil.rmtree(root, ignore_errors=True)
        for index in range(files):
            folder = os.path.join(root, f"folder{index % folders:03d}")
            if index < folders:
                os.makedirs(folder)
            with open(os.path.join(folder, f"clip{index:06d}.wmv"), "wb") as handle:
                handle.write(body)
    return os.path.join(data, "ours"), os.path.join(data, "mutagen")


def drop_caches(cold):
    subprocess.run(["sync"], check=True)
    if cold:
        with open("/proc/sys/vm/drop_caches", "w") as handle:
            handle.write("3\n")


def timed(command, cold):
    """Wall, CPU and peak memory (MB) of one command, as /usr/bin/time sees them."""
    drop_caches(cold)
    start = time.monotonic()
    result = subprocess.run(["/usr/bin/time", "-f", "%U %S %M"] + command, check=True,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    wall = time.monotonic() - start
    user, system, peak = result.stderr.strip().splitlines()[-1].split()
    return wall, float(user) + float(system), int(peak) / 1024


MUTAGEN_LOOP = """
import os, sys, mutagen.asf
for root, folders, files in os.walk(sys.argv[1]):
    folders.sort()
    for name in sorted(files):
        tags = mutagen.asf.ASF(os.path.join(root, name))
        tags['Title'] = sys.argv[2]
        tags.save()
"""


def first_byte(command, cold):
    """Seconds until a command's first byte of output, and until its end."""
    drop_caches(cold)
    start = time.monotonic()
    with subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL) as process:
        process.stdout.read(1)
        first = time.monotonic() - start
        while process.stdout.read(1 << 20):
            pass
    return first, time.monotonic() - start


def load_average():
    return " ".join(f"{value:.2f}" for value in os.getloadavg())


def syncs_per_100(tool, folder, title):
    """Sync calls of one `set` over a folder of 100 files."""
    out = subprocess.run(["strace", "-f", "-c", "-e", "trace=fsync,fdatasync,syncfs,sync,msync",
                          tool, "set", "--title", title, folder],
                         check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True).stderr
    total = [line for line in out.splitlines() if line.strip().endswith("total")]
    return int(total[0].split()[3]) if total else 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("--files", type=int, default=100_000)
    parser.add_argument("--folders", type=int, default=100)
    parser.add_argument("--data")
    parser.add_argument("--cold", action="store_true")
    args = parser.parse_args()
    tool = os.path.join(args.build, "src", "app", "quillmark-tag")
    data = args.data or os.path.join(args.build, "bench-data")
    os.makedirs(data, exist_ok=True)
    ours, theirs = make_collection(data, args.files, args.folders)
    loop = os.path.join(data, "mutagen_loop.py")
    with open(loop, "w") as handle:
        handle.write(MUTAGEN_LOOP)
    print(f"{args.files} files in {args.folders} folders, {'cold' if args.cold else 'hot'} cache, "
          f"load average {load_average()}")
    print(f"{'run':<28}{'wall s':>9}{'cpu s':>9}{'peak MB':>9}")
    for label, title in (("first tagging (grows)", "Scale test A"), ("again (in place)", "Scale test B")):
        mine = timed([tool, "set", "--title", title, "-r", ours], args.cold)
        peer = timed(["/usr/bin/python3", loop, theirs, title], args.cold)
        print(f"{'quillmark-tag ' + label:<28}{mine[0]:9.2f}{mine[1]:9.2f}{mine[2]:9.1f}")
        print(f"{'mutagen ' + label:<28}{peer[0]:9.2f}{peer[1]:9.2f}{peer[2]:9.1f}")
    for command in ("show", "dump"):
        listed = timed([tool, command, "--json", "-r", ours], args.cold)
        print(f"{'quillmark-tag ' + command + ' --json':<28}{listed[0]:9.2f}{listed[1]:9.2f}{listed[2]:9.1f}")
        first, whole = first_byte([tool, command, "--json", "-r", ours], args.cold)
        print(f"  {command} --json: first byte after {first:.3f} s, all after {whole:.2f} s")
    sample = os.path.join(data, "sample100")
    shutil.rmtree(sample, ignore_errors=True)
    os.makedirs(sample)
    source = os.path.join(data, "collection-source.wmv")
    for index in range(100):
        shutil.copyfile(source, os.path.join(sample, f"clip{index:03d}.wmv"))
    print(f"syncs per 100 files: first tagging {syncs_per_100(tool, sample, 'Grow')}, "
          f"again {syncs_per_100(tool, sample, 'Same')}")
    print(f"load average after: {load_average()}")


if __name__ == "__main__":
    sys.exit(main())
