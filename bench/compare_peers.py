#!/usr/bin/python3
"""Side by side, in one run: the same title edit and the same catalogue read
by quillmark-tag, mutagen and ffmpeg on real .wmv files of about 4 MiB and
2 GiB made with ffmpeg (the edit as one sector of the header, and as a title
of another length each time, whose save writes a journal); then the library's own save (BenchEdit) against
mutagen's save inside one Python process; then a first edit of a file with
no room in its header, against mutagen and against cp of the file.

    /usr/bin/python3 bench/compare_peers.py [BUILD_DIR] [--big-mib N] [--runs N]

BUILD_DIR is configured with -DQUILLMARK_BENCH=ON and built. Debian's
python3-mutagen is needed (/usr/bin/python3), and ffmpeg. Each whole-process
figure is the median of interleaved runs, so a busy moment of the machine
hits every tool alike; the batch figures take turns in blocks of ten runs
back to back, as a script tagging a folder starts the tools.
"""
import argparse
import json
import math
import os
import shutil
import statistics
import subprocess
import sys
import time

import mutagen.asf

FFMPEG = ["ffmpeg", "-loglevel", "error", "-y"]


def make_videos(data, big_mib):
    small = os.path.join(data, "peers-4MiB.wmv")
    if not os.path.exists(small):
        subprocess.run(FFMPEG + ["-f", "lavfi", "-i", "testsrc2=size=640x480:rate=25:duration=5",
                                 "-c:v", "wmv2", "-b:v", "6500k", small], check=True)
    big = os.path.join(data, f"peers-{big_mib}MiB.wmv")
    if not os.path.exists(big):
        loops = math.ceil(big_mib * 2**20 / os.path.getsize(small)) - 1
        subprocess.run(FFMPEG + ["-stream_loop", str(loops), "-i", small, "-map", "0", "-c", "copy", big],
                       check=True)
    return [small, big]


def copy(source, target):
    shutil.copyfile(source, target)
    os.sync()


def evict(path):
    """Drops a synced file from the page cache, as a video not played lately
    is: a first edit then finds it on disk, not in memory."""
    fd = os.open(path, os.O_RDONLY)
    os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
    os.close(fd)


def run_ms(command):
    """Wall milliseconds of one run. posix_spawn with output to /dev/null
    costs the harness far less than subprocess.run (no pipes, no fork of
    the Python process), which would otherwise blur a 2 ms tool."""
    path = shutil.which(command[0])
    actions = [(os.POSIX_SPAWN_OPEN, fd, os.devnull, os.O_WRONLY, 0) for fd in (1, 2)]
    start = time.perf_counter_ns()
    pid = os.posix_spawn(path, command, os.environ, file_actions=actions)
    _, status = os.waitpid(pid, 0)
    elapsed = (time.perf_counter_ns() - start) / 1e6
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{' '.join(command)} failed")
    return elapsed


def interleaved(commands, runs):
    """Median milliseconds of each named command; each gets the round number."""
    times = {name: [] for name in commands}
    for round_number in range(runs):
        for name, make in commands.items():
            times[name].append(run_ms(make(round_number)))
    return {name: statistics.median(values) for name, values in times.items()}


def batched(commands, runs, size=10):
    """As a script tagging a folder runs a tool: blocks of size runs of one
    command back to back, the commands taking turns block by block; the
    median of every run. Run after a pause, a tool pays for the machine
    coming back from it (here 0.35-0.5 ms, a run that writes nothing too), which a
    batch pays once per block."""
    times = {name: [] for name in commands}
    for block in range(max(1, runs // size)):
        for name, make in commands.items():
            for step in range(size):
                times[name].append(run_ms(make(block * size + step)))
    return {name: statistics.median(values) for name, values in times.items()}


MUTAGEN_SET = ("import mutagen.asf, sys\n"
               "f = mutagen.asf.ASF(sys.argv[1]); f['Title'] = [sys.argv[2]]; f.save()")
MUTAGEN_GET = ("import mutagen.asf, sys\n"
               "f = mutagen.asf.ASF(sys.argv[1]); print(len(f.tags))")


def whole_process(tag, video, label, runs, data):
    """The in-place edit and the read, each tool on its own copy with room."""
    roomy = os.path.join(data, f"roomy-{label}.wmv")
    copy(video, roomy)
    subprocess.run([tag, "set", "--title", "Start0", roomy], check=True)  # leaves padding
    ours, theirs, spanning = (os.path.join(data, f"work-{who}-{label}.wmv")
                              for who in ("ours", "mutagen", "spanning"))
    for path in (ours, theirs, spanning):
        copy(roomy, path)
    title = lambda n: f"Bench{n % 10}"
    # A title of another length each time moves the objects after it, so
    # the change spans sectors and the save writes its journal; the same
    # length changes one sector, which needs none.
    other_length = lambda n: f"Bench{n % 10}" + "+" * (n % 2)
    figures = interleaved({
        "ours set": lambda n: [tag, "set", "--title", title(n), ours],
        "ours set, journaled": lambda n: [tag, "set", "--title", other_length(n), spanning],
        "mutagen save": lambda n: ["/usr/bin/python3", "-c", MUTAGEN_SET, theirs, title(n)],
        "ours show": lambda n: [tag, "show", ours],
        "mutagen read": lambda n: ["/usr/bin/python3", "-c", MUTAGEN_GET, theirs],
    }, runs)
    batch = batched({
        "ours set, batch": lambda n: [tag, "set", "--title", title(n), ours],
        "mutagen save, batch": lambda n: ["/usr/bin/python3", "-c", MUTAGEN_SET, theirs, title(n)],
    }, runs)
    figures.update(batch)
    remux = os.path.join(data, f"remux-{label}.wmv")
    figures["ffmpeg remux"] = interleaved({"ffmpeg remux": lambda n: FFMPEG + [
        "-i", roomy, "-map", "0", "-c", "copy", "-metadata", f"title={title(n)}", remux]},
        max(2, runs // 10))["ffmpeg remux"]
    ok = mutagen.asf.ASF(ours).tags["Title"][0].value.startswith("Bench")
    for path in (roomy, theirs, remux, spanning):
        os.remove(path)
    return figures, ours, ok


def mutagen_in_process(video, rounds, durable=False):
    """mutagen's save does not sync; durable adds the one fdatasync that
    the least crash-safe in-place write would need, for comparison."""
    times = []
    for n in range(rounds):
        start = time.perf_counter_ns()
        f = mutagen.asf.ASF(video)
        f["Title"] = [f"Bench{n % 10}"]
        f.save()
        if durable:
            fd = os.open(video, os.O_RDWR)
            os.fdatasync(fd)
            os.close(fd)
        times.append((time.perf_counter_ns() - start) / 1e6)
    return statistics.median(times)


def library_in_process(build, videos):
    out = subprocess.run([os.path.join(build, "bench", "BenchEdit"), *videos, "--benchmark_format=json"],
                         check=True, capture_output=True, text=True).stdout
    return {b["name"].split("/", 1)[1]: b["real_time"] for b in json.loads(out)["benchmarks"]}


def first_edit(tag, video, label, data, runs=3):
    """A header with no room: we insert blocks, mutagen moves the media.
    Every tool starts with the video out of the page cache."""
    work = os.path.join(data, f"fresh-{label}.wmv")
    other = os.path.join(data, f"cp-{label}.wmv")
    commands = {
        "ours first set": [tag, "set", "--title", "A longer title than the file had room for", work],
        "mutagen first save": ["/usr/bin/python3", "-c", MUTAGEN_SET, work,
                               "A longer title than the file had room for"],
        "cp + sync": ["sh", "-c", f"cp '{video}' '{other}' && sync '{other}'"],
    }
    times = {name: [] for name in commands}
    for _ in range(runs):
        for name, command in commands.items():
            copy(video, work)
            evict(work)
            evict(video)
            times[name].append(run_ms(command))
    for path in (work, other):
        if os.path.exists(path):
            os.remove(path)
    return {name: statistics.median(values) for name, values in times.items()}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("--big-mib", type=int, default=2048)
    parser.add_argument("--runs", type=int, default=30)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    tag = os.path.join(build, "src", "app", "quillmark-tag")
    data = os.path.join(build, "bench-data")
    os.makedirs(data, exist_ok=True)
    small, big = make_videos(data, args.big_mib)
    labels = {small: "4 MiB", big: f"{args.big_mib // 1024} GiB" if args.big_mib >= 1024 else f"{args.big_mib} MiB"}

    rows = {}
    works = []
    for video in (small, big):
        figures, work, ok = whole_process(tag, video, os.path.basename(video)[6:-4], args.runs, data)
        if not ok:
            sys.exit("our edit did not read back through mutagen")
        rows[labels[video]] = figures
        works.append(work)
    library = library_in_process(build, works)
    for video, work in zip((small, big), works):
        rows[labels[video]]["ours in-process"] = library[os.path.basename(work)]
        rows[labels[video]]["mutagen in-process"] = mutagen_in_process(work, 20)
        rows[labels[video]]["mutagen + fdatasync"] = mutagen_in_process(work, 20, durable=True)
    firsts = {labels[v]: first_edit(tag, v, os.path.basename(v)[6:-4], data) for v in (small, big)}
    for work in works:
        os.remove(work)

    print("milliseconds (median)        " + "".join(f"{label:>14s}" for label in rows))
    for name in next(iter(rows.values())):
        print(f"{name:28s} " + "".join(f"{rows[label][name]:14.2f}" for label in rows))
    for name in next(iter(firsts.values())):
        print(f"{name:28s} " + "".join(f"{firsts[label][name]:14.2f}" for label in firsts))
    print()
    for label, r in rows.items():
        f = firsts[label]
        print(f"{label}: in-place edit, whole process: mutagen / ours {r['mutagen save'] / r['ours set']:6.1f}x"
              f"   ffmpeg / ours {r['ffmpeg remux'] / r['ours set']:7.1f}x")
        print(f"{label}: in-place edit, batch:          mutagen / ours"
              f" {r['mutagen save, batch'] / r['ours set, batch']:6.1f}x")
        print(f"{label}: in-place edit, in-process:    mutagen / ours"
              f" {r['mutagen in-process'] / r['ours in-process']:6.1f}x   (mutagen + fdatasync) / ours"
              f" {r['mutagen + fdatasync'] / r['ours in-process']:5.1f}x")
        print(f"{label}: reading the catalogue:         mutagen / ours {r['mutagen read'] / r['ours show']:6.1f}x")
        print(f"{label}: first edit (no room):          mutagen / ours"
              f" {f['mutagen first save'] / f['ours first set']:6.1f}x   (cp + sync) / ours"
              f" {f['cp + sync'] / f['ours first set']:7.1f}x")
    print()
    # A tool started once per file: its whole process against mutagen's.
    for label, r in rows.items():
        for what, ours, theirs in (("edit", "ours set", "mutagen save"), ("read", "ours show", "mutagen read"),
                                   ("edit across sectors (journaled)", "ours set, journaled", "mutagen save")):
            ratio = r[ours] / r[theirs]
            print(f"{label}: {what}, whole process: ours / mutagen {ratio:5.3f}"
                  f"  (goal <= 0.15: {'met' if ratio <= 0.15 else 'NOT met'})")
    small_label, big_label = labels[small], labels[big]
    print(f"in-process save {big_label} / {small_label}:"
          f" {rows[big_label]['ours in-process'] / rows[small_label]['ours in-process']:5.2f}  (goal <= 1.5)")


if __name__ == "__main__":
    main()
