#!/usr/bin/env python3
"""Draws the plug-in's icons and writes them as baseline TIFF files beside this script.

Each icon is 32 x 32 pixels, 8-bit RGB, uncompressed, in one strip. The glyphs are built from
a few filled shapes and sampled 4 x 4 times per pixel for smooth edges. Only the standard
library is used, so the icons can be remade anywhere:

    python3 make_icons.py            # writes every icon into the folder of this script
    python3 make_icons.py OUTDIR     # writes them into OUTDIR
"""

import math
import os
import struct
import sys

SIZE = 32
SUPERSAMPLE = 4


# ---------------------------------------------------------------------------- shapes
# A shape is a function of a point (x, y) in pixel units, origin at the top left, that says
# whether the point is inside. A layer is (shape, colour); later layers cover earlier ones.

def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_outer, r_inner):
    return lambda x, y: r_inner * r_inner < (x - cx) ** 2 + (y - cy) ** 2 <= r_outer * r_outer


def polygon(points):
    """Even-odd point-in-polygon test."""
    def inside(x, y):
        hit = False
        n = len(points)
        for i in range(n):
            xa, ya = points[i]
            xb, yb = points[(i + 1) % n]
            if (ya > y) != (yb > y):
                xc = xa + (y - ya) * (xb - xa) / (yb - ya)
                if x < xc:
                    hit = not hit
        return hit
    return inside


def segment(xa, ya, xb, yb, width):
    """A thick line with round ends."""
    dx, dy = xb - xa, yb - ya
    length2 = dx * dx + dy * dy
    half = width / 2.0

    def inside(x, y):
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - xa) * dx + (y - ya) * dy) / length2))
        px, py = xa + t * dx, ya + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half * half
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def shaded_sphere(cx, cy, r, base, light=(0.35, 0.3)):
    """A sphere with a soft highlight: returns (shape, colour function)."""
    lx, ly = cx - r * light[0], cy - r * light[1]

    def colour(x, y):
        d = math.sqrt((x - lx) ** 2 + (y - ly) ** 2) / (1.6 * r)
        k = max(0.0, 1.0 - d)
        return tuple(min(255, int(c * (0.55 + 0.45 * k) + 255 * 0.35 * k ** 3)) for c in base)
    return circle(cx, cy, r), colour


# ---------------------------------------------------------------------------- drawing

def render(background, layers):
    """Rasterises the layers over a rounded-square background; returns RGB bytes, row by row."""
    frame = union(rect(2, 0.5, 30, 31.5), rect(0.5, 2, 31.5, 30),
                  circle(2, 2, 1.5), circle(30, 2, 1.5), circle(2, 30, 1.5), circle(30, 30, 1.5))
    out = bytearray()
    step = 1.0 / SUPERSAMPLE
    for py in range(SIZE):
        for px in range(SIZE):
            acc = [0, 0, 0]
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    x = px + (sx + 0.5) * step
                    y = py + (sy + 0.5) * step
                    colour = background if frame(x, y) else (255, 255, 255)
                    for shape, paint in layers:
                        if shape(x, y):
                            colour = paint(x, y) if callable(paint) else paint
                    for i in range(3):
                        acc[i] += colour[i]
            n = SUPERSAMPLE * SUPERSAMPLE
            out.extend(int(round(a / n)) for a in acc)
    return bytes(out)


# ---------------------------------------------------------------------------- TIFF

def tiff_bytes(width, height, rgb):
    """A little-endian baseline RGB TIFF: header, one IFD, then the values that do not fit in
    their IFD entries, then the pixels in a single strip."""
    assert len(rgb) == width * height * 3
    SHORT, LONG, RATIONAL = 3, 4, 5
    entry_count = 13
    ifd_offset = 8
    ifd_size = 2 + entry_count * 12 + 4
    bits_offset = ifd_offset + ifd_size           # 3 SHORTs: 8, 8, 8
    xres_offset = bits_offset + 6                 # RATIONAL 72/1
    yres_offset = xres_offset + 8                 # RATIONAL 72/1
    pixels_offset = yres_offset + 8

    def entry(tag, kind, count, value):
        if kind == SHORT and count == 1:
            return struct.pack('<HHIHH', tag, kind, count, value, 0)
        return struct.pack('<HHII', tag, kind, count, value)

    entries = [
        entry(256, SHORT, 1, width),              # ImageWidth
        entry(257, SHORT, 1, height),             # ImageLength
        entry(258, SHORT, 3, bits_offset),        # BitsPerSample
        entry(259, SHORT, 1, 1),                  # Compression: none
        entry(262, SHORT, 1, 2),                  # PhotometricInterpretation: RGB
        entry(273, LONG, 1, pixels_offset),       # StripOffsets
        entry(277, SHORT, 1, 3),                  # SamplesPerPixel
        entry(278, SHORT, 1, height),             # RowsPerStrip: the whole image
        entry(279, LONG, 1, len(rgb)),            # StripByteCounts
        entry(282, RATIONAL, 1, xres_offset),     # XResolution
        entry(283, RATIONAL, 1, yres_offset),     # YResolution
        entry(284, SHORT, 1, 1),                  # PlanarConfiguration: chunky
        entry(296, SHORT, 1, 2),                  # ResolutionUnit: inch
    ]
    assert len(entries) == entry_count
    data = bytearray(b'II*\x00' + struct.pack('<I', ifd_offset))
    data += struct.pack('<H', entry_count) + b''.join(entries) + struct.pack('<I', 0)
    data += struct.pack('<HHH', 8, 8, 8)
    data += struct.pack('<II', 72, 1) + struct.pack('<II', 72, 1)
    assert len(data) == pixels_offset
    data += rgb
    return bytes(data)


# ---------------------------------------------------------------------------- the icons

def light_tag():
    rays = [segment(16 + 9 * math.cos(a), 13 + 9 * math.sin(a), 16 + 13 * math.cos(a), 13 + 13 * math.sin(a), 2)
            for a in [math.radians(d) for d in (200, 240, 270, 300, 340)]]
    return (30, 40, 80), [(union(*rays), (255, 220, 90)),
                          (circle(16, 13, 7), (255, 230, 110)),
                          (rect(12.5, 19, 19.5, 26), (190, 190, 200)),
                          (rect(12.5, 21, 19.5, 22), (120, 120, 130)),
                          (rect(12.5, 23.5, 19.5, 24.5), (120, 120, 130))]


def exit_portal():
    frame = minus(rect(6, 4, 26, 28), rect(9, 7, 23, 25))
    return (20, 60, 70), [(rect(9, 7, 23, 25), (160, 225, 255)),
                          (frame, (230, 240, 240)),
                          (polygon([(12, 16), (18, 10), (18, 13.5), (25, 13.5), (25, 18.5), (18, 18.5), (18, 22)]),
                           (255, 170, 40))]


def camera_tag():
    return (75, 0, 130), [(rect(5, 10, 27, 25), (225, 225, 235)),
                          (rect(10, 7, 17, 11), (225, 225, 235)),
                          (circle(16, 17.5, 5.5), (40, 40, 60)),
                          (circle(16, 17.5, 3.5), (110, 140, 220)),
                          (circle(14.8, 16.3, 1.0), (235, 240, 255)),
                          (rect(22, 12, 25, 14), (255, 90, 90))]


def animation_tag():
    holes = union(*[rect(7, y, 9.5, y + 2) for y in (6, 11, 16, 21, 26)],
                  *[rect(22.5, y, 25, y + 2) for y in (6, 11, 16, 21, 26)])
    return (120, 60, 10), [(rect(5, 3, 27, 30), (40, 30, 25)),
                           (holes, (230, 220, 200)),
                           (polygon([(12.5, 10), (21, 16.5), (12.5, 23)]), (255, 170, 50))]


def subdivision_tag():
    grid = union(*[rect(6 + 5 * i - 0.6, 6, 6 + 5 * i + 0.6, 26) for i in range(5)],
                 *[rect(6, 6 + 5 * j - 0.6, 26, 6 + 5 * j + 0.6) for j in range(5)],
                 segment(6, 26, 26, 6, 1.2), segment(6, 16, 16, 6, 1.2), segment(16, 26, 26, 16, 1.2))
    return (25, 80, 40), [(rect(6, 6, 26, 26), (90, 190, 110)), (grid, (225, 255, 230))]


def export():
    box = minus(rect(5, 11, 21, 27), rect(7.5, 13.5, 18.5, 24.5))
    return (20, 50, 110), [(box, (220, 230, 250)),
                           (segment(12, 20, 24, 8, 3), (255, 200, 60)),
                           (polygon([(17, 6), (27, 5), (26, 15)]), (255, 200, 60))]


def about():
    return (40, 90, 160), [(circle(16, 16, 12), (240, 245, 255)),
                           (circle(16, 9.5, 2.2), (40, 90, 160)),
                           (rect(14, 13.5, 18, 24), (40, 90, 160)),
                           (rect(12, 22, 20, 24.5), (40, 90, 160))]


def convert_materials():
    left = shaded_sphere(9, 20, 6, (200, 60, 60))
    right = shaded_sphere(23, 12, 6, (70, 170, 230))
    return (50, 50, 55), [left,
                          right,
                          (segment(12, 10, 17, 10, 2), (255, 220, 90)),
                          (polygon([(16, 7), (20, 10), (16, 13)]), (255, 220, 90)),
                          (segment(15, 22, 20, 22, 2), (255, 220, 90)),
                          (polygon([(15, 19), (15, 25), (11.5, 22)]), (255, 220, 90))]


def material_group():
    folder = union(rect(4, 9, 28, 27), rect(4, 6, 13, 10))
    return (60, 55, 40), [(folder, (230, 190, 90)),
                          (rect(4, 12, 28, 13), (180, 140, 50)),
                          shaded_sphere(11, 20, 4.2, (200, 60, 60)),
                          shaded_sphere(21, 20, 4.2, (70, 170, 230))]


def instance():
    back = minus(rect(5, 5, 19, 19), rect(7.5, 7.5, 16.5, 16.5))
    return (80, 40, 100), [(back, (200, 170, 230)),
                           (rect(13, 13, 27, 27), (250, 200, 80)),
                           (rect(15.5, 15.5, 24.5, 24.5), (255, 235, 170))]


def material_helper():
    return (35, 35, 40), [shaded_sphere(16, 16, 11, (220, 120, 50))]


def material_helper_custom():
    return (35, 35, 40), [shaded_sphere(16, 16, 11, (150, 150, 160))]


def material_helper_emission():
    glow = ring(16, 16, 14.5, 11.5)
    return (35, 35, 40), [(glow, (255, 230, 120)),
                          shaded_sphere(16, 16, 11, (255, 210, 80), light=(0.1, 0.1))]


# File names are the ones the plug-in registers and loads; case matters on every system
# the host runs on, so "ConvertMats.tif" and "convertmats.tif" are two different icons, as
# are "MaterialHelper.tif" (registration) and "materialhelper.tif" (the object's own icon).
ICONS = {
    'LightTag.tif': light_tag,
    'ExitPortal.tif': exit_portal,
    'CameraTag.tif': camera_tag,
    'animationtag.tif': animation_tag,
    'subdivtag.tif': subdivision_tag,
    'Export.tif': export,
    'About.tif': about,
    'ConvertMats.tif': convert_materials,
    'convertmats.tif': material_group,
    'instance.tif': instance,
    'MaterialHelper.tif': material_helper,
    'materialhelper.tif': material_helper_custom,
    'materialhelper_emission.tif': material_helper_emission,
}


def main(argv):
    out_dir = argv[1] if len(argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for name, make in ICONS.items():
        background, layers = make()
        data = tiff_bytes(SIZE, SIZE, render(background, layers))
        path = os.path.join(out_dir, name)
        tmp = path + '.part'
        with open(tmp, 'wb') as f:
            f.write(data)
        os.replace(tmp, path)
        print('wrote', path)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
