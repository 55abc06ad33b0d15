#!/usr/bin/python3
"""The memory of one `quillmark-tag set` over a folder of videos that carry
large title posters, against mutagen's loop over the same files in one
Python process: each tool's peak resident size, side by side. A group of
saves holds every header of the group several times over while it is saved,
so the group ends once its pictures pass a budget; this shows what that
costs in memory against a tool that holds one file at a time.

    /usr/bin/python3 bench/batch_memory.py [BUILD_DIR] [--files N] [--poster-mib M]

BUILD_DIR holds src/app/quillmark-tag. Needs Debian's python3-mutagen
(/usr/bin/python3) and ffmpeg. The files live in BUILD_DIR/bench-data.
"""
import argparse
import os
import shutil
import subprocess
import sys

FFMPEG = ["ffmpeg", "-loglevel", "error", "-y"]

MUTAGEN_LOOP = ("import mutagen.asf, sys\n"
                "for path in sys.argv[2:]:\n"
                "    f = mutagen.asf.ASF(path); f['Title'] = [sys.argv[1]]; f.save()\n")


def make_poster(path, mib):
    """A JPEG of about the size asked, noise being what JPEG cannot shrink."""
    side = 512
    while True:
        subprocess.run(FFMPEG + ["-f", "lavfi", "-i", f"nullsrc=s={side}x{side},geq=random(1)*255:128:128",
                                 "-frames:v", "1", "-q:v", "1", path], check=True)
        if os.path.getsize(path) >= mib * 1024 * 1024 or side >= 8192:
            return
        side *= 2


def peak_kib(command):
    """Peak resident size of the command, in KiB, from GNU time."""
    out = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, check=True,
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True).stderr
    return int(out.strip().splitlines()[-1])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("--files", type=int, default=60)
    parser.add_argument("--poster-mib", type=float, default=1.0)
    args = parser.parse_args()
    tool = os.path.join(os.path.abspath(args.build), "src", "app", "quillmark-tag")
    if not os.access(tool, os.X_OK):
        sys.exit(f"build quillmark-tag first: {tool}")
    data = os.path.join(os.path.abspath(args.build), "bench-data")
    os.makedirs(data, exist_ok=True)
    source = os.path.join(data, "memory-source.wmv")
    subprocess.run(FFMPEG + ["-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=1",
                             "-c:v", "wmv2", source], check=True)
    poster = os.path.join(data, "memory-poster.jpg")
    make_poster(poster, args.poster_mib)
    folder = os.path.join(data, "memory")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    files = []
    for index in range(args.files):
        path = os.path.join(folder, f"clip{index:04d}.wmv")
        shutil.copyfile(source, path)
        files.append(path)
    subprocess.run([tool, "set", "--poster", poster, folder], check=True)
    # Room for the titles first, so that both tools save in place.
    subprocess.run([tool, "set", "--title", "Title 00", folder], check=True)
    ours = peak_kib([tool, "set", "--title", "Title 01", folder])
    theirs = peak_kib(["/usr/bin/python3", "-c", MUTAGEN_LOOP, "Title 02"] + files)
    print(f"{'files':<44}{args.files:>10}")
    print(f"{'poster (KiB)':<44}{os.path.getsize(poster) // 1024:>10}")
    print(f"{'quillmark-tag set, peak resident (KiB)':<44}{ours:>10}")
    print(f"{'mutagen loop, peak resident (KiB)':<44}{theirs:>10}")
    print(f"{'ratio quillmark-tag / mutagen':<44}{ours / theirs:>10.2f}")
    shutil.rmtree(folder, ignore_errors=True)
    for path in (source, poster):
        os.remove(path)


if __name__ == "__main__":
    main()
