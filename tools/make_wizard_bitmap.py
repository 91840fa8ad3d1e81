#!/usr/bin/env python3
"""Generate the picture at the left of every page of the introduction wizard.

wizard.bmp (bitmap resource 103 of LSWelcome.exe): 120 x 227 pixels, 256
colours (8 bits per pixel, bottom-up, uncompressed). A spike of violet
larkspur blossoms on a green stem, rising from leaves before a night-blue to
teal sky with a few sparkles. Drawn with the signed-distance shapes of
tools/make_icons.py at 3 x 3 samples per pixel, then reduced to 256 colours
by median cut. Standard library only (about a quarter of an hour on one
core); the output is byte-for-byte repeatable.

Usage:
  python3 tools/make_wizard_bitmap.py [OUTDIR]           # write (default welcome/res)
  python3 tools/make_wizard_bitmap.py [OUTDIR] --check   # validate OUTDIR/wizard.bmp
"""
import math
import struct
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from make_icons import circle, ellipse_pts, gradient, grow, line, polygon, star, union  # noqa: E402

WIDTH, HEIGHT = 120, 227
SS = 3
COLOURS = 256


def petal_flower(cx, cy, r, angle):
    """Five rounded petals around a centre."""
    petals = []
    for k in range(5):
        a = angle + 2 * math.pi * k / 5
        px, py = cx + 0.55 * r * math.cos(a), cy + 0.55 * r * math.sin(a)
        petals.append(polygon(ellipse_pts(px, py, 0.52 * r, 0.34 * r, a, 24)))
    return union(*petals)


def layers():
    sky = gradient((22, 34, 96), (24, 120, 138), 0, 0, 0, HEIGHT)
    out = [(lambda x, y: -1.0, sky)]
    # A soft glow behind the spike.
    for r, alpha in ((58, 26), (42, 30), (28, 34)):
        out.append((circle(62, 92, r), (120, 170, 220, alpha)))
    # Sparkles.
    for sx, sy, s in ((18, 30, 6), (100, 22, 4.5), (96, 132, 5), (16, 120, 3.5), (28, 70, 2.5), (108, 80, 3)):
        out.append((star(sx, sy, s, s * 0.28, 4), (250, 248, 220)))
    # The stem, a gentle curve from the ground to the top bud.
    stem = []
    pts = [(60 + 5 * math.sin(t / 9.0), 214 - t * 1.0) for t in range(0, 190, 6)]
    for a, b in zip(pts, pts[1:]):
        stem.append(line(a[0], a[1], b[0], b[1], 3.0))
    out.append((union(*stem), (44, 120, 52)))
    # Leaves at the foot.
    for cx, cy, rx, ry, ang, col in ((44, 206, 20, 5, -0.55, (52, 136, 58)), (78, 204, 22, 5, 0.5, (40, 116, 48)),
                                     (50, 190, 15, 4, -0.9, (64, 150, 66)), (72, 186, 14, 4, 0.85, (58, 142, 60))):
        leaf = polygon(ellipse_pts(cx, cy, rx, ry, ang, 36))
        out.append((grow(leaf, 0.8), (24, 70, 30)))
        out.append((leaf, col))
    # Blossoms, large at the bottom of the spike and small at its top.
    florets = 11
    for k in range(florets):
        t = k / (florets - 1)
        y = 170 - t * 128
        x = 60 + 5 * math.sin((214 - y) / 9.0) + (7 if k % 2 else -7) * (1 - 0.6 * t)
        r = 13 - 7.5 * t
        dark = (70 + 40 * t, 34 + 30 * t, 140 + 30 * t)
        light = (150 + 70 * t, 120 + 80 * t, 235)
        flower = petal_flower(x, y, r, 0.3 + k * 0.7)
        out.append((grow(flower, 0.9), (40, 20, 80)))
        out.append((flower, gradient(light, dark, x - r, y - r, x + r, y + r)))
        out.append((circle(x, y, 0.22 * r), (250, 236, 150)))
    # Buds at the very top.
    for bx, by, br in ((60 + 5 * math.sin(180 / 9.0) - 2, 34, 3.2), (60 + 5 * math.sin(190 / 9.0) + 1, 27, 2.4)):
        out.append((circle(bx, by, br + 0.8), (40, 20, 80)))
        out.append((circle(bx, by, br), (180, 160, 240)))
    return out


def render():
    """Rows (top-down) of (r, g, b) tuples."""
    shapes = layers()
    rows = []
    for j in range(HEIGHT):
        row = []
        for i in range(WIDTH):
            acc = [0.0, 0.0, 0.0]
            for sj in range(SS):
                for si in range(SS):
                    x, y = i + (si + 0.5) / SS, j + (sj + 0.5) / SS
                    p = [0.0, 0.0, 0.0]
                    for shape, col in shapes:
                        if shape(x, y) <= 0:
                            c = col(x, y) if callable(col) else col
                            a = c[3] / 255 if len(c) > 3 else 1.0
                            p = [c[k] * a + p[k] * (1 - a) for k in range(3)]
                    acc = [s + v for s, v in zip(acc, p)]
            row.append(tuple(min(255, int(round(v / (SS * SS)))) for v in acc))
        rows.append(row)
    return rows


def median_cut(counts, n):
    """A palette of at most n colours for the {colour: count} histogram."""
    boxes = [list(counts.items())]
    while len(boxes) < n:
        # Split the box with the widest channel range (ties: the most pixels).
        best, best_key = None, None
        for index, box in enumerate(boxes):
            if len(box) < 2:
                continue
            spans = [max(c[0][k] for c in box) - min(c[0][k] for c in box) for k in range(3)]
            key = (max(spans), sum(c[1] for c in box))
            if best_key is None or key > best_key:
                best, best_key = index, key
        if best is None:
            break
        box = boxes.pop(best)
        spans = [max(c[0][k] for c in box) - min(c[0][k] for c in box) for k in range(3)]
        channel = spans.index(max(spans))
        box.sort(key=lambda c: (c[0][channel], c[0]))
        total = sum(c[1] for c in box)
        running, cut = 0, 1
        for index, (_, count) in enumerate(box):
            running += count
            if running * 2 >= total:
                cut = min(max(index + 1, 1), len(box) - 1)
                break
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(c[1] for c in box)
        palette.append(tuple(int(round(sum(c[0][k] * c[1] for c in box) / total)) for k in range(3)))
    palette.sort()
    return palette


def encode(rows):
    counts = {}
    for row in rows:
        for c in row:
            counts[c] = counts.get(c, 0) + 1
    palette = median_cut(counts, COLOURS)
    nearest = {}

    def index_of(c):
        if c not in nearest:
            nearest[c] = min(range(len(palette)),
                             key=lambda i: sum((palette[i][k] - c[k]) ** 2 for k in range(3)))
        return nearest[c]

    stride = (WIDTH + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line_bytes = bytes(index_of(c) for c in row)
        pixels += line_bytes + b"\0" * (stride - WIDTH)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    table += b"\0" * (4 * COLOURS - len(table))
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, len(pixels), 2835, 2835, COLOURS, 0)
    offset = 14 + len(info) + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + table + bytes(pixels)


def check(path):
    data = path.read_bytes()
    if data[:2] != b"BM":
        return "not a bitmap"
    size, _, _, offset = struct.unpack_from("<IHHI", data, 2)
    info = struct.unpack_from("<IiiHHIIiiII", data, 14)
    if size != len(data):
        return "file size field %d, file %d bytes" % (size, len(data))
    if info[0] != 40 or info[1] != WIDTH or info[2] != HEIGHT or info[3] != 1 or info[4] != 8 or info[5] != 0:
        return "header %r: expected 40-byte header, %dx%d, 8 bits, uncompressed" % (info[:6], WIDTH, HEIGHT)
    if offset != 14 + 40 + 4 * COLOURS or len(data) != offset + ((WIDTH + 3) & ~3) * HEIGHT:
        return "pixel data misplaced"
    return None


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    outdir = Path(args[0]) if args else Path(__file__).resolve().parent.parent / "welcome" / "res"
    path = outdir / "wizard.bmp"
    if "--check" in sys.argv:
        problem = check(path)
        print("%s: %s" % (path, problem or "ok"))
        return 1 if problem else 0
    outdir.mkdir(parents=True, exist_ok=True)
    path.write_bytes(encode(render()))
    problem = check(path)
    print("%s: %s" % (path, problem or "written"))
    return 1 if problem else 0


if __name__ == "__main__":
    sys.exit(main())
