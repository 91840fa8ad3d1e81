#!/usr/bin/env python3
"""Generate the icons embedded in the cleaners component server DLL.

Each .ico holds a 32x32 and a 16x16 image (32-bit BGRA plus a 1-bpp AND mask):
  folder.ico    (resource 102)  yellow folder with a broom and a sparkle
  netscape.ico  (resource 105)  white compass rose on a navy disc
  explorer.ico  (resource 106)  blue globe with meridians and an orbit ring

Shapes are signed-distance functions in a 0..32 design space, rendered with
4x4 supersampling. Standard library only; output is byte-for-byte repeatable.

Usage:
  python3 tools/make_icons.py [OUTDIR]           # write icons (default cleaners/res)
  python3 tools/make_icons.py [OUTDIR] --check   # validate the icons in OUTDIR
"""
import argparse
import math
import struct
import sys
from pathlib import Path

SS = 4            # supersamples per pixel axis
SIZES = (32, 16)  # image order inside each .ico


# ---- signed-distance shapes (negative inside) ----

def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def box(x0, y0, x1, y1, r=0.0):
    cx, cy, hx, hy = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2 - r, (y1 - y0) / 2 - r
    def f(x, y):
        dx, dy = abs(x - cx) - hx, abs(y - cy) - hy
        return math.hypot(max(dx, 0.0), max(dy, 0.0)) + min(max(dx, dy), 0.0) - r
    return f


def _seg(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = min(max(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0), 1.0)
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


def line(ax, ay, bx, by, w):
    return lambda x, y: _seg(x, y, ax, ay, bx, by) - w / 2


def polyline(pts, w):
    segs = list(zip(pts, pts[1:] + pts[:1]))  # always closed
    return lambda x, y: min(_seg(x, y, *a, *b) for a, b in segs) - w / 2


def polygon(pts):
    edges = list(zip(pts, pts[1:] + pts[:1]))
    def f(x, y):
        d = min(_seg(x, y, *a, *b) for a, b in edges)
        inside = False
        for (ax, ay), (bx, by) in edges:
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
        return -d if inside else d
    return f


def ellipse_pts(cx, cy, rx, ry, angle=0.0, n=72):
    ca, sa = math.cos(angle), math.sin(angle)
    ts = [2 * math.pi * i / n for i in range(n)]
    return [(cx + rx * math.cos(t) * ca - ry * math.sin(t) * sa,
             cy + rx * math.cos(t) * sa + ry * math.sin(t) * ca) for t in ts]


def star(cx, cy, r_out, r_in, points=4, angle=0.0):
    pts = []
    for i in range(points * 2):
        a = angle + math.pi * i / points - math.pi / 2
        r = r_out if i % 2 == 0 else r_in
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return polygon(pts)


def union(*fs):
    return lambda x, y: min(f(x, y) for f in fs)


def intersect(a, b):
    return lambda x, y: max(a(x, y), b(x, y))


def grow(f, w):
    return lambda x, y: f(x, y) - w


def gradient(c0, c1, x0, y0, x1, y1):
    """Linear colour ramp from c0 at (x0,y0) to c1 at (x1,y1)."""
    dx, dy = x1 - x0, y1 - y0
    ll = dx * dx + dy * dy
    def col(x, y):
        t = min(max(((x - x0) * dx + (y - y0) * dy) / ll, 0.0), 1.0)
        return tuple(a + (b - a) * t for a, b in zip(c0, c1))
    return col


def outlined(f, fill, edge, w):
    return [(grow(f, w), edge), (f, fill)]


# ---- the icons: each returns a paint-order list of (shape, colour) for size n ----

def folder_icon(n):
    px = 32 / n
    brown = (120, 78, 12)
    back = union(box(2, 6, 30, 27, 2), box(2, 4, 14, 10, 1.5))
    front = polygon([(2, 12), (30, 12), (30, 27), (2, 27)])
    front = intersect(front, box(2, 11, 30, 27, 1.5))
    handle = line(29.5, 2.5, 20, 16.5, max(2.2, 1.4 * px))
    bristles = polygon([(18.2, 15.2), (22.6, 18.2), (21.5, 29.5), (11.5, 27)])
    band = line(17.9, 16.4, 22.4, 19.4, 1.6)
    sparkle = star(8.5, 19.5, 6, 1.4) if n > 16 else star(7, 19, 5.2, 2.0)
    layers = (outlined(back, (222, 158, 36), brown, px)
              + outlined(front, gradient((255, 222, 110), (244, 178, 40), 0, 12, 0, 27), brown, px)
              + outlined(handle, (176, 104, 44), (84, 46, 14), px)
              + outlined(bristles, gradient((240, 214, 150), (200, 152, 72), 0, 16, 0, 29), (96, 62, 20), px))
    if n > 16:  # the binding and the sparkle's outline only muddy the small size
        return layers + [(band, (200, 40, 40))] + outlined(sparkle, (255, 255, 255), (190, 120, 20), 0.8)
    return layers + [(sparkle, (255, 255, 255))]


def compass_icon(n):
    px = 32 / n
    disc = circle(16, 16, 15)
    navy = gradient((44, 82, 168), (10, 26, 78), 8, 2, 24, 30)

    def rose(x, y):  # split each point into a lit and a shaded half
        a = math.atan2(y - 16, x - 16) % (math.pi / 2)
        return (255, 255, 255) if a < math.pi / 4 else (176, 196, 228)
    ring = lambda x, y: abs(math.hypot(x - 16, y - 16) - 11) - 0.6
    layers = outlined(disc, navy, (6, 14, 46), px)
    if n == 16:  # no bezel ring or hub at this size, and slightly fatter points
        return layers + [(star(16, 16, 9, 2, 4, math.pi / 4), (120, 170, 235)), (star(16, 16, 13.5, 3.6), rose)]
    return layers + [(ring, (110, 150, 215)), (star(16, 16, 8.5, 2, 4, math.pi / 4), (120, 170, 235)),
                     (star(16, 16, 13.5, 3), rose), (circle(16, 16, 1.6), (18, 40, 110))]


def globe_icon(n):
    px = 32 / n
    cx, cy, r, tilt = 16, 16, 11, -0.45
    orbit = polyline(ellipse_pts(cx, cy, 15, 5, tilt), 2.0 if n > 16 else 2.4)
    ow = 0.7 if n > 16 else 0.8  # ring outline
    ca, sa = math.cos(tilt), math.sin(tilt)
    front_half = lambda x, y: -(-(x - cx) * sa + (y - cy) * ca)  # lower half in the ring's frame
    orbit_front = intersect(orbit, front_half)
    gold, gold_edge = (250, 190, 50), (150, 96, 10)
    sea = gradient((120, 200, 255), (16, 84, 190), 9, 7, 23, 25)
    inner = circle(cx, cy, r - 0.5 * px)
    lw, ink = 0.9 * px, (235, 248, 255, 150 if n > 16 else 190)
    grid = [line(cx, cy - r, cx, cy + r, lw), line(cx - r, cy, cx + r, cy, lw),
            polyline(ellipse_pts(cx, cy, 5.5, r), lw)]
    if n > 16:
        grid += [line(cx - r, cy - 6, cx + r, cy - 6, lw), line(cx - r, cy + 6, cx + r, cy + 6, lw)]
    return (outlined(orbit, gold, gold_edge, ow)
            + outlined(circle(cx, cy, r), sea, (8, 48, 120), px)
            + [(intersect(g, inner), ink) for g in grid]
            + outlined(orbit_front, gold, gold_edge, ow))


ICONS = {"folder.ico": folder_icon, "netscape.ico": compass_icon, "explorer.ico": globe_icon}


# ---- rasterising and .ico encoding ----

def render(layers, n):
    """Return n rows (top-down) of straight-alpha (r, g, b, a) byte tuples."""
    scale = 32 / n
    rows = []
    for j in range(n):
        row = []
        for i in range(n):
            acc = [0.0] * 4
            for sj in range(SS):
                for si in range(SS):
                    x, y = (i + (si + 0.5) / SS) * scale, (j + (sj + 0.5) / SS) * scale
                    p = [0.0] * 4  # premultiplied sample, painted back to front
                    for shape, col in layers:
                        if shape(x, y) <= 0:
                            c = col(x, y) if callable(col) else col
                            a = c[3] / 255 if len(c) > 3 else 1.0
                            p = [c[k] * a + p[k] * (1 - a) for k in range(3)] + [a + p[3] * (1 - a)]
                    acc = [s + v for s, v in zip(acc, p)]
            a = acc[3] / (SS * SS)
            if a * 255 < 0.5:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(min(255, round(acc[k] / acc[3])) for k in range(3)) + (round(a * 255),))
        rows.append(row)
    return rows


def encode_image(rows, n):
    stride = (n + 31) // 32 * 4
    xor, mask = bytearray(), bytearray()
    for row in reversed(rows):  # bottom-up
        bits = bytearray(stride)
        for i, (r, g, b, a) in enumerate(row):
            xor += bytes((b, g, r, a))
            if a == 0:
                bits[i >> 3] |= 0x80 >> (i & 7)
        mask += bits
    hdr = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return hdr + bytes(xor) + bytes(mask)


def build_ico(make):
    images = [(n, encode_image(render(make(n), n), n)) for n in SIZES]
    out, off = bytearray(struct.pack("<HHH", 0, 1, len(images))), 6 + 16 * len(images)
    for n, data in images:
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(data), off)
        off += len(data)
    for _, data in images:
        out += data
    return bytes(out)


def check_ico(path):
    data = path.read_bytes()
    assert struct.unpack_from("<HHH", data, 0) == (0, 1, len(SIZES)), "bad ICONDIR"
    expect = 6 + 16 * len(SIZES)
    for k, n in enumerate(SIZES):
        w, h, colors, res, planes, bpp, size, off = struct.unpack_from("<BBBBHHII", data, 6 + 16 * k)
        stride = (n + 31) // 32 * 4
        assert (w, h, colors, res, planes, bpp) == (n, n, 0, 0, 1, 32), f"entry {k} header"
        assert off == expect and size == 40 + n * n * 4 + stride * n, f"entry {k} size/offset"
        bi = struct.unpack_from("<IiiHHI", data, off)
        assert bi == (40, n, 2 * n, 1, 32, 0), f"entry {k} BITMAPINFOHEADER"
        xor, mask = off + 40, off + 40 + n * n * 4
        for y in range(n):
            for x in range(n):
                transparent = data[xor + (y * n + x) * 4 + 3] == 0
                bit = data[mask + y * stride + x // 8] >> (7 - x % 8) & 1
                assert bit == transparent, f"entry {k} mask mismatch at {x},{y}"
        expect = off + size
    assert expect == len(data), "trailing bytes"


def write_or_check(icons, default_outdir, description):
    """The command line of an icon script: write `icons` ({file name: painter})
    into OUTDIR (default `default_outdir`), or with --check validate them."""
    ap = argparse.ArgumentParser(description=description)
    ap.add_argument("outdir", nargs="?", type=Path, default=default_outdir)
    ap.add_argument("--check", action="store_true", help="validate existing icons instead of writing")
    args = ap.parse_args()
    for name, make in icons.items():
        path = args.outdir / name
        if args.check:
            check_ico(path)
            print(f"ok     {path} ({path.stat().st_size} bytes)")
        else:
            args.outdir.mkdir(parents=True, exist_ok=True)
            path.write_bytes(build_ico(make))
            print(f"wrote  {path} ({path.stat().st_size} bytes)")
    return 0


def main():
    return write_or_check(ICONS, Path(__file__).resolve().parent.parent / "cleaners" / "res",
                          __doc__.splitlines()[0])


if __name__ == "__main__":
    sys.exit(main())
