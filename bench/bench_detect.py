#!/usr/bin/python3
"""Runs `quillmark-tag detect --json` on each video of a set made by
bench/make_detect_set.py and prints, per file, the answer against the right
one and the time the run took (a whole process each), then the counts:
exact answers, right family (side by side, over/under, 2D), right eye order
(of the stereo files whose family was right), right halves, wrong answers
reported sure, right answers reported unsure, and the time per file.

    /usr/bin/python3 bench/bench_detect.py [--early-stop] [BUILD_DIR] [SET_FOLDER]

--early-stop runs BUILD_DIR/bench/DetectEarlyStop (configured with
-DQUILLMARK_BENCH=ON) instead: detection whose first round of samples may
settle the answer on every video, not only on costly ones, which shows
whether that rule changes any answer of the set.

SET_FOLDER defaults to BUILD_DIR/bench-data/detect-set, made first when it
holds no expected.json. A sure answer is one whose `sure` is true (older
builds: confidence of at least 0.6).
"""
import json
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def family(layout):
    if layout.startswith("SideBySide"):
        return "SideBySide"
    if layout.startswith("OverUnder"):
        return "OverUnder"
    return "Mono"


def main():
    arguments = [argument for argument in sys.argv[1:] if argument != "--early-stop"]
    early_stop = len(arguments) < len(sys.argv) - 1
    build = os.path.abspath(arguments[0] if arguments else "build")
    folder = arguments[1] if len(arguments) > 1 else os.path.join(build, "bench-data", "detect-set")
    if not os.path.exists(os.path.join(folder, "expected.json")):
        subprocess.run([sys.executable, os.path.join(HERE, "make_detect_set.py"), folder], check=True)
    with open(os.path.join(folder, "expected.json")) as source:
        expected = json.load(source)
    tool = os.path.join(build, "src", "app", "quillmark-tag-video")
    if not os.access(tool, os.X_OK):
        tool = os.path.join(build, "src", "app", "quillmark-tag")
    command = [tool, "detect", "--json"]
    if early_stop:
        command = [os.path.join(build, "bench", "DetectEarlyStop")]
        if not os.access(command[0], os.X_OK):
            sys.exit(f"build DetectEarlyStop in {build} first (-DQUILLMARK_BENCH=ON)")

    counts = dict(exact=0, family=0, eye=0, eyed=0, halves=0, wrong_sure=0, right_unsure=0,
                  family_wrong_sure=0, eye_wrong_sure=0, failed=0)
    times = []
    print(f"{'file':26} {'right':14} {'answer':14} {'conf':>5} {'lay':>5} {'eye':>5}  verdict        time")
    for name, right in expected.items():
        start = time.monotonic()
        run = subprocess.run(command + [os.path.join(folder, name)], capture_output=True, text=True)
        seconds = time.monotonic() - start
        times.append(seconds)
        if run.returncode != 0:
            counts["failed"] += 1
            print(f"{name:26} failed: {run.stderr.strip()}")
            continue
        got = json.loads(run.stdout)[0]
        sure = got.get("sure", got["confidence"] >= 0.6)
        layout_conf = got.get("layoutConfidence", got["confidence"])
        eye_conf = got.get("eyeOrderConfidence", got["confidence"])
        same_family = family(got["layout"]) == family(right["layout"])
        same_halves = got["halfWidth"] == right["halfWidth"] and got["halfHeight"] == right["halfHeight"]
        exact = got["layout"] == right["layout"] and same_halves
        counts["exact"] += exact
        counts["family"] += same_family
        counts["halves"] += same_halves
        if same_family and right["layout"] != "Mono":
            counts["eyed"] += 1
            counts["eye"] += got["layout"] == right["layout"]
            if got["layout"] != right["layout"] and eye_conf is not None and eye_conf >= 0.6:
                counts["eye_wrong_sure"] += 1
        if not (same_family and same_halves) and layout_conf >= 0.6:
            counts["family_wrong_sure"] += 1
        if not exact and sure:
            counts["wrong_sure"] += 1
            verdict = "WRONG, SURE"
        elif exact and not sure:
            counts["right_unsure"] += 1
            verdict = "right, unsure"
        else:
            verdict = "right" if exact else "wrong, unsure"
        eye_text = "-" if eye_conf is None else f"{eye_conf:.2f}"
        print(f"{name:26} {right['layout']:14} {got['layout']:14} {got['confidence']:5.2f} "
              f"{layout_conf:5.2f} {eye_text:>5}  {verdict:14} {seconds:5.2f} s")

    total = len(expected)
    print()
    print(f"files                      {total}")
    print(f"exact                      {counts['exact']}/{total}")
    print(f"family                     {counts['family']}/{total}")
    print(f"eye order                  {counts['eye']}/{counts['eyed']}")
    print(f"halves                     {counts['halves']}/{total}")
    print(f"wrong but sure             {counts['wrong_sure']}")
    print(f"right but unsure           {counts['right_unsure']}")
    print(f"family wrong, family sure  {counts['family_wrong_sure']}")
    print(f"eye wrong, eye order sure  {counts['eye_wrong_sure']}")
    print(f"failed                     {counts['failed']}")
    print(f"time per file              median {statistics.median(times):.2f} s, max {max(times):.2f} s")


if __name__ == "__main__":
    main()
