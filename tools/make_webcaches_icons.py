#!/usr/bin/env python3
"""Generate the icon embedded in the web browser caches server (LSWebCaches.dll).

The .ico holds a 32x32 and a 16x16 image (32-bit BGRA plus a 1-bpp AND mask),
drawn with the shapes and rasteriser of tools/make_icons.py:
  webcaches.ico  (resource 101)  a browser window with a tab, a globe on its
                                 page and the cleaning sparkle of the
                                 server's folder icon

Usage:
  python3 tools/make_webcaches_icons.py [OUTDIR]           # write the icon (default webcaches/res)
  python3 tools/make_webcaches_icons.py [OUTDIR] --check   # validate the icon in OUTDIR
"""
import math
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from make_icons import (box, circle, ellipse_pts, gradient, intersect, line, outlined, polyline,  # noqa: E402
                        star, union, write_or_check)


def browser_icon(n):
    px = 32 / n
    edge = (44, 58, 92)
    tab = box(4, 3, 15, 9, 1.5)
    frame = union(box(1.5, 6, 30.5, 28.5, 2.5), tab)
    bar = intersect(box(1.5, 6, 30.5, 11.5, 2.5), frame)
    page = box(3.5, 11.5, 28.5, 26.5, 0.8)
    layers = (outlined(frame, gradient((92, 140, 220), (40, 80, 170), 0, 3, 0, 12), edge, px)
              + [(bar, gradient((120, 168, 240), (60, 104, 196), 0, 6, 0, 11.5))]
              + [(page, (250, 252, 255))])
    cx, cy, r = 13, 19, 5.6 if n > 16 else 6.2
    sea = gradient((120, 200, 255), (20, 96, 200), cx - r, cy - r, cx + r, cy + r)
    layers += outlined(circle(cx, cy, r), sea, (16, 60, 140), px * 0.8)
    if n > 16:  # meridians only where they can be seen
        lw = 0.8
        inner = circle(cx, cy, r - 0.6)
        for g in (line(cx, cy - r, cx, cy + r, lw), line(cx - r, cy, cx + r, cy, lw),
                  polyline(ellipse_pts(cx, cy, 2.6, r), lw)):
            layers.append((intersect(g, inner), (235, 248, 255, 170)))
        layers += [(circle(27, 8.8, 1.1), (255, 255, 255)), (circle(23.5, 8.8, 1.1), (210, 226, 250))]
    sparkle = star(23.5, 19.5, 6.5, 1.5) if n > 16 else star(23, 19, 6, 2.2)
    layers += outlined(sparkle, (255, 214, 60), (170, 110, 10), 0.8 if n > 16 else px * 0.6)
    return layers


ICONS = {"webcaches.ico": browser_icon}


def main():
    return write_or_check(ICONS, Path(__file__).resolve().parent.parent / "webcaches" / "res",
                          __doc__.splitlines()[0])


if __name__ == "__main__":
    sys.exit(main())
