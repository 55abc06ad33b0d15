#!/usr/bin/python3
"""Times `quillmark-tag-video` looking at large stereo videos, each run a
whole process: detecting the layout (`detect --json`), and making the
preview and the poster from a frame (`set --dry-run --preview-from-video
--poster-from-video`, once with the layout given so that only the pictures
are made, once without, so that the layout is detected first). Prints wall
time and CPU time (user + system) of each run against its limit.

The videos are made once, with the scenes of bench/make_detect_set.py:
a 1080p half-width side-by-side video in Windows Media Video 8, and an 8K
(7680 x 4320) over/under video with full-resolution views, once in Windows
Media Video 8 and once in H.264, as real 8K files come.

    /usr/bin/python3 bench/bench_detect_speed.py [BUILD_DIR...] [--folder FOLDER] [--runs N]

Several build folders are compared run by run, so that each meets the same
load on a busy machine. FOLDER defaults to LAST_BUILD_DIR/bench-data/detect-speed.
"""
import argparse
import os
import resource
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import make_detect_set as scenes  # noqa: E402

# name: scene, codec options, the layout to give when only pictures are made
VIDEOS = {
    "sbs-lf-half-1080p-wmv2.wmv": (
        scenes.stereo("speed-1080p", "SideBySideLF", half=True, w=1920, h=1080, seed=61),
        ["-c:v", "wmv2", "-b:v", "8M"], ["--layout", "SideBySideLF", "--half-width"]),
    "ou-lt-full-8k-wmv2.wmv": (
        scenes.stereo("speed-8k", "OverUnderLT", w=7680, h=2160, seed=63),
        ["-c:v", "wmv2", "-b:v", "60M"], ["--layout", "OverUnderLT", "--half-height"]),
    "ou-lt-full-8k-h264.wmv": (
        scenes.stereo("speed-8k", "OverUnderLT", w=7680, h=2160, seed=63),
        ["-c:v", "libx264", "-preset", "veryfast", "-crf", "23", "-pix_fmt", "yuv420p"],
        ["--layout", "OverUnderLT", "--half-height"]),
}

# Limits in seconds: detection per file, and the pictures of an 8K frame.
DETECT_LIMIT = {"1080p": 1.0, "8k": 3.0}
PICTURES_LIMIT = {"8k": 5.0}


def make(name, scene, codec, folder):
    path = os.path.join(folder, name)
    if os.path.exists(path):
        return path
    print("making", name, file=sys.stderr)
    command = ["ffmpeg", "-nostdin", "-v", "error", "-y", "-filter_complex", scenes.graph(scene), "-map",
               "[out]", "-t", str(scenes.SECONDS)] + codec + ["-g", str(scenes.RATE), "-f", "asf",
                                                            path + ".part"]
    subprocess.run(command, check=True)
    os.replace(path + ".part", path)
    return path


def timed(command):
    """Wall and CPU seconds of one run of command, and its output or, when it
    failed, its message."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    run = subprocess.run(command, capture_output=True, text=True)
    wall = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    if run.returncode != 0:
        return wall, cpu, "FAILED: " + run.stderr.strip()
    return wall, cpu, run.stdout


def limit_of(name, limits):
    for size, seconds in limits.items():
        if size in name:
            return seconds
    return None


def report(label, name, build, runs, limit):
    walls = [wall for wall, _, _ in runs]
    cpus = [cpu for _, cpu, _ in runs]
    limit_text = f"limit {limit:.1f} s" if limit else ""
    failed = sum(1 for _, _, out in runs if out.startswith("FAILED"))
    failed_text = f"  {failed} FAILED" if failed else ""
    print(f"{name:28} {label:22} {build:14} wall median {statistics.median(walls):5.2f} s "
          f"(max {max(walls):5.2f}), cpu median {statistics.median(cpus):5.2f} s  {limit_text}{failed_text}",
          flush=True)


def measure(tools, label, name, arguments, runs, limit):
    """Runs each build's tool in turn, so that each meets the same load."""
    results = {build: [] for build in tools}
    for _ in range(runs):
        for build, tool in tools.items():
            results[build].append(timed([tool] + arguments))
    for build, found in results.items():
        report(label, name, build, found, limit)
    return results


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("builds", nargs="*", default=["build"],
                        help="build folders to compare, each run in turn")
    parser.add_argument("--folder")
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    tools = {}
    for build in args.builds:
        tool = os.path.join(os.path.abspath(build), "src", "app", "quillmark-tag-video")
        if not os.access(tool, os.X_OK):
            sys.exit(f"build quillmark-tag-video in {build} first")
        tools[os.path.basename(os.path.abspath(build))] = tool
    folder = args.folder or os.path.join(os.path.abspath(args.builds[-1]), "bench-data", "detect-speed")
    os.makedirs(folder, exist_ok=True)
    print(f"load average before: {' '.join(f'{x:.2f}' for x in os.getloadavg())}")
    for name, (scene, codec, layout) in VIDEOS.items():
        path = make(name, scene, codec, folder)
        found = measure(tools, "detect", name, ["detect", "--json", path], args.runs,
                        limit_of(name, DETECT_LIMIT))
        for build, runs in found.items():
            answer = runs[-1][2].replace("\n", " ")
            print(f"{'':28} {build}: {' '.join(answer.split())}")
        pictures = ["set", "--dry-run", "--preview-from-video", "--poster-from-video"]
        measure(tools, "pictures, layout given", name, pictures + layout + [path], args.runs,
                limit_of(name, PICTURES_LIMIT))
        measure(tools, "detect + pictures", name, pictures + [path], args.runs, None)
    print(f"load average after: {' '.join(f'{x:.2f}' for x in os.getloadavg())}")


if __name__ == "__main__":
    main()
