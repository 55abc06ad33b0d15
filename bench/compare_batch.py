#!/usr/bin/python3
"""A batch of small edits in place: one `quillmark-tag set` over a folder of
200 small .wmv files against mutagen's unsynced loop over the same files in
one Python process, side by side, and the sync calls quillmark-tag makes for
100 such edits (counted with strace), with the other system calls per file.
Beside the whole process it prints the run less quillmark-tag's start-up
(`quillmark-tag --version`, timed in the same rounds), and what creating and
removing one small hidden file beside each video costs on that file system
(a journal is one such file per save), so that the edits' own cost can be
told from the process's and the file system's. That cost differs widely:
ext4 without its journal passes over every recently freed inode one by one
when it makes a file, and mounted with `discard` it waits for the disk at
every removal; --data on another file system (a loop-mounted ext4 image,
tmpfs) shows the edits on their own.

    /usr/bin/python3 bench/compare_batch.py [BUILD_DIR] [--files N] [--rounds N]
        [--data DIR] [--baseline OTHER_QUILLMARK_TAG]

BUILD_DIR holds src/app/quillmark-tag (a Release build gives the fair
figures). Needs Debian's python3-mutagen (/usr/bin/python3), ffmpeg and
strace. The files live in BUILD_DIR/bench-data/batch, on the build's file
system, or in DIR/batch. --baseline times another quillmark-tag binary (an
earlier build) in the same rounds. Each round edits every file once with each tool, in turns, each
started after a sync so that neither waits for the other's writes; the
figures are medians. The first edit of each file makes room in its header,
so every timed edit is a save in place: a title of the same length, which
changes one sector of each header and needs no journal, and apart, on a
second folder, titles 300 characters longer or shorter in turn, whose saves
share one journal file; mutagen makes the same kind of edit there too.
"""
import argparse
import os
import re
import resource
import shutil
import statistics
import subprocess
import sys
import time

import mutagen.asf

FFMPEG = ["ffmpeg", "-loglevel", "error", "-y"]


def make_files(data, count, name="batch"):
    source = os.path.join(data, "batch-source.wmv")
    if not os.path.exists(source):
        subprocess.run(FFMPEG + ["-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=2",
                                 "-c:v", "wmv2", "-b:v", "1000k", source], check=True)
    folder = os.path.join(data, name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    files = []
    for index in range(count):
        path = os.path.join(folder, f"clip{index:04d}.wmv")
        shutil.copyfile(source, path)
        files.append(path)
    return folder, files


def tag_set(tool, title, paths):
    subprocess.run([tool, "set", "--title", title] + paths, check=True)


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


# Each timing is (wall seconds, CPU seconds): on a busy machine the wall
# time is mostly waiting for the processor and the disk, the CPU time not.
def time_ours(tool, paths, title):
    start, cpu = time.perf_counter(), children_cpu()
    tag_set(tool, title, paths)
    return time.perf_counter() - start, children_cpu() - cpu


def time_mutagen(files, title):
    start, cpu = time.perf_counter(), time.process_time()
    for path in files:
        tags = mutagen.asf.ASF(path)
        tags["Title"] = [title]
        tags.save()
    return time.perf_counter() - start, time.process_time() - cpu


def median_ms(runs, which):
    return statistics.median(run[which] for run in runs) * 1000


def count_calls(command, trace=None):
    """System calls the command makes, counted by strace; trace narrows them."""
    out = subprocess.run(["strace", "-f", "-c"] + (["-e", "trace=" + trace] if trace else []) + command,
                         check=True, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL, text=True).stderr
    calls = 0
    for line in out.splitlines():
        match = re.match(r"\s*[\d.]+\s+[\d.]+\s+\d+\s+(\d+)\s+(?:\d+\s+)?(\w+)$", line)
        if match and match.group(2) != "total":
            calls += int(match.group(1))
    return calls


def count_syncs(tool, files, title="Counted"):
    return count_calls([tool, "set", "--title", title] + files,
                       "fsync,fdatasync,syncfs,sync,sync_file_range")


# Titles of three lengths, 300 characters apart, in turn: each is longer or
# shorter than the one before, which moves the objects after it over more
# than a sector, so every save writes a journal, whichever tool made the
# save before.
def journaled_title(index):
    return f"Title {index:02d}" + "+" * (300 * (index % 3))


def calls_per_file(tool, files):
    edits = count_calls([tool, "set", "--title", "Per file"] + files)
    return (edits - count_calls([tool, "--version"])) / len(files)


def time_startup(tool):
    start, cpu = time.perf_counter(), children_cpu()
    subprocess.run([tool, "--version"], check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start, children_cpu() - cpu


# A small hidden file made, written and removed beside each video, as a
# journal is: what the file system asks of any save that keeps one.
def time_side_files(files):
    block = bytes(1400)
    start, cpu = time.perf_counter(), time.process_time()
    names = [os.path.join(os.path.dirname(path), "." + os.path.basename(path) + ".side") for path in files]
    for name in names:
        fd = os.open(name, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
        os.write(fd, block)
        os.close(fd)
    for name in names:
        os.unlink(name)
    return time.perf_counter() - start, time.process_time() - cpu


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("--files", type=int, default=200)
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--data")
    parser.add_argument("--baseline")
    args = parser.parse_args()
    tool = os.path.join(os.path.abspath(args.build), "src", "app", "quillmark-tag")
    if not os.access(tool, os.X_OK):
        sys.exit(f"build quillmark-tag first: {tool}")
    data = args.data or os.path.join(os.path.abspath(args.build), "bench-data")
    os.makedirs(data, exist_ok=True)
    folder, files = make_files(data, args.files)
    # Room in every header first, by each tool, so that the timed edits of
    # both are saves in place of a title of the same length.
    time_mutagen(files, "Title 00")
    tag_set(tool, "Title 00", [folder])

    syncs = count_syncs(tool, files[:100])
    calls = calls_per_file(tool, files[:100])
    # The same edits made as saves that each change more than one sector.
    jfolder, jfiles = make_files(data, args.files, "batch-journaled")
    tag_set(tool, journaled_title(0), [jfolder])
    jsyncs = count_syncs(tool, jfiles[:100], journaled_title(1))
    ours, theirs, before, startup, before_startup, sides, journaled = [], [], [], [], [], [], []
    theirs_journaled = []
    for round_index in range(args.rounds):
        title = f"Title {round_index + 1:02d}"
        # Each run starts with nothing left to write back: a sync of ours
        # must not pay for the other tool's writes.
        os.sync()
        ours.append(time_ours(tool, [folder], title))
        os.sync()
        journaled.append(time_ours(tool, [jfolder], journaled_title(2 * round_index + 2)))
        os.sync()
        # mutagen making the same edits: a title 300 characters longer or
        # shorter than the one quillmark-tag has just written.
        theirs_journaled.append(time_mutagen(jfiles, journaled_title(2 * round_index + 3)))
        startup.append(time_startup(tool))
        os.sync()
        theirs.append(time_mutagen(files, title))
        if args.baseline:
            os.sync()
            # An earlier build may not take folders: the files are named.
            # A title of its own, or it would find every header saved already.
            before.append(time_ours(args.baseline, files, title.replace("Title", "Other")))
            before_startup.append(time_startup(args.baseline))
        os.sync()
        sides.append(time_side_files(files))
    def row(label, runs, which):
        print(f"{label:<46}{median_ms(runs, which):>10.1f}")

    print(f"{'files':<46}{args.files:>10}")
    row("quillmark-tag set, whole process, wall (ms)", ours, 0)
    row("mutagen loop, unsynced, in-process, wall (ms)", theirs, 0)
    print(f"{'ratio quillmark-tag / mutagen, wall':<46}{median_ms(ours, 0) / median_ms(theirs, 0):>10.2f}")
    row("quillmark-tag set, CPU (ms)", ours, 1)
    row("mutagen loop, CPU (ms)", theirs, 1)
    print(f"{'ratio quillmark-tag / mutagen, CPU':<46}{median_ms(ours, 1) / median_ms(theirs, 1):>10.2f}")
    net = [(run[0] - up[0], run[1] - up[1]) for run, up in zip(ours, startup)]
    row("quillmark-tag start-up (--version), CPU (ms)", startup, 1)
    row("quillmark-tag set less its start-up, wall (ms)", net, 0)
    row("quillmark-tag set less its start-up, CPU (ms)", net, 1)
    print(f"{'ratio less start-up / mutagen, CPU':<46}{median_ms(net, 1) / median_ms(theirs, 1):>10.2f}")
    print(f"{'per file less start-up, CPU (us)':<46}{median_ms(net, 1) * 1000 / args.files:>10.0f}")
    row("a side file made and removed per video, CPU (ms)", sides, 1)
    print(f"{'sync calls of quillmark-tag, 100 edits':<46}{syncs:>10}")
    row("quillmark-tag set, edits over sectors, wall (ms)", journaled, 0)
    print(f"{'ratio edits over sectors / mutagen, wall':<46}{median_ms(journaled, 0) / median_ms(theirs, 0):>10.2f}")
    row("mutagen loop, the same edits over sectors, wall (ms)", theirs_journaled, 0)
    print(f"{'ratio over sectors / mutagen the same, wall':<46}"
          f"{median_ms(journaled, 0) / median_ms(theirs_journaled, 0):>10.2f}")
    row("quillmark-tag set, edits over sectors, CPU (ms)", journaled, 1)
    print(f"{'sync calls, 100 edits over sectors':<46}{jsyncs:>10}")
    print(f"{'system calls per edit, less start-up':<46}{calls:>10.1f}")
    if args.baseline:
        row("baseline quillmark-tag set, wall (ms)", before, 0)
        print(f"{'ratio baseline / mutagen, wall':<46}{median_ms(before, 0) / median_ms(theirs, 0):>10.2f}")
        row("baseline quillmark-tag set, CPU (ms)", before, 1)
        before_net = [(run[0] - up[0], run[1] - up[1]) for run, up in zip(before, before_startup)]
        row("baseline set less its start-up, CPU (ms)", before_net, 1)
        print(f"{'baseline per file less start-up, CPU (us)':<46}{median_ms(before_net, 1) * 1000 / args.files:>10.0f}")
        print(f"{'sync calls of the baseline, 100 edits':<46}{count_syncs(args.baseline, files[:100]):>10}")
        print(f"{'baseline system calls per edit, less start-up':<46}{calls_per_file(args.baseline, files[:100]):>10.1f}")
    print(f"{'load average at the end':<46}{os.getloadavg()[0]:>10.2f}")
    shutil.rmtree(folder, ignore_errors=True)
    shutil.rmtree(jfolder, ignore_errors=True)


if __name__ == "__main__":
    main()
