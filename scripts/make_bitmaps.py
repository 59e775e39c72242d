#!/usr/bin/env python3
"""Draws the panel's toolbar bitmaps and writes them into res/.

Four pictures, drawn with the canvas and shape helpers of make_icon.py in the application icon's palette
(blues, a dark lens, whites):

  capture.bmp  a compact camera; every pixel fully opaque or fully transparent
  copy.bmp     two overlapping pages with folded corners and lines of text
  clear.bmp    a grid with a red cross over it
  save.bmp     a floppy disk

each at 32x32 pixels, and again at 48x48 and 64x64 (capture_48.bmp, capture_64.bmp, ...) for tips at larger
display scales: the same drawing at 1.5 and 2 times its size, not a scaled copy of the small one. The last
three have soft edges: their outlines hold partly transparent pixels.

Each file is a 32 bpp DIB for AlphaBlend: 14-byte file header, 40-byte BITMAPINFOHEADER (BI_RGB, positive
height, so the rows run bottom-up), then B, G, R, A bytes with the colour premultiplied by alpha.  The output
depends only on this code, so every run writes the same bytes.

Usage: python3 scripts/make_bitmaps.py [--check] [--preview PNG] [output dir]
  (default output dir: res/ next to this script)
  --check        write nothing; parse the files in the output dir, check their headers, their edges (hard for
                 capture.bmp, soft for the others) and that they match what this script draws (exit status 1
                 otherwise)
  --preview PNG  also write an 8x enlargement of the four 32-pixel pictures, on white and on a dark background
"""

import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_icon import (BLUE_BOTTOM, BLUE_DARK, BLUE_LIGHT, BLUE_TOP, OUTLINE, Canvas, Mask,  # noqa: E402
                       ellipse, linear, png, polygon, radial, rect, ring, rounded_rect, vertical)

SIZE = 32  # the drawings' own coordinates run from 0 to SIZE
SIZES = [(32, ""), (48, "_48"), (64, "_64")]  # each picture's sizes and the endings of their file names
SQRT2 = 2 ** 0.5

SILVER = ((236, 239, 245), (150, 158, 174))  # top and bottom of a brushed metal part
PAPER = ((255, 255, 255), (214, 228, 248))
INK = (36, 72, 150)  # page outlines
FRAME = (20, 46, 110)  # around windows, the shutter and the label
TEXT = (92, 148, 228)  # lines of text
RED_LIGHT, RED_DARK, RED_EDGE = (255, 104, 88), (206, 28, 28), (118, 8, 12)


# --------------------------------------------------------------------------------------------------------
# Small drawing helpers on top of make_icon's canvas.


def inset(points, d):
    """A convex polygon (clockwise on screen) with every edge moved inwards by d."""
    n = len(points)
    lines = []
    for i in range(n):
        (x0, y0), (x1, y1) = points[i], points[(i + 1) % n]
        length = ((x1 - x0) ** 2 + (y1 - y0) ** 2) ** 0.5
        nx, ny = -(y1 - y0) / length, (x1 - x0) / length  # inward normal of a clockwise (y down) edge
        lines.append(((x0 + nx * d, y0 + ny * d), (x1 - x0, y1 - y0)))
    out = []
    for i in range(n):
        (p, r), (q, s) = lines[i - 1], lines[i]
        cross = r[0] * s[1] - r[1] * s[0]
        t = ((q[0] - p[0]) * s[1] - (q[1] - p[1]) * s[0]) / cross
        out.append((p[0] + r[0] * t, p[1] + r[1] * t))
    return out


def stroke(p0, p1, width):
    """A straight bar of the given width from p0 to p1 (square ends)."""
    (x0, y0), (x1, y1) = p0, p1
    length = ((x1 - x0) ** 2 + (y1 - y0) ** 2) ** 0.5
    nx, ny = -(y1 - y0) / length * width / 2, (x1 - x0) / length * width / 2
    return polygon((x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny))


def framed(canvas, points, edge, paint, width=1.0):
    """A convex polygon filled with `paint` inside an edge of `width` px in colour `edge`."""
    canvas.fill([points], edge)
    inner = [inset(points, width)]
    canvas.fill(inner, paint(inner) if callable(paint) else paint)


def gradient(top, bottom):
    return lambda contours: vertical(contours, top, bottom)


class ScaledCanvas:
    """A canvas of `size` pixels that takes the drawings' coordinates (0..SIZE) and paints, scaled to it."""

    def __init__(self, size):
        self.base = Canvas(size)
        self.scale = size / SIZE

    def __getattr__(self, name):  # w, h and the channels are the canvas's own
        return getattr(self.base, name)

    def _contours(self, shape):
        if isinstance(shape, Mask):
            return shape
        return [[(x * self.scale, y * self.scale) for x, y in contour] for contour in shape]

    def mask(self, contours):
        return self.base.mask(self._contours(contours))

    def fill(self, shape, paint, clip=None, opacity=1.0, under=False):
        if callable(paint):
            paint = (lambda p, k: lambda x, y: p(x / k, y / k))(paint, self.scale)
        self.base.fill(self._contours(shape), paint, clip=clip, opacity=opacity, under=under)

    def outline(self, colour, strength=1.0):
        self.base.outline(colour, strength)


def alpha_mask(canvas):
    """The drawing's current coverage, as a Mask (used to keep details inside the silhouette)."""
    return Mask(canvas.w, canvas.h, list(canvas.a), (0, 0, canvas.w, canvas.h))


def binarize(canvas, threshold=0.5):
    """Makes every pixel fully opaque (keeping its colour) or fully transparent."""
    for i in range(canvas.w * canvas.h):
        a = canvas.a[i]
        if a >= threshold:
            canvas.r[i], canvas.g[i], canvas.b[i] = canvas.r[i] / a, canvas.g[i] / a, canvas.b[i] / a
            canvas.a[i] = 1.0
        else:
            canvas.r[i] = canvas.g[i] = canvas.b[i] = canvas.a[i] = 0.0


# --------------------------------------------------------------------------------------------------------
# The pictures.  Coordinates are pixels with (0, 0) the top left corner of the top left pixel; the light
# comes from the upper left as on the application icon.


def draw_capture(canvas):
    """A compact camera seen from the front: body, shutter button, flash, viewfinder, a big lens."""
    body = rounded_rect(1, 8, 31, 29, 3.5, 8)
    button = rect(21, 5, 28, 8)
    dial = rect(5, 6, 10, 8)
    canvas.fill(body, vertical(body, BLUE_TOP, BLUE_BOTTOM))
    canvas.fill(button, vertical(button, *SILVER))
    canvas.fill(dial, vertical(dial, BLUE_LIGHT, (52, 128, 232)))
    binarize(canvas)
    canvas.outline(OUTLINE)
    inside = alpha_mask(canvas)
    canvas.fill(rect(2, 9, 30, 10), (150, 206, 255), clip=inside)  # the lit top edge of the body
    canvas.fill(rect(2, 27, 30, 28), (22, 72, 180), clip=inside)
    # flash window and viewfinder
    canvas.fill(rect(3, 11, 9, 16), FRAME)
    canvas.fill(rect(4, 12, 8, 15), linear((4, 12), (8, 15), [(0, (255, 255, 255)), (1, (176, 192, 214))]))
    canvas.fill(rect(26, 11, 30, 14), FRAME)
    canvas.fill(rect(27, 12, 29, 13), (120, 160, 230))
    # the lens: metal mount, black barrel, glass with a coated ring and a highlight
    cx, cy = 17.0, 19.0
    canvas.fill(ellipse(cx, cy, 8.3), OUTLINE)
    canvas.fill(ellipse(cx, cy, 7.4), linear((cx - 6, cy - 6), (cx + 6, cy + 6),
                                             [(0, (240, 243, 248)), (1, (120, 128, 146))]))
    canvas.fill(ellipse(cx, cy, 6.2), linear((cx - 6, cy - 6), (cx + 6, cy + 6),
                                             [(0, (70, 74, 86)), (0.5, (24, 25, 30)), (1, (10, 10, 12))]))
    glass = ellipse(cx, cy, 4.8)
    canvas.fill(glass, radial((cx - 0.5, cy - 0.5), 4.8, 4.8,
                              [(0, (44, 62, 128)), (0.6, (14, 18, 40)), (1, (4, 4, 10))]))
    canvas.fill(ring(cx, cy, 3.7, 2.8), linear((cx - 4, cy - 4), (cx + 4, cy + 4),
                                              [(0, (110, 150, 255)), (1, (160, 80, 220))]))
    canvas.fill(ellipse(cx, cy, 1.5), (30, 40, 80))
    canvas.fill(ellipse(cx - 1.9, cy - 1.9, 1.2), (255, 255, 255))
    canvas.fill(ellipse(cx + 2.2, cy + 2.2, 0.6), (255, 255, 255, 200))
    binarize(canvas)


def page(x0, y0, x1, y1, fold):
    """Outline of a page with its upper right corner folded over (clockwise)."""
    return [(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)]


def draw_page(canvas, x0, y0, x1, y1, fold, paper, lines):
    points = page(x0, y0, x1, y1, fold)
    framed(canvas, points, INK, gradient(*paper))
    # lines of text: (row, length) from the left margin
    for row, length in lines:
        y = y0 + row
        canvas.fill(rect(x0 + 3, y, x0 + 3 + length, y + 1), TEXT)
    # the folded-over corner, lit on its face and shaded under its edge
    canvas.fill(polygon((x1 - fold, y0), (x1, y0 + fold), (x1 - fold, y0 + fold)), INK)
    corner = polygon((x1 - fold + 1, y0 + 2.4), (x1 - 2.4, y0 + fold - 1), (x1 - fold + 1, y0 + fold - 1))
    canvas.fill(corner, linear((x1 - fold, y0 + fold), (x1, y0), [(0, (255, 255, 255)), (1, (176, 204, 242))]))
    return points


def draw_copy(canvas):
    """The original behind on the upper left, the copy in front on the lower right."""
    lines_back = [(5, 8), (8, 12), (11, 12), (14, 10), (17, 12)]
    back = draw_page(canvas, 2, 1, 20, 24, 6, ((244, 248, 255), (200, 216, 240)), lines_back)
    # the copy throws a soft shadow onto the original
    shadow = [[(x - 1.0, y + 1.0) for x, y in page(11, 8, 29, 31, 6)]]
    canvas.fill(shadow, (10, 30, 86, 70), clip=canvas.mask([back]))
    lines_front = [(5, 7), (9, 12), (12, 12), (15, 12), (18, 8)]
    draw_page(canvas, 11, 8, 29, 31, 6, PAPER, lines_front)


def draw_clear(canvas):
    """A 3x3 grid of cells with rounded corners, crossed out in red from corner to corner."""
    canvas.fill(rounded_rect(2, 2, 30, 30, 2.5), (28, 70, 160))
    for row in range(3):
        for col in range(3):
            x, y = 3 + 9 * col, 3 + 9 * row
            cell = rect(x, y, x + 8, y + 8)
            canvas.fill(cell, vertical(cell, (255, 255, 255), (206, 224, 250)))
    canvas.fill(rect(3, 3, 29, 4), (255, 255, 255, 120))
    # Both bars run at 45 degrees with widths of a whole number of pixel diagonals, so that every edge
    # passes through pixel corners and steps cleanly; the dark rim is one pixel wide. They reach past the
    # grid's rounded corners, where their ends lie soft on the transparent background.
    bars = [((3.0, 3.0), (29.0, 29.0)), ((29.0, 3.0), (3.0, 29.0))]
    for p, q in bars:
        canvas.fill(stroke(p, q, 5 * SQRT2), RED_EDGE)
    paint = linear((3, 3), (29, 29), [(0, RED_LIGHT), (1, RED_DARK)])
    for (x0, y0), (x1, y1) in bars:
        sx, sy = (0.5 if x1 > x0 else -0.5), (0.5 if y1 > y0 else -0.5)
        canvas.fill(stroke((x0 + sx, y0 + sy), (x1 - sx, y1 - sy), 4 * SQRT2), paint)


def draw_save(canvas):
    """A floppy disk: blue shell with a chamfered corner, metal shutter at the top, white label below."""
    shell = [(3, 2), (26, 2), (30, 6), (30, 29), (29, 30), (3, 30), (2, 29), (2, 3)]
    framed(canvas, shell, OUTLINE, gradient(BLUE_TOP, BLUE_BOTTOM))
    canvas.fill(rect(3, 3, 25, 4), (150, 206, 255))  # lit top edge
    # shutter with its window
    canvas.fill(rect(8, 3, 24, 13), FRAME)
    shutter = rect(9, 3, 23, 12)
    canvas.fill(shutter, vertical(shutter, *SILVER))
    canvas.fill(rect(18, 5, 21, 10), (28, 36, 56))
    canvas.fill(rect(18, 5, 21, 6), (70, 80, 104))
    # label
    canvas.fill(rounded_rect(6, 16, 26, 30, 1.5, 4), FRAME)
    label = rounded_rect(7, 17, 25, 30, 1.0, 4)
    canvas.fill(label, vertical(label, (255, 255, 255), (222, 232, 246)))
    for y in (20, 23, 26):
        canvas.fill(rect(9, y, 23, y + 1), TEXT)
    canvas.fill(rect(4, 26, 6, 28), BLUE_DARK)  # write-protect hole


BITMAPS = [("capture.bmp", draw_capture), ("copy.bmp", draw_copy), ("clear.bmp", draw_clear),
           ("save.bmp", draw_save)]


# --------------------------------------------------------------------------------------------------------
# The file format.

FILE_HEADER, INFO_HEADER = "<2sIHHI", "<IiiHHIIiiII"
HEADERS = struct.calcsize(FILE_HEADER) + struct.calcsize(INFO_HEADER)  # 14 + 40


def premultiplied(canvas):
    """Rows of (r, g, b, a) 0..255, premultiplied, top row first; fully transparent pixels are all zero."""
    rows = []
    for y in range(canvas.h):
        row = []
        for i in range(y * canvas.w, (y + 1) * canvas.w):
            a = min(255, max(0, round(canvas.a[i] * 255)))
            if a == 0:
                row.append((0, 0, 0, 0))
                continue
            row.append(tuple(min(a, max(0, round(c * 255))) for c in (canvas.r[i], canvas.g[i], canvas.b[i]))
                       + (a,))
        rows.append(row)
    return rows


def file_name(name, suffix):
    stem, ext = os.path.splitext(name)
    return stem + suffix + ext


def dib_file(rows):
    """A .bmp file: 32 bpp BI_RGB, bottom-up, plain BITMAPINFOHEADER."""
    h, w = len(rows), len(rows[0])
    pixels = b"".join(struct.pack("<4B", b, g, r, a) for row in reversed(rows) for r, g, b, a in row)
    info = struct.pack(INFO_HEADER, 40, w, h, 1, 32, 0, len(pixels), 0, 0, 0, 0)
    head = struct.pack(FILE_HEADER, b"BM", HEADERS + len(pixels), 0, 0, HEADERS)
    return head + info + pixels


def read_dib(data, size=SIZE):
    """Parses what dib_file writes (and nothing else) for a size x size picture: rows of premultiplied
    (r, g, b, a), top row first."""
    magic, file_size, _, _, offset = struct.unpack_from(FILE_HEADER, data, 0)
    header, w, h, planes, bpp, compression, image_size = struct.unpack_from(INFO_HEADER, data, 14)[:7]
    problems = []
    for what, got, want in (("magic", magic, b"BM"), ("file size", file_size, len(data)),
                            ("pixel offset", offset, HEADERS), ("header size", header, 40), ("width", w, size),
                            ("height", h, size), ("planes", planes, 1), ("bits per pixel", bpp, 32),
                            ("compression", compression, 0), ("image size", image_size, 4 * size * size),
                            ("length", len(data), HEADERS + 4 * size * size)):
        if got != want:
            problems.append(f"{what} is {got!r}, expected {want!r}")
    if problems:
        raise ValueError("; ".join(problems))
    rows = []
    for y in range(h):
        line = data[offset + 4 * w * y: offset + 4 * w * (y + 1)]
        rows.append([(line[x + 2], line[x + 1], line[x], line[x + 3]) for x in range(0, 4 * w, 4)])
    rows.reverse()
    for y, row in enumerate(rows):
        for x, (r, g, b, a) in enumerate(row):
            if max(r, g, b) > a:
                raise ValueError(f"pixel ({x}, {y}) is not premultiplied: {(r, g, b, a)}")
    return rows


def draw(painter, size=SIZE):
    canvas = Canvas(SIZE) if size == SIZE else ScaledCanvas(size)
    painter(canvas)
    return premultiplied(canvas)


# --------------------------------------------------------------------------------------------------------


def preview(pictures, scale=8, gap=8):
    """All pictures side by side, enlarged, over white (upper row) and over dark grey (lower row)."""
    backgrounds = [(255, 255, 255), (40, 44, 52)]
    width = len(pictures) * (SIZE * scale + gap) + gap
    out = []
    for bg in backgrounds:
        band = [[bg + (255,)] * width for _ in range(SIZE * scale + 2 * gap)]
        for k, rows in enumerate(pictures):
            for y in range(SIZE * scale):
                for x in range(SIZE * scale):
                    r, g, b, a = rows[y // scale][x // scale]
                    # premultiplied over the background
                    px = tuple(c + bc * (255 - a) // 255 for c, bc in zip((r, g, b), bg))
                    band[gap + y][gap + k * (SIZE * scale + gap) + x] = px + (255,)
        out += band
    return png(out)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    args = list(argv)
    check = "--check" in args
    if check:
        args.remove("--check")
    preview_path = None
    if "--preview" in args:
        k = args.index("--preview")
        preview_path = args[k + 1]
        del args[k:k + 2]
    target = args[0] if args else os.path.join(here, "..", "res")
    pictures = []
    failed = False
    for size, suffix in SIZES:
        for name, painter in BITMAPS:
            path = os.path.normpath(os.path.join(target, file_name(name, suffix)))
            data = dib_file(draw(painter, size))
            if check:
                try:
                    with open(path, "rb") as f:
                        stored = f.read()
                    rows = read_dib(stored, size)
                    soft = sum(1 for row in rows for p in row if p[3] not in (0, 255))
                    if name == "capture.bmp" and soft:
                        raise ValueError("alpha other than 0 and 255")
                    if name != "capture.bmp" and not soft:
                        raise ValueError("hard edges: no pixel is partly transparent")
                    if stored != data:
                        raise ValueError("differs from what make_bitmaps.py draws; run it again")
                    print(f"ok {path}")
                except (OSError, ValueError) as e:
                    print(f"FAIL {path}: {e}")
                    failed = True
            else:
                with open(path, "wb") as f:
                    f.write(data)
                print(f"wrote {path} ({len(data)} bytes)")
            if size == SIZE:
                pictures.append(read_dib(data))
    if preview_path:
        with open(preview_path, "wb") as f:
            f.write(preview(pictures))
        print(f"wrote {preview_path}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
