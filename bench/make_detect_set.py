#!/usr/bin/python3
"""Makes a set of videos that look like real footage, for bench/bench_detect.py:
stereo of each family, eye order and half size, each eye rendered from
layered scenes at several depths (a far background, objects in between and
near the camera) with sensor noise of its own per eye, and 2D traps: test
patterns, split screens, mirror images, reflections, periodic facades, the
same clip twice. Each video is Windows Media Video 8 in ASF, 8 seconds at
10 frames a second with a key frame every second. Beside the videos,
expected.json names the right answer of each.

    /usr/bin/python3 bench/make_detect_set.py FOLDER [--only NAME...]

Disparities are x in the left view less x in the right view, as a share of
the view's width: positive in front of the screen, negative behind it.
"""
import argparse
import json
import os
import subprocess
import sys

SECONDS = 8
RATE = 10

# The screen plane: where the layers' disparities lie.
PLANES = {
    "mid": (-0.012, 0.002, 0.016),     # background behind, objects in front
    "behind": (-0.030, -0.018, -0.006),
    "front": (0.004, 0.012, 0.026),    # a parallel rig: all in front
    "fine": (-0.003, 0.0, 0.003),      # sub-pixel once the halves are shrunk
}


def still(source, seconds=SECONDS):
    """One frame of source, shown for the whole video."""
    return f"{source},trim=end_frame=1,loop=loop=-1:size=1:start=0,setpts=N/{RATE}/TB"


def texture(kind, width, height, seed):
    """A still texture of kind: coarse (objects and surfaces), fine (one-pixel
    detail), sky (almost plain), cells (a chaotic cellular pattern)."""
    size = f"{width}x{height}"
    if kind == "fine":
        base = (f"color=c=0x806040:s={size}:r={RATE},noise=alls=90:allf=0:all_seed={seed},"
                f"gblur=sigma=0.7")
    elif kind == "cells":
        base = (f"cellauto=s={width}x{height}:rule=30:rate={RATE}:random_fill_ratio=0.5:full=1:"
                f"seed={seed},format=yuv420p,gblur=sigma=0.6")
    elif kind == "sky":
        base = (f"gradients=s={size}:r={RATE}:c0=0x4070c0:c1=0xa0c8f0:seed={seed}:speed=0.00001,"
                f"noise=alls=30:allf=0:all_seed={seed},gblur=sigma=10")
    else:
        # Noise enlarged from two coarse grids: blotches of several sizes
        # with detail down to a few pixels, as surfaces seen from afar.
        hue = (seed * 47) % 360
        grain = 3 + seed % 3
        base = (f"color=c=0x808080:s={max(2, width // 24)}x{max(2, height // 24)}:r={RATE},"
                f"noise=alls=100:allf=0:all_seed={seed},scale={width}:{height}:flags=bicubic[t{seed}a];"
                f"color=c=0x808080:s={max(2, width // grain)}x{max(2, height // grain)}:r={RATE},"
                f"noise=alls=60:allf=0:all_seed={seed + 100},scale={width}:{height}:flags=bicubic[t{seed}b];"
                f"[t{seed}a][t{seed}b]blend=all_mode=average,eq=contrast=1.3:saturation=0.8,hue=h={hue}")
    return still(base + ",format=yuv420p,setsar=1")


def disc(kind, side, seed):
    """A textured disc on a transparent square."""
    alpha = f"255*lt(hypot(X-W/2\\,Y-H/2)\\,W/2-1)"
    return (texture(kind, side, side, seed) +
            f",format=yuva420p,geq=lum='lum(X,Y)':cb='cb(X,Y)':cr='cr(X,Y)':a='{alpha}'")


def view_graph(s, tag, sign, layers):
    """The graph of one eye's view, ending in [tag]."""
    w, h = s["w"], s["h"]
    far, mid, near = PLANES[s["plane"]]
    margin = int(0.05 * w) + 8
    parts = []
    bg = layers["bg"][sign]
    parts.append(f"color=c=black:s={w}x{h}:r={RATE}:d={SECONDS}[{tag}0]")
    x = f"-{margin}+{sign * far * w / 2:.3f}+{s.get('pan', 6)}*t"
    parts.append(f"[{tag}0][{bg}]overlay=x='{x}':y=0:eof_action=repeat[{tag}1]")
    objects = [(0.2, 0.25, mid, layers["o1"][sign], 4),
               (0.55, 0.35, near, layers["o2"][sign], -5),
               (0.62, 0.05, mid * 0.5 + far * 0.5, layers["o3"][sign], 3)]
    for index, (fx, fy, d, label, speed) in enumerate(objects):
        x = f"{fx * w:.1f}+{sign * d * w / 2:.3f}+{speed}*t"
        parts.append(f"[{tag}{index + 1}][{label}]overlay=x='{x}':y={int(fy * h)}:eof_action=repeat"
                     f"[{tag}{index + 2}]")
    last = f"{tag}4"
    chain = f"noise=alls=6:allf=t:all_seed={11 if sign > 0 else 23}"
    if s.get("dark"):
        chain += ",eq=brightness=-0.25:contrast=0.45"
    if s.get("letterbox"):
        bar = h // 8
        chain += f",drawbox=x=0:y=0:w={w}:h={bar}:c=black:t=fill,drawbox=x=0:y={h - bar}:w={w}:h={bar}:c=black:t=fill"
    if sign < 0 and s.get("misaligned"):
        chain += f",lutyuv=y='clip(val*1.08,0,255)',crop={w}:{h - 2}:0:0,pad={w}:{h}:0:2"
    parts.append(f"[{last}]{chain}[{tag}]")
    return parts


def scene_graph(s):
    """The whole graph of a stereo scene, or of one view for 2D, ending in [out]."""
    w, h = s["w"], s["h"]
    margin = int(0.05 * w) + 8
    kind = s.get("texture", "coarse")
    side = max(32, int(0.36 * h))
    parts = []
    layers = {}
    sources = {"bg": texture("sky" if kind == "sky" else kind, w + 2 * margin, h, s.get("seed", 1)),
               "o1": disc(kind if kind != "sky" else "coarse", side, s.get("seed", 1) + 2),
               "o2": disc(kind if kind != "sky" else "coarse", int(side * 1.3), s.get("seed", 1) + 3),
               "o3": disc("fine" if kind == "fine" else "coarse", int(side * 0.7), s.get("seed", 1) + 5)}
    layout = s["layout"]
    for name, source in sources.items():
        if layout == "Mono":
            parts.append(f"{source}[{name}L]")
        else:
            parts.append(f"{source},split[{name}L][{name}R]")
        layers[name] = {1: f"{name}L", -1: f"{name}R"}
    parts += view_graph(s, "l", 1, layers)
    if layout == "Mono":
        out = "[l]null"
    else:
        parts += view_graph(s, "r", -1, layers)
    if layout != "Mono":
        first, second = ("[l]", "[r]") if layout in ("SideBySideLF", "OverUnderLT") else ("[r]", "[l]")
        stack = "hstack" if layout.startswith("SideBySide") else "vstack"
        out = f"{first}{second}{stack}"
        if s.get("half"):
            fw, fh = s.get("frame", (w, h))
            out += f",scale={fw}:{fh}"
    parts.append(f"{out},setsar={s.get('sar', '1')}[stereo]")
    return parts


def intro_graph(s):
    w, h = s["frame"] if "frame" in s else (s["w"], s["h"])
    return texture("coarse", w, h, 77) + f",trim=duration={s['intro']}[intro]"


def trap_graph(s):
    """2D content that fools a naive comparison of halves."""
    w, h = s["w"], s["h"]
    kind = s["trap"]
    moving = f"noise=alls=5:allf=t"
    if kind == "testsrc2":
        return [f"testsrc2=s={w}x{h}:r={RATE}:d={SECONDS},{moving}[out]"]
    if kind == "bars":
        return [f"smptehdbars=s={w}x{h}:r={RATE}:d={SECONDS},{moving}[out]"]
    if kind == "mandelbrot":
        return [f"mandelbrot=s={w}x{h}:r={RATE},trim=duration={SECONDS},format=yuv420p,{moving}[out]"]
    if kind == "facade":
        # Windows in rows and columns, the same in every bay and storey.
        lum = "128+70*gt(mod(X\\,48)\\,12)*gt(mod(Y\\,64)\\,20)-40*lt(mod(X\\,48)\\,3)"
        return [still(f"color=s={w}x{h}:r={RATE},format=yuv420p,geq=lum='{lum}':cb=128:cr=140") +
                f",crop={w - 40}:{h}:'min(20*t\\,40)':0,scale={w}:{h},{moving}[out]"]
    one = dict(s, layout="Mono", w=w // 2 if kind in ("split", "mirror", "twice") else w,
               h=h // 2 if kind in ("reflection", "twiceou") else h, plane="mid")
    parts = scene_graph(one)
    parts[-1] = parts[-1].replace("[stereo]", "[a]")
    if kind == "split":
        other = dict(one, seed=40)
        more = scene_graph(other)
        more = [p.replace("[l", "[ml").replace("[r", "[mr").replace("L]", "L2]").replace("R]", "R2]")
                .replace("[stereo]", "[b]") for p in more]
        more = [p.replace("[bg", "[bg2").replace("[o1", "[o12").replace("[o2", "[o22").replace("[o3", "[o32")
                for p in more]
        return parts + more + ["[a][b]hstack[out]"]
    if kind == "mirror":
        return parts + ["[a]split[a1][a2];[a2]hflip[a3];[a1][a3]hstack[out]"]
    if kind == "reflection":
        return parts + ["[a]split[a1][a2];[a2]vflip,eq=brightness=-0.1[a3];[a1][a3]vstack[out]"]
    if kind == "twice":
        return parts + ["[a]split[a1][a2];[a1][a2]hstack[out]"]
    if kind == "twiceou":
        return parts + ["[a]split[a1][a2];[a1][a2]vstack[out]"]
    if kind == "scene":
        return parts + ["[a]null[out]"]
    raise ValueError(kind)


def graph(s):
    if "trap" in s:
        return ";".join(trap_graph(s))
    parts = scene_graph(s)
    tail = "[stereo]"
    if s.get("intro"):
        parts.append(intro_graph(s))
        parts.append(f"[intro]setsar={s.get('sar', '1')}[i2];[i2][stereo]concat=n=2:v=1:a=0[joined]")
        tail = "[joined]"
    fade = ",fade=t=in:st=0:d=2" if s.get("fade") else ""
    parts.append(f"{tail}trim=duration={SECONDS}{fade}[out]")
    return ";".join(parts)


def stereo(name, layout, half=False, w=960, h=540, **more):
    fw, fh = w, h
    if not half:
        fw, fh = (2 * w, h) if layout.startswith("SideBySide") else (w, 2 * h)
    s = dict(name=name, layout=layout, half=half, w=w, h=h, frame=(fw, fh), plane="mid")
    s.update(more)
    return s


def trap(name, kind, w=960, h=540):
    return dict(name=name, layout="Mono", half=False, trap=kind, w=w, h=h, frame=(w, h))


SCENES = [
    stereo("sbs-lf-full", "SideBySideLF"),
    stereo("sbs-rf-full", "SideBySideRF", seed=3),
    stereo("sbs-lf-half", "SideBySideLF", half=True, seed=5),
    stereo("sbs-rf-half", "SideBySideRF", half=True, seed=7),
    stereo("ou-lt-full", "OverUnderLT", w=640, h=360, seed=9),
    stereo("ou-rt-full", "OverUnderRT", w=640, h=360, seed=11),
    stereo("ou-lt-half", "OverUnderLT", half=True, seed=13),
    stereo("ou-rt-half", "OverUnderRT", half=True, seed=15),
    stereo("sbs-lf-half-1080p", "SideBySideLF", half=True, w=1920, h=1080, seed=17),
    stereo("ou-rt-half-1080p", "OverUnderRT", half=True, w=1920, h=1080, seed=19),
    stereo("sbs-lf-behind", "SideBySideLF", half=True, plane="behind", seed=21),
    stereo("ou-lt-behind", "OverUnderLT", half=True, plane="behind", seed=23),
    stereo("sbs-lf-front", "SideBySideLF", half=True, plane="front", seed=25),
    stereo("sbs-rf-front", "SideBySideRF", plane="front", seed=27),
    stereo("ou-rt-front", "OverUnderRT", half=True, plane="front", seed=29),
    stereo("sbs-lf-fine", "SideBySideLF", half=True, w=1920, h=1080, texture="fine", plane="fine", seed=31),
    stereo("sbs-rf-cells", "SideBySideRF", half=True, w=1920, h=1080, texture="cells", plane="fine", seed=33),
    stereo("ou-lt-fine", "OverUnderLT", half=True, w=1280, h=720, texture="fine", plane="fine", seed=35),
    stereo("sbs-lf-sky", "SideBySideLF", half=True, texture="sky", seed=37),
    stereo("sbs-rf-dark", "SideBySideRF", half=True, dark=True, seed=39),
    stereo("ou-lt-dark", "OverUnderLT", dark=True, w=640, h=360, seed=41),
    stereo("sbs-lf-letterbox", "SideBySideLF", half=True, letterbox=True, seed=43),
    stereo("sbs-rf-anamorphic", "SideBySideRF", half=True, w=1440, h=1080, sar="4/3", seed=45),
    stereo("sbs-lf-misaligned", "SideBySideLF", half=True, misaligned=True, seed=47),
    stereo("ou-rt-misaligned", "OverUnderRT", half=True, misaligned=True, seed=49),
    stereo("sbs-lf-fade", "SideBySideLF", half=True, fade=True, seed=51),
    stereo("sbs-rf-intro", "SideBySideRF", half=True, intro=3, seed=53),
    trap("2d-testsrc2", "testsrc2", 720, 576),
    trap("2d-testsrc2-hd", "testsrc2", 1280, 720),
    trap("2d-bars", "bars", 1280, 720),
    trap("2d-mandelbrot", "mandelbrot", 960, 540),
    trap("2d-facade", "facade", 960, 540),
    trap("2d-scene", "scene", 960, 540),
    trap("2d-split", "split", 1280, 540),
    trap("2d-mirror", "mirror", 1280, 540),
    trap("2d-reflection", "reflection", 960, 720),
    trap("2d-twice-sbs", "twice", 1280, 540),
    trap("2d-twice-ou", "twiceou", 960, 720),
]


def make(s, folder):
    path = os.path.join(folder, s["name"] + ".wmv")
    command = ["ffmpeg", "-nostdin", "-v", "error", "-y", "-filter_complex", graph(s), "-map", "[out]",
               "-t", str(SECONDS), "-c:v", "wmv2", "-b:v", "6M", "-g", str(RATE), "-f", "asf", path]
    subprocess.run(command, check=True)
    return path


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--only", nargs="*")
    args = parser.parse_args()
    os.makedirs(args.folder, exist_ok=True)
    expected = {}
    for s in SCENES:
        if args.only and s["name"] not in args.only:
            continue
        path = os.path.join(args.folder, s["name"] + ".wmv")
        if not os.path.exists(path):
            print("making", s["name"], file=sys.stderr)
            make(s, args.folder)
        layout = s["layout"]
        expected[s["name"] + ".wmv"] = {
            "layout": layout,
            "halfWidth": bool(s["half"]) and layout.startswith("SideBySide"),
            "halfHeight": bool(s["half"]) and layout.startswith("OverUnder"),
        }
    with open(os.path.join(args.folder, "expected.json"), "w") as out:
        json.dump(expected, out, indent=2)


if __name__ == "__main__":
    main()
