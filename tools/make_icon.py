#!/usr/bin/env python3
"""Draws the application icon and writes it as an .ico file or a PNG.

    make_icon.py [ICO]          the icon (default: resources/quillmark.ico)
    make_icon.py --png SIZE OUT one square PNG of SIZE pixels

The artwork: a quill over a stereo pair of film frames, the left eye's frame
red and the right eye's cyan. It is drawn procedurally in unit coordinates
and sampled several times per pixel for smooth edges, so every size comes
from the same drawing.

The icon holds nine images, 48, 32 and 16 pixels square, each first at 16
colours, then 256 colours, then 32 bits with alpha. Each image is a classic
BMP DIB: a BITMAPINFOHEADER whose height counts the colour bitmap and the
mask together, a palette for 4 and 8 bits, the colour bitmap (rows bottom
up, each padded to 4 bytes) and the 1-bit AND mask (1 = transparent). The
16-colour entries use the classic directory form: colour count 16 and bit
count 0. Palette images are quantised to the nearest palette colour.

Only the Python 3 standard library is used; the output is the same on every
run.
"""

import math
import os
import struct
import sys
import zlib

ICON_SIZES = (48, 32, 16)
SAMPLES = 4  # per pixel and axis

# ---------------------------------------------------------------- artwork

FILM = (38, 38, 44)
HOLE = (235, 235, 235)
RED = (224, 52, 52)
CYAN = (30, 190, 214)
VANE = (250, 246, 232)
VANE_EDGE = (92, 70, 48)
SHAFT = (120, 90, 60)
NIB = (52, 52, 60)


def in_rounded_rect(x, y, left, top, right, bottom, radius):
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def in_polygon(x, y, points):
    inside = False
    count = len(points)
    for index in range(count):
        x1, y1 = points[index]
        x2, y2 = points[(index + 1) % count]
        if (y1 > y) != (y2 > y):
            if x < (x2 - x1) * (y - y1) / (y2 - y1) + x1:
                inside = not inside
    return inside


def film_frame(left, top, picture):
    """Layers of one film frame: the strip, its sprocket holes, the picture."""
    width, height = 0.56, 0.46
    right, bottom = left + width, top + height
    layers = [(lambda x, y: in_rounded_rect(x, y, left, top, right, bottom, 0.05), FILM, 1.0)]
    holes = []
    for index in range(5):
        hx = left + 0.05 + index * (width - 0.1) / 4
        holes.append((hx - 0.025, hx + 0.025))

    def in_hole(x, y):
        in_row = top + 0.025 <= y <= top + 0.065 or bottom - 0.065 <= y <= bottom - 0.025
        return in_row and any(a <= x <= b for a, b in holes)

    layers.append((in_hole, HOLE, 1.0))
    layers.append((lambda x, y: in_rounded_rect(x, y, left + 0.04, top + 0.09, right - 0.04,
                                                bottom - 0.09, 0.02), picture, 0.92))
    return layers


def quill_outline(grow):
    """The vane as a polygon around the quill's axis, widened by grow."""
    start, end = (0.20, 0.90), (0.91, 0.09)
    dx, dy = end[0] - start[0], end[1] - start[1]
    length = math.hypot(dx, dy)
    ux, uy = dx / length, dy / length
    nx, ny = -uy, ux
    left_side, right_side = [], []
    steps = 40
    for index in range(steps + 1):
        t = 0.22 + (1.0 - 0.22) * index / steps
        profile = math.sin(math.pi * (t - 0.22) / 0.78) ** 0.7
        # The vane is wider on one side, and bends slightly like a feather.
        bend = 0.035 * math.sin(math.pi * t)
        px = start[0] + dx * t + nx * bend
        py = start[1] + dy * t + ny * bend
        wide, narrow = 0.13 * profile + grow, 0.07 * profile + grow
        left_side.append((px + nx * wide, py + ny * wide))
        right_side.append((px - nx * narrow, py - ny * narrow))
    return left_side + right_side[::-1]


def quill_layers():
    start, end = (0.20, 0.90), (0.91, 0.09)
    dx, dy = end[0] - start[0], end[1] - start[1]
    length = math.hypot(dx, dy)

    def distance_to_axis(x, y, t0, t1):
        t = ((x - start[0]) * dx + (y - start[1]) * dy) / (length * length)
        t = min(max(t, t0), t1)
        return math.hypot(x - (start[0] + dx * t), y - (start[1] + dy * t))

    edge = quill_outline(0.022)
    vane = quill_outline(0.0)
    nib_tip = (start[0] - 0.06 * dx / length, start[1] - 0.06 * dy / length)
    nx, ny = -dy / length, dx / length
    nib_base = [(start[0] + dx * 0.2 + nx * 0.03, start[1] + dy * 0.2 + ny * 0.03),
                (start[0] + dx * 0.2 - nx * 0.03, start[1] + dy * 0.2 - ny * 0.03)]
    nib = [nib_tip] + nib_base
    return [
        (lambda x, y: in_polygon(x, y, edge), VANE_EDGE, 1.0),
        (lambda x, y: in_polygon(x, y, vane), VANE, 1.0),
        (lambda x, y: distance_to_axis(x, y, 0.0, 0.97) <= 0.014, SHAFT, 1.0),
        (lambda x, y: in_polygon(x, y, nib), NIB, 1.0),
    ]


LAYERS = film_frame(0.03, 0.10, RED) + film_frame(0.30, 0.40, CYAN) + quill_layers()


def sample(x, y):
    """Straight RGBA of the artwork at one point, layers composited in order."""
    red = green = blue = alpha = 0.0
    for test, colour, opacity in LAYERS:
        if test(x, y):
            red = colour[0] * opacity + red * (1 - opacity)
            green = colour[1] * opacity + green * (1 - opacity)
            blue = colour[2] * opacity + blue * (1 - opacity)
            alpha = opacity + alpha * (1 - opacity)
    return red, green, blue, alpha


def render(size):
    """Rows of (r, g, b, a) bytes, top row first, anti-aliased by sampling."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            red = green = blue = alpha = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    y = (py + (sy + 0.5) / SAMPLES) / size
                    r, g, b, a = sample(x, y)
                    # Average premultiplied, so transparent samples add no colour.
                    red, green, blue, alpha = red + r * a, green + g * a, blue + b * a, alpha + a
            count = SAMPLES * SAMPLES
            if alpha > 0:
                pixel = (red / alpha, green / alpha, blue / alpha, alpha / count)
            else:
                pixel = (0.0, 0.0, 0.0, 0.0)
            row.append(tuple(min(255, int(round(v))) for v in pixel[:3]) +
                       (min(255, int(round(pixel[3] * 255))),))
        rows.append(row)
    return rows


# --------------------------------------------------------------- palettes

VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def palette256():
    colours = list(VGA16)
    levels = (0, 51, 102, 153, 204, 255)
    colours += [(r, g, b) for r in levels for g in levels for b in levels]
    colours += [(8 + 10 * i, 8 + 10 * i, 8 + 10 * i) for i in range(24)]
    return colours


def nearest(colour, palette, cache):
    found = cache.get(colour)
    if found is None:
        found = min(range(len(palette)), key=lambda i: sum((a - b) ** 2 for a, b in zip(colour, palette[i])))
        cache[colour] = found
    return found


# ------------------------------------------------------------- BMP / ICO

def padded(row_bytes):
    return row_bytes + b"\0" * (-len(row_bytes) % 4)


def mask_rows(pixels):
    rows = []
    for row in pixels:
        bits = bytearray((len(row) + 7) // 8)
        for x, pixel in enumerate(row):
            if pixel[3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        rows.append(padded(bytes(bits)))
    return rows


def dib(pixels, bits):
    size = len(pixels)
    if bits == 32:
        palette = b""
        colour_rows = [padded(b"".join(struct.pack("4B", p[2], p[1], p[0], p[3]) for p in row))
                       for row in pixels]
    else:
        colours = VGA16 if bits == 4 else palette256()
        palette = b"".join(struct.pack("4B", b, g, r, 0) for r, g, b in colours)
        cache = {}
        colour_rows = []
        for row in pixels:
            indices = [nearest(p[:3], colours, cache) if p[3] >= 128 else 0 for p in row]
            if bits == 4:
                data = bytes((indices[x] << 4) | (indices[x + 1] if x + 1 < size else 0)
                             for x in range(0, size, 2))
            else:
                data = bytes(indices)
            colour_rows.append(padded(data))
    body = b"".join(reversed(colour_rows)) + b"".join(reversed(mask_rows(pixels)))
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0, len(body), 0, 0,
                         len(palette) // 4, 0)
    return header + palette + body


def icon_file():
    images = []  # (size, colour count, bit count, dib)
    for size in ICON_SIZES:
        pixels = render(size)
        images.append((size, 16, 0, dib(pixels, 4)))
        images.append((size, 0, 8, dib(pixels, 8)))
        images.append((size, 0, 32, dib(pixels, 32)))
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    directory = b""
    for size, colour_count, bit_count, data in images:
        directory += struct.pack("<BBBBHHII", size, size, colour_count, 0, 1, bit_count, len(data), offset)
        offset += len(data)
    return header + directory + b"".join(image[3] for image in images)


def png_file(size):
    pixels = render(size)
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in pixels)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def write(path, data):
    folder = os.path.dirname(path)
    if folder:
        os.makedirs(folder, exist_ok=True)
    with open(path, "wb") as out:
        out.write(data)


def main(arguments):
    if arguments[:1] == ["--png"]:
        if len(arguments) != 3 or not arguments[1].isdigit() or not 1 <= int(arguments[1]) <= 1024:
            sys.exit("usage: make_icon.py --png SIZE OUT (SIZE 1 to 1024)")
        write(arguments[2], png_file(int(arguments[1])))
        return
    if len(arguments) > 1:
        sys.exit("usage: make_icon.py [ICO] | --png SIZE OUT")
    default = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "quillmark.ico")
    write(arguments[0] if arguments else os.path.normpath(default), icon_file())


if __name__ == "__main__":
    main(sys.argv[1:])
