#!/usr/bin/env python3
"""Generate the icons embedded in the settings applet (LS5Panel.exe).

Each .ico holds a 32x32 and a 16x16 image (32-bit BGRA plus a 1-bpp AND mask),
drawn with the shapes and rasteriser of tools/make_icons.py:
  controls.ico  (resource 102)  the program's icon: a settings panel with three sliders
  schedule.ico  (resource 105)  the Schedule page's icon: an alarm clock

Usage:
  python3 tools/make_controls_icons.py [OUTDIR]           # write icons (default controls/res)
  python3 tools/make_controls_icons.py [OUTDIR] --check   # validate the icons in OUTDIR
"""
import math
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from make_icons import box, circle, gradient, line, outlined, polygon, write_or_check  # noqa: E402


def panel_icon(n):
    px = 32 / n
    frame = box(2, 3, 30, 29, 2.5)
    layers = outlined(frame, gradient((236, 240, 248), (176, 188, 210), 0, 3, 0, 29), (60, 72, 100), px)
    knobs = ((9, 11, (214, 58, 48)), (16, 20, (46, 140, 70)), (23, 9, (40, 96, 200)))
    width = 1.6 if n > 16 else 2.0
    for x, knob_y, colour in knobs:
        layers.append((line(x, 7, x, 25, width), (70, 78, 96)))
    for x, knob_y, colour in knobs:
        knob = box(x - 3.2, knob_y - 2.2, x + 3.2, knob_y + 2.2, 1.0)
        layers += outlined(knob, colour, (30, 30, 40), 0.8 * px)
    return layers


def clock_icon(n):
    px = 32 / n
    cx, cy, r = 16, 17.5, 11.5
    bells = []
    if n > 16:
        for side in (-1, 1):
            bx = cx + side * 9
            bells += outlined(polygon([(bx - 5 * side, 6.5), (bx + 1.5 * side, 1.5), (bx + 5.5 * side, 7.5)]),
                              (228, 178, 40), (120, 80, 10), px)
        bells += outlined(line(10, 29.5, 8, 31, 2), (90, 90, 100), (40, 40, 50), 0.6)
        bells += outlined(line(22, 29.5, 24, 31, 2), (90, 90, 100), (40, 40, 50), 0.6)
    layers = bells + outlined(circle(cx, cy, r), gradient((210, 60, 50), (140, 24, 20), 8, 8, 24, 28),
                              (80, 12, 10), px)
    layers.append((circle(cx, cy, r - 2.4), (252, 252, 246)))
    if n > 16:
        for k in range(12):
            a = 2 * math.pi * k / 12
            x0, y0 = cx + (r - 3.6) * math.sin(a), cy - (r - 3.6) * math.cos(a)
            x1, y1 = cx + (r - 4.8) * math.sin(a), cy - (r - 4.8) * math.cos(a)
            layers.append((line(x0, y0, x1, y1, 1.0), (90, 90, 100)))
    hand = 1.6 if n > 16 else 2.2
    layers.append((line(cx, cy, cx + 5.0, cy, hand), (30, 30, 40)))          # hour hand: three
    layers.append((line(cx, cy, cx, cy - 7.2, hand * 0.8), (30, 30, 40)))    # minute hand: twelve
    layers.append((circle(cx, cy, 1.3 if n > 16 else 1.6), (200, 40, 30)))
    return layers


ICONS = {"controls.ico": panel_icon, "schedule.ico": clock_icon}


def main():
    return write_or_check(ICONS, Path(__file__).resolve().parent.parent / "controls" / "res",
                          __doc__.splitlines()[0])


if __name__ == "__main__":
    sys.exit(main())
