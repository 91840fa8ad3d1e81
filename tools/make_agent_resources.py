#!/usr/bin/env python3
"""Generate the resources of the tray-resident agent.

  agent.ico        (resource 110)  larkspur spike: violet-blue blossoms on a green stem,
                                   one 32x32 image (32-bit BGRA plus a 1-bpp AND mask)
  hand.cur         (resource 113)  monochrome pointing hand, 32x32, hot spot at the
                                   index fingertip (7,0)
  compacting.avi   (resource 115)  uncompressed AVI for the animation control: sheets of
                                   paper flying out of an open folder, 4 frames of 32x32
                                   at 8 bpp with an 8-colour palette, 200 ms a frame

The icon reuses the signed-distance shapes and renderer of make_icons.py. The animation
frames are drawn with the same shapes, but each pixel takes the palette colour that covers
most of its supersamples, so edges stay crisp. Standard library only; output is
byte-for-byte repeatable.

Usage:
  python3 tools/make_agent_resources.py [OUTDIR]                # write (default agent/res)
  python3 tools/make_agent_resources.py [OUTDIR] --check        # validate the files in OUTDIR
  python3 tools/make_agent_resources.py [OUTDIR] --dump DIR     # also write the AVI frames as PPM
"""
import argparse
import math
import struct
import sys
from pathlib import Path

TOOLS = Path(__file__).resolve().parent
sys.dont_write_bytecode = True  # keep tools/ free of __pycache__
sys.path.insert(0, str(TOOLS))
from make_icons import (box, circle, ellipse_pts, encode_image, gradient, grow, line,  # noqa: E402
                        polygon, render, union)

ICON_SIZE = 32
CURSOR_SIZE = 32
HOTSPOT = (7, 0)
AVI_SIZE = 32
AVI_FRAMES = 4
AVI_RATE = 5                         # frames per second (dwRate / dwScale)
AVI_USEC = 1000000 // AVI_RATE       # 200 ms a frame
AVIF_HASINDEX = 0x10
AVIIF_KEYFRAME = 0x10


# ---- agent.ico: a larkspur spike ----

def agent_icon(n):
    """Bold shapes and a single dark silhouette outline: the tray shrinks this image to
    16x16, often by simply sampling every other pixel, and thin inner lines would turn
    into speckles."""
    px = 32 / n
    edge = (40, 22, 78)
    stem = union(line(15.4, 30.5, 15.8, 20, 2.6), line(15.8, 20, 16.6, 6, 2.2))
    leaves = union(polygon(ellipse_pts(10.0, 27.4, 6.0, 2.3, -0.5)),
                   polygon(ellipse_pts(21.4, 26.8, 6.0, 2.3, 0.58)))
    # blossoms from the bottom of the spike to the top, shrinking as they go; the lowest
    # are deep violet, the top ones a light blue-violet
    blossoms = [(12.0, 20.4, 4.9), (20.2, 17.2, 4.5), (12.8, 12.2, 4.0),
                (19.6, 8.8, 3.5), (14.8, 5.0, 3.0)]
    bud = circle(18.8, 1.9, 1.6)
    lo, hi = (118, 56, 212), (132, 150, 255)

    def petals(cx, cy, r):
        return union(*[circle(cx + 0.5 * r * math.cos(a), cy + 0.5 * r * math.sin(a), 0.52 * r)
                       for a in (-math.pi / 2 + 2 * math.pi * i / 5 for i in range(5))])
    flowers = [petals(*b) for b in blossoms]
    layers = [(grow(union(stem, leaves, bud, *flowers), 1.1 * px), edge),
              (stem, (64, 146, 48)), (leaves, gradient((128, 204, 90), (48, 128, 40), 0, 23, 0, 31))]
    for k, ((cx, cy, r), f) in enumerate(zip(blossoms, flowers)):
        t = k / (len(blossoms) - 1)
        base = tuple(a + (b - a) * t for a, b in zip(lo, hi))
        rim = tuple(c * 0.72 for c in base)
        light = tuple(min(255, c + 64) for c in base)
        layers += [(f, rim), (grow(f, -0.8), gradient(light, base, cx - r, cy - r, cx + r, cy + r)),
                   (circle(cx, cy, 0.34 * r), (255, 240, 170))]
    layers.append((bud, hi))
    return layers


def build_ico():
    n = ICON_SIZE
    data = encode_image(render(agent_icon(n), n), n)
    return (struct.pack("<HHH", 0, 1, 1)
            + struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(data), 6 + 16)
            + data)


def check_ico(data):
    n = ICON_SIZE
    stride = (n + 31) // 32 * 4
    assert struct.unpack_from("<HHH", data, 0) == (0, 1, 1), "bad ICONDIR"
    w, h, colors, res, planes, bpp, size, off = struct.unpack_from("<BBBBHHII", data, 6)
    assert (w, h, colors, res, planes, bpp) == (n, n, 0, 0, 1, 32), "entry header"
    assert off == 22 and size == 40 + n * n * 4 + stride * n, "entry size/offset"
    assert off + size == len(data), "trailing bytes"
    bi = struct.unpack_from("<IiiHHII", data, off)
    assert bi == (40, n, 2 * n, 1, 32, 0, n * n * 4 + stride * n), "BITMAPINFOHEADER"
    xor, mask = off + 40, off + 40 + n * n * 4
    opaque = 0
    for y in range(n):
        for x in range(n):
            alpha = data[xor + (y * n + x) * 4 + 3]
            bit = data[mask + y * stride + x // 8] >> (7 - x % 8) & 1
            assert bit == (alpha == 0), f"mask mismatch at {x},{y}"
            opaque += alpha == 255
    assert opaque > n * n // 5, "icon is nearly empty"
    return f"1 image {n}x{n} 32bpp, {opaque} opaque pixels"


# ---- hand.cur: monochrome pointing hand ----
# '#' black, 'o' white, anything else transparent. Rows are padded to 32 with transparency.

HAND = """
......###
.....#ooo#
.....#ooo#
.....#ooo#
.....#ooo#
.....#ooo#
.....#ooo####
.....#ooo#ooo####
.....#ooo#ooo#ooo#
.....#ooo#ooo#ooo###
.....#ooo#ooo#ooo#oo#
.....#ooo#ooo#ooo#oo#
.##..#ooo#ooo#ooo#oo#
#oo#.#oooooooooooooo#
#ooo##oooooooooooooo#
.#ooo#oooooooooooooo#
..#ooooooooooooooooo#
...#oooooooooooooooo#
....#ooooooooooooooo#
.....#oooooooooooooo#
......#ooooooooooooo#
......#oooooooooooo#
.......#ooooooooooo#
.......#ooooooooooo#
.......#############
"""


def hand_pixels():
    rows = HAND.strip("\n").split("\n")
    assert len(rows) <= CURSOR_SIZE and all(len(r) <= CURSOR_SIZE for r in rows)
    rows = [r.ljust(CURSOR_SIZE, ".") for r in rows]
    rows += ["." * CURSOR_SIZE] * (CURSOR_SIZE - len(rows))
    return rows


def build_cur():
    n = CURSOR_SIZE
    stride = (n + 31) // 32 * 4
    xor, mask = bytearray(), bytearray()
    for row in reversed(hand_pixels()):  # bottom-up
        xbits, abits = bytearray(stride), bytearray(stride)
        for i, ch in enumerate(row):
            if ch == "o":
                xbits[i >> 3] |= 0x80 >> (i & 7)
            elif ch != "#":
                abits[i >> 3] |= 0x80 >> (i & 7)
        xor += xbits
        mask += abits
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    hdr = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 0)
    image = hdr + palette + bytes(xor) + bytes(mask)
    return (struct.pack("<HHH", 0, 2, 1)
            + struct.pack("<BBBBHHII", n, n, 2, 0, HOTSPOT[0], HOTSPOT[1], len(image), 6 + 16)
            + image)


def check_cur(data):
    n = CURSOR_SIZE
    stride = (n + 31) // 32 * 4
    assert struct.unpack_from("<HHH", data, 0) == (0, 2, 1), "bad ICONDIR (want type 2, 1 image)"
    w, h, colors, res, hx, hy, size, off = struct.unpack_from("<BBBBHHII", data, 6)
    assert (w, h, colors, res) == (n, n, 2, 0), "entry header"
    assert (hx, hy) == HOTSPOT, f"hot spot is {hx},{hy}"
    assert off == 22 and size == 40 + 8 + 2 * stride * n and off + size == len(data), "size/offset"
    bi = struct.unpack_from("<IiiHHIIiiII", data, off)
    assert bi == (40, n, 2 * n, 1, 1, 0, 2 * stride * n, 0, 0, 2, 0), "BITMAPINFOHEADER"
    assert data[off + 40:off + 48] == bytes((0, 0, 0, 0, 255, 255, 255, 0)), "palette"
    xor, mask = off + 48, off + 48 + stride * n

    def bit(base, x, y):  # y counts from the top
        return data[base + (n - 1 - y) * stride + x // 8] >> (7 - x % 8) & 1
    counts = {"black": 0, "white": 0, "clear": 0}
    for y in range(n):
        for x in range(n):
            a, c = bit(mask, x, y), bit(xor, x, y)
            assert not (a and c), f"inverting pixel at {x},{y}"
            counts["clear" if a else "white" if c else "black"] += 1
    assert bit(mask, *HOTSPOT) == 0, "hot spot pixel is transparent"
    assert any(not bit(mask, x, 0) for x in range(n)), "the fingertip does not reach the top row"
    return f"hot spot {hx},{hy}, {counts['black']} black / {counts['white']} white pixels"


# ---- compacting.avi: sheets flying out of a folder ----

BG, BLACK, WHITE, DARK_YELLOW, YELLOW, GREY, BLUE, LIGHT_YELLOW = range(8)
PALETTE = [(192, 192, 192),   # dialog face: the control takes the top-left pixel as transparent
           (0, 0, 0), (255, 255, 255), (196, 140, 0), (255, 206, 60),
           (128, 128, 128), (0, 0, 160), (255, 238, 150)]
SHEETS = 3          # sheets in flight at once, evenly spaced along the path


def rect(cx, cy, w, h, angle):
    """Rectangle centred on (cx, cy), turned by angle (radians)."""
    ca, sa = math.cos(angle), math.sin(angle)
    pts = [(-w / 2, -h / 2), (w / 2, -h / 2), (w / 2, h / 2), (-w / 2, h / 2)]
    return [(cx + x * ca - y * sa, cy + x * sa + y * ca) for x, y in pts]


def sheet(t):
    """Paint layers of one sheet at t in [0, 1) along its flight out of the folder."""
    p0, p1, p2 = (10.0, 21.0), (11.0, -3.0), (38.0, 9.0)  # quadratic Bezier, leaves on the right
    u = 1 - t
    cx = u * u * p0[0] + 2 * u * t * p1[0] + t * t * p2[0]
    cy = u * u * p0[1] + 2 * u * t * p1[1] + t * t * p2[1]
    angle = 0.8 * t                # tips over clockwise as it goes
    s = 1.0 - 0.25 * t             # and shrinks a little into the distance
    w, h = 8 * s, 10 * s
    ca, sa = math.cos(angle), math.sin(angle)
    body = polygon(rect(cx, cy, w, h, angle))
    layers = [(grow(body, 1.0), BLACK), (body, WHITE)]
    for oy in (-0.2 * h, 0.1 * h):  # two lines of writing
        ax, bx = -w * 0.25, w * 0.25
        layers.append((line(cx + ax * ca - oy * sa, cy + ax * sa + oy * ca,
                            cx + bx * ca - oy * sa, cy + bx * sa + oy * ca, 1.0), BLUE))
    return layers


def avi_frame(f):
    """Paint layers of frame f: the folder's back, the sheets in flight, the folder's front."""
    back = union(box(1, 16, 22, 30, 1), box(1, 14, 10, 19, 1))
    front = polygon([(1, 21), (19, 21), (24, 30), (1, 30)])
    layers = [(grow(back, 1.0), BLACK), (back, DARK_YELLOW)]
    phases = sorted(((f / AVI_FRAMES + k / SHEETS) % 1.0 for k in range(SHEETS)), reverse=True)
    for t in phases:               # the newest sheet (smallest t) paints last, over the rest
        layers += sheet(t)
    layers += [(grow(front, 1.0), BLACK), (front, YELLOW),
               (polygon([(2, 22), (18.4, 22), (19.3, 23.6), (2, 23.6)]), LIGHT_YELLOW)]
    return layers


def render_indexed(layers, n, ss=4):
    """Return n rows (top-down) of palette indices; a pixel takes the colour of most samples."""
    rows = []
    for j in range(n):
        row = []
        for i in range(n):
            votes = [0] * len(PALETTE)
            for sj in range(ss):
                for si in range(ss):
                    x, y = i + (si + 0.5) / ss, j + (sj + 0.5) / ss
                    c = BG
                    for shape, col in layers:
                        if shape(x, y) <= 0:
                            c = col
                    votes[c] += 1
            row.append(max(range(len(PALETTE)), key=lambda c: (votes[c], -c)))
        rows.append(row)
    rows[0][0] = BG  # the control keys transparency on this pixel
    return rows


def chunk(fourcc, payload):
    data = fourcc + struct.pack("<I", len(payload)) + payload
    return data + b"\0" * (len(payload) & 1)


def riff_list(kind, fourcc, body):
    return chunk(kind, fourcc + body)


def avi_frames():
    return [render_indexed(avi_frame(f), AVI_SIZE) for f in range(AVI_FRAMES)]


def build_avi(frames):
    n = AVI_SIZE
    stride = (n + 3) // 4 * 4
    frame_bytes = stride * n
    avih = struct.pack("<10I4I", AVI_USEC, frame_bytes * AVI_RATE, 0, AVIF_HASINDEX, AVI_FRAMES,
                       0, 1, frame_bytes, n, n, 0, 0, 0, 0)
    strh = struct.pack("<4s4sIHHIIIIIIII4h", b"vids", b"DIB ", 0, 0, 0, 0, 1, AVI_RATE, 0,
                       AVI_FRAMES, frame_bytes, 0xFFFFFFFF, 0, 0, 0, n, n)
    strf = (struct.pack("<IiiHHIIiiII", 40, n, n, 1, 8, 0, frame_bytes, 0, 0, len(PALETTE), 0)
            + b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE))
    hdrl = riff_list(b"LIST", b"hdrl", chunk(b"avih", avih)
                     + riff_list(b"LIST", b"strl", chunk(b"strh", strh) + chunk(b"strf", strf)))
    movi_body, index = b"", b""
    for rows in frames:
        pixels = b"".join(bytes(row) + b"\0" * (stride - n) for row in reversed(rows))  # bottom-up
        # idx1 offsets count from the 'movi' fourcc
        index += struct.pack("<4sIII", b"00db", AVIIF_KEYFRAME, 4 + len(movi_body), len(pixels))
        movi_body += chunk(b"00db", pixels)
    movi = riff_list(b"LIST", b"movi", movi_body)
    return riff_list(b"RIFF", b"AVI ", hdrl + movi + chunk(b"idx1", index))


def parse_chunks(data, start, end):
    """Return [(fourcc, list type or None, payload offset, payload size)] between start and end."""
    out, pos = [], start
    while pos < end:
        assert pos + 8 <= end, f"truncated chunk header at {pos}"
        fourcc, size = struct.unpack_from("<4sI", data, pos)
        assert pos + 8 + size <= end, f"chunk {fourcc} at {pos} overruns its parent"
        kind = data[pos + 8:pos + 12] if fourcc in (b"RIFF", b"LIST") else None
        out.append((fourcc, kind, pos + 8, size))
        pos += 8 + size + (size & 1)
    assert pos == end, "chunks do not fill their parent"
    return out


def check_avi(data):
    n = AVI_SIZE
    stride = (n + 3) // 4 * 4
    frame_bytes = stride * n
    (riff,) = parse_chunks(data, 0, len(data))
    assert riff[:2] == (b"RIFF", b"AVI "), "not a RIFF 'AVI ' file"
    top = parse_chunks(data, riff[2] + 4, riff[2] + riff[3])
    assert [(c[0], c[1]) for c in top] == [(b"LIST", b"hdrl"), (b"LIST", b"movi"), (b"idx1", None)], \
        f"top-level layout {[(c[0], c[1]) for c in top]}"
    hdrl, movi, idx1 = top
    hdr = parse_chunks(data, hdrl[2] + 4, hdrl[2] + hdrl[3])
    assert [(c[0], c[1]) for c in hdr] == [(b"avih", None), (b"LIST", b"strl")], "hdrl layout"
    assert hdr[0][3] == 56, "avih size"
    avih = struct.unpack_from("<10I", data, hdr[0][2])
    assert avih[0] == AVI_USEC, f"dwMicroSecPerFrame {avih[0]}"
    assert avih[3] & AVIF_HASINDEX, "dwFlags lacks AVIF_HASINDEX"
    assert avih[4] == AVI_FRAMES and avih[6] == 1, "dwTotalFrames / dwStreams"
    assert avih[8:10] == (n, n), "dwWidth / dwHeight"
    strl = parse_chunks(data, hdr[1][2] + 4, hdr[1][2] + hdr[1][3])
    assert [c[0] for c in strl] == [b"strh", b"strf"], "strl layout"
    assert strl[0][3] == 56, "strh size"
    strh = struct.unpack_from("<4s4sIHHIIIIIIII4h", data, strl[0][2])
    assert strh[0] == b"vids" and strh[1] in (b"DIB ", b"\0\0\0\0"), "stream type / handler"
    assert strh[6:10] == (1, AVI_RATE, 0, AVI_FRAMES), "dwScale / dwRate / dwStart / dwLength"
    assert strh[-4:] == (0, 0, n, n), "rcFrame"
    assert strl[1][3] == 40 + 4 * len(PALETTE), "strf size"
    bi = struct.unpack_from("<IiiHHIIiiII", data, strl[1][2])
    assert bi == (40, n, n, 1, 8, 0, frame_bytes, 0, 0, len(PALETTE), 0), "strf BITMAPINFOHEADER"
    pal = data[strl[1][2] + 40:strl[1][2] + 40 + 4 * len(PALETTE)]
    assert pal == b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE), "palette"
    frames = parse_chunks(data, movi[2] + 4, movi[2] + movi[3])
    assert [c[0] for c in frames] == [b"00db"] * AVI_FRAMES, "movi holds the wrong chunks"
    assert idx1[3] == 16 * AVI_FRAMES, "idx1 size"
    images = []
    for k, (_, _, off, size) in enumerate(frames):
        assert size == frame_bytes, f"frame {k} size {size}"
        ckid, flags, rel, length = struct.unpack_from("<4sIII", data, idx1[2] + 16 * k)
        assert (ckid, length) == (b"00db", size) and flags & AVIIF_KEYFRAME, f"idx1 entry {k}"
        assert movi[2] + rel == off - 8, f"idx1 entry {k} offset"
        px = data[off:off + size]
        assert max(px) < len(PALETTE), f"frame {k} uses colours beyond the palette"
        assert px[(n - 1) * stride] == BG, f"frame {k} top-left pixel is not the background"
        images.append(px)
    assert len(set(images)) == AVI_FRAMES, "frames repeat"
    return f"{AVI_FRAMES} frames {n}x{n} 8bpp, {len(PALETTE)}-colour palette, {avih[0] // 1000} ms a frame"


def dump_frames(data, outdir):
    """Write each AVI frame as a binary PPM, for looking at."""
    outdir.mkdir(parents=True, exist_ok=True)
    n, stride = AVI_SIZE, (AVI_SIZE + 3) // 4 * 4
    (riff,) = parse_chunks(data, 0, len(data))
    movi = parse_chunks(data, riff[2] + 4, riff[2] + riff[3])[1]
    for k, (_, _, off, _) in enumerate(parse_chunks(data, movi[2] + 4, movi[2] + movi[3])):
        rgb = b"".join(bytes(PALETTE[data[off + (n - 1 - y) * stride + x]])
                       for y in range(n) for x in range(n))
        path = outdir / f"frame{k}.ppm"
        path.write_bytes(b"P6\n%d %d\n255\n" % (n, n) + rgb)
        print(f"dumped {path}")


OUTPUTS = {
    "agent.ico": (build_ico, check_ico),
    "hand.cur": (build_cur, check_cur),
    "compacting.avi": (lambda: build_avi(avi_frames()), check_avi),
}


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("outdir", nargs="?", type=Path, default=TOOLS.parent / "agent" / "res")
    ap.add_argument("--check", action="store_true", help="validate existing files instead of writing")
    ap.add_argument("--dump", type=Path, metavar="DIR", help="also write the AVI frames as PPM into DIR")
    args = ap.parse_args()
    for name, (build, check) in OUTPUTS.items():
        path = args.outdir / name
        if args.check:
            print(f"ok     {path} ({path.stat().st_size} bytes): {check(path.read_bytes())}")
        else:
            args.outdir.mkdir(parents=True, exist_ok=True)
            data = build()
            check(data)
            path.write_bytes(data)
            print(f"wrote  {path} ({len(data)} bytes)")
    if args.dump:
        dump_frames((args.outdir / "compacting.avi").read_bytes(), args.dump)
    return 0


if __name__ == "__main__":
    sys.exit(main())
