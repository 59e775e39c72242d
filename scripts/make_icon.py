#!/usr/bin/env python3
"""Draws the Vantrel application icon and writes res/vantrel.ico.

Everything is drawn from vector shapes, natively at every size, with the Python standard library only:

  * Canvas   - a small RGBA raster with supersampled (anti-aliased) filling of polygon contours,
  * shapes   - rect / rounded_rect / ellipse / polygon helpers that return contour lists,
  * paints   - solid colours and linear / radial gradients,
  * View     - a tiny perspective projection, used to draw the camera as a lit 3-D body,
  * writers  - BMP icon entries (4, 8, 24, 32 bpp with AND mask), PNG (zlib) and the .ico container.

The large sizes (48, 256) are rendered from the 3-D camera; 16..32 px use flat pixel-aligned drawings of
the same camera so that they stay crisp. The 4-bit entries use the standard 16-colour VGA palette.

Usage: python3 scripts/make_icon.py [--check] [output.ico]      (default: res/vantrel.ico next to this script)
  --check  write nothing; check that the file holds exactly what this script draws (exit status 1 otherwise)
"""

import math
import os
import struct
import sys
import zlib

SUBSAMPLES = 16  # sub-scanlines per pixel row; horizontal coverage is computed exactly


# --------------------------------------------------------------------------------------------------------
# Colours and paints.  Colours are 0..255 tuples (r, g, b) or (r, g, b, a); a paint is either a colour
# or a function (x, y) -> (r, g, b, a) with floats in 0..1, evaluated at pixel centres.


def rgba(colour):
    """0..255 colour tuple -> (r, g, b, a) floats in 0..1."""
    if len(colour) == 3:
        colour = (*colour, 255)
    return tuple(c / 255.0 for c in colour)


def mix(c0, c1, t):
    """Linear blend of two colour tuples of the same length (any scale)."""
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def _stops(stops):
    return [(t, rgba(c)) for t, c in stops]


def _sample_stops(stops, t):
    if t <= stops[0][0]:
        return stops[0][1]
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            return mix(c0, c1, (t - t0) / (t1 - t0) if t1 > t0 else 1.0)
    return stops[-1][1]


def linear(p0, p1, stops):
    """Linear gradient from p0 (t = 0) to p1 (t = 1); stops = [(t, colour), ...]."""
    (x0, y0), (x1, y1) = p0, p1
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy or 1.0
    st = _stops(stops)
    return lambda x, y: _sample_stops(st, ((x - x0) * dx + (y - y0) * dy) / length2)


def radial(centre, rx, ry, stops):
    """Elliptical gradient: t = 0 at the centre, t = 1 on the ellipse with radii rx, ry."""
    cx, cy = centre
    st = _stops(stops)
    return lambda x, y: _sample_stops(st, math.hypot((x - cx) / rx, (y - cy) / ry))


# --------------------------------------------------------------------------------------------------------
# Shapes: each returns a list of contours (lists of (x, y) points).  Filling uses the non-zero winding
# rule, so a contour running the other way cuts a hole (see ring()).


def polygon(*points):
    return [list(points)]


def rect(x0, y0, x1, y1):
    return [[(x0, y0), (x1, y0), (x1, y1), (x0, y1)]]


def _arc(cx, cy, rx, ry, a0, a1, steps):
    return [
        (cx + rx * math.cos(a0 + (a1 - a0) * i / steps), cy + ry * math.sin(a0 + (a1 - a0) * i / steps))
        for i in range(steps + 1)
    ]


def rounded_rect_points(x0, y0, x1, y1, r, steps=10):
    r = max(0.0, min(r, (x1 - x0) / 2, (y1 - y0) / 2))
    if r == 0:
        return rect(x0, y0, x1, y1)[0]
    h = math.pi / 2
    return (
        _arc(x1 - r, y0 + r, r, r, -h, 0, steps)
        + _arc(x1 - r, y1 - r, r, r, 0, h, steps)
        + _arc(x0 + r, y1 - r, r, r, h, 2 * h, steps)
        + _arc(x0 + r, y0 + r, r, r, 2 * h, 3 * h, steps)
    )


def rounded_rect(x0, y0, x1, y1, r, steps=10):
    return [rounded_rect_points(x0, y0, x1, y1, r, steps)]


def ellipse_points(cx, cy, rx, ry=None, steps=None):
    ry = rx if ry is None else ry
    steps = steps or max(16, int(2 * math.pi * max(rx, ry) / 1.5))
    return [(cx + rx * math.cos(2 * math.pi * i / steps), cy + ry * math.sin(2 * math.pi * i / steps))
            for i in range(steps)]


def ellipse(cx, cy, rx, ry=None, steps=None):
    return [ellipse_points(cx, cy, rx, ry, steps)]


def ring(cx, cy, r_out, r_in):
    return ellipse(cx, cy, r_out) + [ellipse_points(cx, cy, r_in)[::-1]]


def convex_hull(points):
    pts = sorted(set(points))
    if len(pts) < 3:
        return pts

    def half(seq):
        out = []
        for p in seq:
            while len(out) >= 2 and ((out[-1][0] - out[-2][0]) * (p[1] - out[-2][1])
                                     - (out[-1][1] - out[-2][1]) * (p[0] - out[-2][0])) <= 0:
                out.pop()
            out.append(p)
        return out

    lower, upper = half(pts), half(reversed(pts))
    return lower[:-1] + upper[:-1]


# --------------------------------------------------------------------------------------------------------
# Raster.


class Mask:
    """Per-pixel coverage 0..1 of a shape, with the bounding box (x0, y0, x1, y1) of non-zero pixels."""

    def __init__(self, w, h, data, bbox):
        self.w, self.h, self.data, self.bbox = w, h, data, bbox

    def _combine(self, other, op, bbox, keep_rest):
        data = list(self.data) if keep_rest else [0.0] * len(self.data)
        x0, y0, x1, y1 = bbox
        for y in range(y0, y1):
            for i in range(y * self.w + x0, y * self.w + x1):
                data[i] = op(self.data[i], other.data[i])
        return Mask(self.w, self.h, data, bbox)

    def minus(self, other):
        """This shape with `other` cut away."""
        return self._combine(other, lambda a, b: a * (1.0 - b), self.bbox, True)

    def within(self, other):
        """This shape clipped to `other`."""
        (a0, b0, a1, b1), (c0, d0, c1, d1) = self.bbox, other.bbox
        box = (max(a0, c0), max(b0, d0), min(a1, c1), min(b1, d1))
        if box[0] >= box[2] or box[1] >= box[3]:
            box = (0, 0, 0, 0)
        return self._combine(other, lambda a, b: a * b, box, False)


class Canvas:
    """RGBA raster (premultiplied floats) with anti-aliased shape filling."""

    def __init__(self, w, h=None):
        self.w, self.h = w, (w if h is None else h)
        n = self.w * self.h
        self.r, self.g, self.b, self.a = [0.0] * n, [0.0] * n, [0.0] * n, [0.0] * n

    def mask(self, contours):
        """Coverage of `contours` (non-zero winding): SUBSAMPLES scanlines per row, exact along x."""
        w, h, ss = self.w, self.h, SUBSAMPLES
        crossings = {}
        for contour in contours:
            for (x0, y0), (x1, y1) in zip(contour, contour[1:] + contour[:1]):
                if y0 == y1:
                    continue
                direction = 1 if y1 > y0 else -1
                if y0 > y1:
                    x0, y0, x1, y1 = x1, y1, x0, y0
                k0 = max(0, math.ceil(y0 * ss - 0.5))
                k1 = min(h * ss, math.ceil(y1 * ss - 0.5))
                slope = (x1 - x0) / (y1 - y0)
                for k in range(k0, k1):
                    crossings.setdefault(k, []).append((x0 + ((k + 0.5) / ss - y0) * slope, direction))
        data = [0.0] * (w * h)
        if not crossings:
            return Mask(w, h, data, (0, 0, 0, 0))
        weight = 1.0 / ss
        rows = {}
        bx0, bx1 = w, 0
        for k, xs in crossings.items():
            xs.sort()
            direct, delta = rows.setdefault(k // ss, ([0.0] * (w + 1), [0.0] * (w + 2)))
            winding = 0
            start = 0.0
            for x, d in xs:
                before = winding
                winding += d
                if before == 0 and winding != 0:
                    start = x
                elif before != 0 and winding == 0:
                    xa, xb = max(0.0, start), min(float(w), x)
                    if xb <= xa:
                        continue
                    ia, ib = int(xa), int(xb)
                    bx0, bx1 = min(bx0, ia), max(bx1, min(w, ib + 1))
                    if ia == ib:
                        direct[ia] += weight * (xb - xa)
                    else:
                        direct[ia] += weight * (ia + 1 - xa)
                        delta[ia + 1] += weight
                        delta[ib] -= weight
                        direct[ib] += weight * (xb - ib)
        if bx1 <= bx0:
            return Mask(w, h, data, (0, 0, 0, 0))
        for y, (direct, delta) in rows.items():
            run = sum(delta[: bx0 + 1])
            base = y * w
            for x in range(bx0, bx1):
                if x > bx0:
                    run += delta[x]
                data[base + x] = min(1.0, direct[x] + run)
        return Mask(w, h, data, (bx0, min(rows), bx1, max(rows) + 1))

    def fill(self, shape, paint, clip=None, opacity=1.0, under=False):
        """Paints `shape` (contours or a Mask) with a colour or gradient, optionally clipped to a Mask;
        under=True paints behind what is already there (shadows)."""
        m = shape if isinstance(shape, Mask) else self.mask(shape)
        if clip is not None:
            m = m.within(clip)
        solid = None if callable(paint) else rgba(paint)
        x0, y0, x1, y1 = m.bbox
        for y in range(y0, y1):
            for x in range(x0, x1):
                i = y * self.w + x
                cov = m.data[i]
                if cov <= 1e-4:
                    continue
                r, g, b, a = solid or paint(x + 0.5, y + 0.5)
                a *= cov * opacity
                if under:
                    a *= 1.0 - self.a[i]
                    self.r[i] += r * a
                    self.g[i] += g * a
                    self.b[i] += b * a
                    self.a[i] += a
                    continue
                keep = 1.0 - a
                self.r[i] = r * a + self.r[i] * keep
                self.g[i] = g * a + self.g[i] * keep
                self.b[i] = b * a + self.b[i] * keep
                self.a[i] = a + self.a[i] * keep

    def outline(self, colour, strength=1.0):
        """Darkens the outermost pixels of the drawing towards `colour` (a crisp edge for small sizes)."""
        r, g, b = rgba(colour)[:3]
        alpha, w, h = list(self.a), self.w, self.h
        for y in range(h):
            for x in range(w):
                i = y * w + x
                if alpha[i] <= 0.0:
                    continue
                around = min(alpha[yy * w + xx] if 0 <= xx < w and 0 <= yy < h else 0.0
                             for xx, yy in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)))
                f = (1.0 - around) * strength
                if f > 0.0:
                    a = self.a[i]
                    self.r[i] += (r * a - self.r[i]) * f
                    self.g[i] += (g * a - self.g[i]) * f
                    self.b[i] += (b * a - self.b[i]) * f

    def pixels(self):
        """Rows of straight-alpha (r, g, b, a) 0..255 tuples, top row first."""
        out = []
        for y in range(self.h):
            row = []
            for i in range(y * self.w, (y + 1) * self.w):
                a = self.a[i]
                if a <= 1e-6:
                    row.append((0, 0, 0, 0))
                    continue
                straight = (self.r[i] / a, self.g[i] / a, self.b[i] / a, a)
                row.append(tuple(min(255, max(0, round(c * 255))) for c in straight))
            out.append(row)
        return out


# --------------------------------------------------------------------------------------------------------
# A tiny 3-D helper: model space has x to the right, y up and z towards the viewer.

LIGHT = (0.42, 0.78, 0.47)  # in view space: from the upper right, in front


def _sub(p, q):
    return (p[0] - q[0], p[1] - q[1], p[2] - q[2])


def _dot(p, q):
    return p[0] * q[0] + p[1] * q[1] + p[2] * q[2]


def _cross(p, q):
    return (p[1] * q[2] - p[2] * q[1], p[2] * q[0] - p[0] * q[2], p[0] * q[1] - p[1] * q[0])


def _unit(p):
    n = math.sqrt(_dot(p, p)) or 1.0
    return (p[0] / n, p[1] / n, p[2] / n)


class View:
    """Perspective view of the model turned by yaw (shows the left side) and pitch (shows the top)."""

    def __init__(self, yaw_deg, pitch_deg, distance):
        self.cy, self.sy = math.cos(math.radians(yaw_deg)), math.sin(math.radians(yaw_deg))
        self.cp, self.sp = math.cos(math.radians(pitch_deg)), math.sin(math.radians(pitch_deg))
        self.distance = distance
        self.scale, self.ox, self.oy = 1.0, 0.0, 0.0

    def turn(self, p):
        """Model -> view space rotation (also used for normals)."""
        x, y, z = p
        x, z = x * self.cy + z * self.sy, -x * self.sy + z * self.cy
        y, z = y * self.cp - z * self.sp, y * self.sp + z * self.cp
        return (x, y, z)

    def _flat(self, p):
        x, y, z = self.turn(p)
        k = self.distance / (self.distance - z)
        return (x * k, -y * k)

    def __call__(self, p):
        """Model point -> canvas pixel coordinates."""
        fx, fy = self._flat(p)
        return (self.ox + fx * self.scale, self.oy + fy * self.scale)

    def eye_vector(self, p):
        x, y, z = self.turn(p)
        return (-x, -y, self.distance - z)

    def fit(self, points, box):
        """Scales and centres the projection so that `points` fill the pixel box (x0, y0, x1, y1)."""
        flat = [self._flat(p) for p in points]
        xs, ys = [f[0] for f in flat], [f[1] for f in flat]
        self.scale = min((box[2] - box[0]) / (max(xs) - min(xs)), (box[3] - box[1]) / (max(ys) - min(ys)))
        self.ox = (box[0] + box[2]) / 2 - self.scale * (max(xs) + min(xs)) / 2
        self.oy = (box[1] + box[3]) / 2 - self.scale * (max(ys) + min(ys)) / 2


def lit(dark, light, specular=None, shininess=24):
    """Shading function for view-space normals: dark when facing away from the light, light facing it."""
    half = _unit((LIGHT[0], LIGHT[1], LIGHT[2] + 1.0))

    def shade(n):
        colour = mix(dark, light, max(0.0, _dot(n, _unit(LIGHT))))
        if specular:
            colour = mix(colour, specular, max(0.0, _dot(n, half)) ** shininess)
        return colour

    return shade


def prism(canvas, view, section, to_model, w_back, w_front, shade):
    """Draws the visible walls of a convex 2-D `section` swept from w_back to w_front along its third axis
    (to_model(u, v, w) -> model point), each wall lit by `shade`.  Returns the projected front cap."""
    back3 = [to_model(u, v, w_back) for u, v in section]
    front3 = [to_model(u, v, w_front) for u, v in section]
    centre = tuple(sum(c) / (2 * len(section)) for c in zip(*(back3 + front3)))
    back, front = [view(p) for p in back3], [view(p) for p in front3]
    n = len(section)
    visible = []
    for i in range(n):
        j = (i + 1) % n
        mid = tuple((a + b + c + d) / 4 for a, b, c, d in zip(front3[i], front3[j], back3[i], back3[j]))
        normal = _unit(_cross(_sub(front3[j], front3[i]), _sub(back3[i], front3[i])))
        if _dot(normal, _sub(mid, centre)) < 0:
            normal = tuple(-c for c in normal)
        normal = view.turn(normal)
        visible.append(shade(normal) if _dot(normal, view.eye_vector(mid)) > 0 else None)
    shades = [c for c in visible if c]
    if shades:
        canvas.fill([convex_hull(back + front)], tuple(sum(c) / len(shades) for c in zip(*shades)))
    def half(pts, j, k):
        return ((pts[j][0] + pts[k][0]) / 2, (pts[j][1] + pts[k][1]) / 2)

    for i, colour in enumerate(visible):
        if colour is None:
            continue
        j, k = (i + 1) % n, (i + 2) % n
        # each wall reaches halfway into the next one, which is drawn over it: no seams between walls
        far = [half(front, j, k), half(back, j, k)] if visible[j] else []
        canvas.fill([[front[i], front[j]] + far + [back[j], back[i]]], colour)
    return [front]


def circle_section(r, steps):
    """A circle as a prism section."""
    return ellipse_points(0.0, 0.0, r, r, steps)


def screen_box(contours):
    xs = [p[0] for c in contours for p in c]
    ys = [p[1] for c in contours for p in c]
    return min(xs), min(ys), max(xs), max(ys)


# --------------------------------------------------------------------------------------------------------
# The camera rendered in 3-D (48 px and up).  Model units: the body is 1.6 wide and 1.0 high, its front
# face lies in the plane z = 0 and the lens sticks out towards the viewer.

BODY_W, BODY_H, BODY_D, BODY_R = 0.80, 0.50, 0.62, 0.15  # half width, half height, depth, corner radius
HUMP = [(-0.24, 0.46), (0.40, 0.46), (0.27, 0.74), (-0.11, 0.74)]  # viewfinder hump, front outline
HUMP_Z = (-0.46, -0.12)
BUTTON_X, BUTTON_Z, BUTTON_R = 0.56, -0.26, 0.075  # shutter button on the top face
LENS_X, LENS_Y = 0.16, -0.05
LENS_MOUNT_R, LENS_R, GLASS_R, LENS_FRONT = 0.46, 0.41, 0.31, 0.30

BLUE_TOP, BLUE_BOTTOM = (86, 164, 250), (28, 96, 214)
BLUE_DARK, BLUE_LIGHT = (16, 50, 138), (120, 188, 255)
OUTLINE = (10, 30, 86)

def along_z(u, v, w):
    """Prism sections in the x-y plane, swept along z."""
    return (u, v, w)


def lens_at(u, v, w):
    return (LENS_X + u, LENS_Y + v, w)


def button_at(u, v, w):
    """The shutter button: a vertical cylinder (section in the x-z plane, swept along y)."""
    return (BUTTON_X + u, w, BUTTON_Z + v)


def camera_key_points():
    """Points that bound the camera: used to fit the view into the icon."""
    return ([(x, y, z) for x in (-BODY_W, BODY_W) for y in (-BODY_H, BODY_H) for z in (-BODY_D, 0)]
            + [(x, y, z) for x, y in HUMP for z in HUMP_Z]
            + [lens_at(u, v, LENS_FRONT) for u, v in circle_section(LENS_R, 32)])


def vertical(contours, top, bottom):
    """Vertical gradient across the bounding box of `contours`."""
    x0, y0, x1, y1 = screen_box(contours)
    return linear((0, y0), (0, y1), [(0, top), (1, bottom)])


def draw_body_3d(canvas, view, full_detail):
    body_shade = lit(BLUE_DARK, BLUE_LIGHT)
    corner_steps = 16 if full_detail else 6
    section = rounded_rect_points(-BODY_W, -BODY_H, BODY_W, BODY_H, BODY_R, corner_steps)[::-1]
    front = prism(canvas, view, section, along_z, -BODY_D, 0.0, body_shade)
    canvas.fill(front, vertical(front, BLUE_TOP, BLUE_BOTTOM))
    if full_detail:
        # a bright rim along the edge of the front face, fading out towards the bottom
        d = 0.035
        inset = [[view((x, y, 0.0)) for x, y in rounded_rect_points(
            -BODY_W + d, -BODY_H + d, BODY_W - d, BODY_H - d, BODY_R - d, corner_steps)]]
        x0, y0, x1, y1 = screen_box(front)
        canvas.fill(canvas.mask(front).minus(canvas.mask(inset)),
                    linear((0, y0), (0, y1), [(0, (255, 255, 255, 170)), (0.5, (255, 255, 255, 0))]))
    # the hump and the shutter button stand on the top face, behind the front edge
    hump_front = prism(canvas, view, HUMP, along_z, HUMP_Z[0], HUMP_Z[1], body_shade)
    canvas.fill(hump_front, vertical(hump_front, (96, 172, 252), (52, 128, 232)))
    button = prism(canvas, view, circle_section(BUTTON_R, 24), button_at, BODY_H, BODY_H + 0.07,
                   lit((70, 74, 84), (200, 204, 214), (255, 255, 255), 12))
    canvas.fill(button, (186, 190, 200))


def draw_flash_3d(canvas, view, full_detail):
    """The flash window in the upper left of the front face."""
    def on_front(points):
        return [[view((x, y, 0.0)) for x, y in points]]

    canvas.fill(on_front(rounded_rect_points(-0.68, 0.17, -0.34, 0.39, 0.05, 4)), (20, 46, 110))
    flash = on_front(rounded_rect_points(-0.65, 0.20, -0.37, 0.36, 0.035, 4))
    x0, y0, x1, y1 = screen_box(flash)
    canvas.fill(flash, linear((x0, y0), (x1, y1),
                              [(0, (255, 255, 255)), (0.55, (214, 226, 240)), (1, (150, 168, 196))]))
    if full_detail:  # the fresnel ribs
        for k in range(1, 4):
            x = -0.65 + 0.07 * k
            canvas.fill(on_front([(x, 0.20), (x + 0.012, 0.20), (x + 0.012, 0.36), (x, 0.36)]),
                        (120, 140, 172, 120))


def draw_lens_3d(canvas, view, full_detail):
    """Mount ring, black barrel, front bezel, then the glass with its coated ring and highlights."""
    steps = 96 if full_detail else 40
    prism(canvas, view, circle_section(LENS_MOUNT_R, steps), lens_at, 0.0, 0.06,
          lit((34, 38, 48), (150, 156, 170), (230, 234, 240), 16))
    bezel = prism(canvas, view, circle_section(LENS_R, steps), lens_at, 0.06, LENS_FRONT,
                  lit((6, 6, 8), (52, 54, 62), (190, 194, 206), 20))
    if full_detail:
        for z0 in (0.13, 0.17, 0.21):  # grip ridges on the barrel
            prism(canvas, view, circle_section(LENS_R + 0.008, steps), lens_at, z0, z0 + 0.018,
                  lit((2, 2, 3), (30, 31, 36), (120, 122, 130), 20))
    x0, y0, x1, y1 = screen_box(bezel)
    canvas.fill(bezel, linear((x0, y0), (x1, y1),
                              [(0, (70, 72, 82)), (0.5, (28, 29, 34)), (1, (12, 12, 14))]))

    def disc(r, du=0.0, dv=0.0, n=steps):
        """A circle on the front of the lens, off-centre by (du, dv)."""
        return [[view(lens_at(du + u, dv + v, LENS_FRONT)) for u, v in circle_section(r, n)]]

    canvas.fill(disc(GLASS_R + 0.02), (4, 4, 6))
    glass = disc(GLASS_R)
    x0, y0, x1, y1 = screen_box(glass)
    centre, rx, ry = ((x0 + x1) / 2, (y0 + y1) / 2), (x1 - x0) / 2, (y1 - y0) / 2
    canvas.fill(glass, radial(centre, rx, ry, [(0, (30, 40, 70)), (0.6, (10, 12, 24)), (1, (2, 2, 4))]))
    canvas.fill(canvas.mask(disc(0.235)).minus(canvas.mask(disc(0.19))),
                linear((x0, y0), (x1, y1), [(0, (110, 170, 255, 230)), (0.45, (120, 60, 200, 150)),
                                            (0.75, (40, 200, 190, 90)), (1, (40, 200, 190, 20))]))
    canvas.fill(disc(0.12), radial(centre, rx * 0.4, ry * 0.4, [(0, (40, 56, 100)), (1, (6, 8, 16))]))
    # a crescent of light along the upper left, a bright spot and a faint second one
    crescent = canvas.mask(disc(GLASS_R - 0.02)).minus(canvas.mask(disc(GLASS_R - 0.02, 0.045, -0.05)))
    canvas.fill(crescent, linear((x0, y0), centre, [(0, (255, 255, 255, 220)), (0.8, (200, 220, 255, 40)),
                                                    (1, (200, 220, 255, 0))]))
    canvas.fill(disc(0.05, -0.11, 0.12, 24), (255, 255, 255, 235))
    canvas.fill(disc(0.025, 0.13, -0.12, 16), (255, 255, 255, 120))


def draw_shadow(canvas, view):
    """A soft shadow on the ground, painted behind the camera."""
    x0, y0, x1, y1 = screen_box([[view(p) for p in camera_key_points()]])
    cx, cy, rx, ry = (x0 + x1) / 2, y1 - canvas.h * 0.015, (x1 - x0) * 0.5, canvas.h * 0.055
    canvas.fill(ellipse(cx, cy, rx, ry), radial((cx, cy), rx, ry, [(0, (0, 0, 40, 110)), (1, (0, 0, 40, 0))]),
                under=True)


def draw_camera_3d(canvas, full_detail):
    size = canvas.w
    view = View(yaw_deg=27, pitch_deg=15, distance=7.0)
    margin = size * 0.035
    view.fit(camera_key_points(), (margin, margin, size - margin, size - margin - size * 0.05))
    draw_body_3d(canvas, view, full_detail)
    draw_flash_3d(canvas, view, full_detail)
    draw_lens_3d(canvas, view, full_detail)
    if not full_detail:
        canvas.outline(OUTLINE, 0.5)
    draw_shadow(canvas, view)
    return canvas


# --------------------------------------------------------------------------------------------------------
# The camera drawn flat on the pixel grid (16..32 px): the same view, with edges on pixel boundaries.

# Layouts in pixels.  front/back: rounded boxes (x0, y0, x1, y1, radius) of the body's front face and of
# its far end; hump: front outline of the viewfinder hump and the offset of its far end; button: the
# shutter button; flash: frame of the flash window (just the glass where frame=False); lens: centre and
# radii of the mount, the barrel (its front shifted towards the viewer by `shift`), the glass, the coloured
# ring and the inner element, highlight spots (dx, dy, r) from the glass centre and single-pixel glints.
LAYOUTS = {
    32: dict(front=(10, 11, 31, 28, 2.0), back=(3, 8, 25, 25, 2.0),
             hump=([(13, 11), (22, 11), (20, 6), (15, 6)], (-3, -1)),
             button=(25, 7, 28, 10), flash=(11, 13, 16, 17), frame=True,
             lens=dict(centre=(22.5, 19.5), mount=7.6, barrel=6.9, shift=(0.4, 0.4), glass=4.7,
                       ring=(3.0, 3.8), inner=1.6, spots=[(-1.8, -1.8, 1.2), (2.0, 2.0, 0.5)], glints=[])),
    24: dict(front=(7, 8, 23, 21, 1.5), back=(2, 6, 19, 19, 1.5),
             hump=([(10, 8), (16, 8), (15, 4), (11, 4)], (-2, -1)),
             button=(18, 5, 21, 7), flash=(8, 10, 12, 13), frame=True,
             lens=dict(centre=(16.5, 14.5), mount=5.8, barrel=5.2, shift=(0.3, 0.3), glass=3.5,
                       ring=(2.2, 2.9), inner=None, spots=[(-1.3, -1.3, 0.9)], glints=[])),
    16: dict(front=(5, 6, 15, 15, 1.0), back=(2, 5, 12, 13, 1.0),
             hump=([(7, 6), (11, 6), (11, 3), (7, 3)], (-1, 0)),
             button=(12, 4, 14, 5), flash=(5, 7, 7, 8), frame=False,
             lens=dict(centre=(10.5, 10.5), mount=4.5, barrel=3.7, shift=(0.0, 0.0), glass=2.5,
                       ring=None, inner=None, spots=[], glints=[(9, 9)])),
}

# Colours by role.  A pair means a vertical gradient over the part, top colour first.
FULL_COLOUR = dict(
    front=(BLUE_TOP, BLUE_BOTTOM), side=((30, 78, 176), (14, 44, 128)), top=BLUE_LIGHT,
    hump=((96, 172, 252), (52, 128, 232)), button=((200, 204, 214), (96, 100, 112)),
    flash_frame=(20, 46, 110), flash=((255, 255, 255), (176, 192, 214)),
    mount=((150, 156, 170), (50, 54, 64)), barrel=(10, 10, 12),
    glass=((70, 96, 170), (6, 8, 22)), ring=((110, 150, 255), (160, 80, 220)), inner=(30, 40, 80),
    spot=(255, 255, 255), outline=OUTLINE,
)
VGA_PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
    (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, PURPLE, SILVER, GREY, BLUE, WHITE = (VGA_PALETTE[i] for i in (0, 4, 5, 7, 8, 12, 15))
VGA_COLOURS = dict(
    front=BLUE, side=NAVY, top=BLUE, hump=BLUE, button=SILVER, flash_frame=NAVY, flash=WHITE,
    mount=GREY, barrel=BLACK, glass=NAVY, ring=PURPLE, inner=BLACK, spot=WHITE, outline=BLACK,
)


def themed(theme, role, contours):
    """The paint for `role`: a colour, or a vertical gradient across the bounding box of `contours`."""
    paint = theme[role]
    return vertical(contours, *paint) if isinstance(paint[0], tuple) else paint


def draw_box(canvas, theme, front, back, roles=("front", "side", "top")):
    """A rounded box seen from the upper left: its far end and left side, the top face, then the front."""
    front_pts = rounded_rect_points(*front, steps=6)
    back_pts = rounded_rect_points(*back, steps=6)
    hull = [convex_hull(front_pts + back_pts)]
    canvas.fill(hull, themed(theme, roles[1], hull))
    top = [[(back[0] + back[4], back[1]), (back[2] - back[4], back[1]),
            (front[2] - front[4], front[1]), (front[0] + front[4], front[1])]]
    canvas.fill(top, themed(theme, roles[2], top), clip=canvas.mask(hull))
    canvas.fill([front_pts], themed(theme, roles[0], [front_pts]))


def draw_hump_flat(canvas, theme, outline, offset):
    far = [(x + offset[0], y + offset[1]) for x, y in outline]
    hull = [convex_hull(outline + far)]
    canvas.fill(hull, themed(theme, "side", hull))
    canvas.fill([outline], themed(theme, "hump", [outline]))


def draw_flash_flat(canvas, theme, box, frame):
    if frame:
        canvas.fill(rect(*box), theme["flash_frame"])
        box = (box[0] + 1, box[1] + 1, box[2] - 1, box[3] - 1)
    canvas.fill(rect(*box), themed(theme, "flash", rect(*box)))


def draw_lens_flat(canvas, theme, lens):
    cx, cy = lens["centre"]
    mount = ellipse(cx, cy, lens["mount"])
    canvas.fill(mount, themed(theme, "mount", mount))
    bx, by = cx + lens["shift"][0], cy + lens["shift"][1]
    barrel = [convex_hull(ellipse_points(cx, cy, lens["barrel"]) + ellipse_points(bx, by, lens["barrel"]))]
    canvas.fill(barrel, theme["barrel"])
    glass = ellipse(bx, by, lens["glass"])
    canvas.fill(glass, themed(theme, "glass", glass))
    if lens["ring"]:
        inner_r, outer_r = lens["ring"]
        canvas.fill(ring(bx, by, outer_r, inner_r), themed(theme, "ring", ellipse(bx, by, outer_r)))
    if lens["inner"]:
        canvas.fill(ellipse(bx, by, lens["inner"]), theme["inner"])
    for dx, dy, r in lens["spots"]:
        canvas.fill(ellipse(bx + dx, by + dy, r), theme["spot"])
    for x, y in lens["glints"]:
        canvas.fill(rect(x, y, x + 1, y + 1), theme["spot"])


def draw_camera_flat(canvas, layout, theme):
    """Hump and body first, outlined on the outside, then shutter button, flash window and lens."""
    draw_hump_flat(canvas, theme, *layout["hump"])
    draw_box(canvas, theme, layout["front"], layout["back"])
    canvas.outline(theme["outline"])
    button = rect(*layout["button"])
    canvas.fill(button, themed(theme, "button", button))
    draw_flash_flat(canvas, theme, layout["flash"], layout["frame"])
    draw_lens_flat(canvas, theme, layout["lens"])
    return canvas


# --------------------------------------------------------------------------------------------------------
# Palettes.  Pixels are rows of (r, g, b, a) 0..255 tuples; icons with an AND mask treat a pixel as
# opaque from alpha 128 up.

OPAQUE = 128


def nearest(palette, colour):
    r, g, b = colour[:3]
    return min(range(len(palette)), key=lambda i: 2 * (palette[i][0] - r) ** 2 + 4 * (palette[i][1] - g) ** 2
               + 3 * (palette[i][2] - b) ** 2)


def median_cut(counts, size):
    """Up to `size` colours for the {colour: pixel count} histogram, by splitting the widest box."""
    boxes = [list(counts.items())]

    def spread(box):
        ranges = [max(c[k] for c, _ in box) - min(c[k] for c, _ in box) for k in range(3)]
        return max(ranges), ranges.index(max(ranges))

    while len(boxes) < size:
        splittable = [b for b in boxes if len(b) > 1]
        if not splittable:
            break
        box = max(splittable, key=lambda b: spread(b)[0] * math.sqrt(sum(n for _, n in b)))
        channel = spread(box)[1]
        box.sort(key=lambda item: item[0][channel])
        total, seen, cut = sum(n for _, n in box), 0, 1
        for i, (_, n) in enumerate(box[:-1]):
            seen += n
            cut = i + 1
            if seen * 2 >= total:
                break
        boxes.remove(box)
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(round(sum(c[k] * n for c, n in box) / total) for k in range(3)))
    return palette


def indexed(pixels, palette):
    """Palette indices per pixel (transparent pixels -> index 0, which must be black)."""
    cache = {}
    out = []
    for row in pixels:
        line = []
        for p in row:
            if p[3] < OPAQUE:
                line.append(0)
                continue
            if p[:3] not in cache:
                cache[p[:3]] = nearest(palette, p)
            line.append(cache[p[:3]])
        out.append(line)
    return out


def image_palette(pixels):
    """256 colours for an 8-bit entry: black first (the transparent value), then the image's colours."""
    counts = {}
    for row in pixels:
        for p in row:
            if p[3] >= OPAQUE:
                counts[p[:3]] = counts.get(p[:3], 0) + 1
    counts.pop((0, 0, 0), None)
    palette = [(0, 0, 0)] + median_cut(counts, 255)
    return palette + [(0, 0, 0)] * (256 - len(palette))


# --------------------------------------------------------------------------------------------------------
# File formats.


def bmp_icon_entry(pixels, bpp):
    """An icon image as a DIB: BITMAPINFOHEADER (double height), palette, XOR bitmap, AND mask; bottom-up."""
    h, w = len(pixels), len(pixels[0])
    palette = VGA_PALETTE if bpp == 4 else image_palette(pixels) if bpp == 8 else []
    indices = indexed(pixels, palette) if palette else None
    stride = (w * bpp + 31) // 32 * 4
    xor = bytearray()
    for y in reversed(range(h)):
        row = bytearray()
        if bpp == 4:
            line = indices[y] + [0]
            row += bytes(line[x] << 4 | line[x + 1] for x in range(0, w, 2))
        elif bpp == 8:
            row += bytes(indices[y])
        else:
            for r, g, b, a in pixels[y]:
                if bpp == 32:
                    row += bytes((b, g, r, a) if a else (0, 0, 0, 0))
                else:
                    row += bytes((b, g, r) if a >= OPAQUE else (0, 0, 0))
        xor += row + bytes(stride - len(row))
    mask_stride = (w + 31) // 32 * 4
    mask = bytearray()
    for y in reversed(range(h)):
        bits = bytearray(mask_stride)
        for x, p in enumerate(pixels[y]):
            if p[3] < OPAQUE:
                bits[x >> 3] |= 0x80 >> (x & 7)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, bpp, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + b"".join(struct.pack("<4B", b, g, r, 0) for r, g, b in palette) + bytes(xor) + bytes(mask)


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else b if pb <= pc else c


def png(pixels):
    """8-bit RGBA PNG; each row gets the filter with the smallest sum of absolute residuals."""
    h, w = len(pixels), len(pixels[0])
    raw = bytearray()
    prior = bytes(4 * w)
    for row in pixels:
        line = bytes(v for p in row for v in p)
        left = bytes(4) + line[:-4]
        upleft = bytes(4) + prior[:-4]
        candidates = [
            bytes(line),
            bytes((x - a) & 255 for x, a in zip(line, left)),
            bytes((x - b) & 255 for x, b in zip(line, prior)),
            bytes((x - (a + b) // 2) & 255 for x, a, b in zip(line, left, prior)),
            bytes((x - _paeth(a, b, c)) & 255 for x, a, b, c in zip(line, left, prior, upleft)),
        ]
        kind = min(range(5), key=lambda k: sum(v if v < 128 else 256 - v for v in candidates[k]))
        raw += bytes([kind]) + candidates[kind]
        prior = line

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def ico(images):
    """The .ico container for [(size, bpp, data)]."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bpp, data in images:
        side = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", side, side, 16 if bpp == 4 else 0, 0, 1, bpp, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, _, data in images)


# --------------------------------------------------------------------------------------------------------

# (size, bits per pixel) in the order the icon holds them
ICON_IMAGES = [(16, 4), (32, 4), (16, 8), (24, 8), (32, 8), (48, 8), (16, 24), (24, 24), (32, 24), (48, 24),
               (16, 32), (24, 32), (32, 32), (48, 32), (256, 32)]


def draw_icon(size, vga=False):
    """The camera at `size` px: 3-D from 48 px up, flat and pixel-aligned below."""
    canvas = Canvas(size)
    if size >= 48:
        draw_camera_3d(canvas, full_detail=size >= 128)
    else:
        draw_camera_flat(canvas, LAYOUTS[size], VGA_COLOURS if vga else FULL_COLOUR)
    return canvas.pixels()


def quantize_vga(pixels):
    """Maps each opaque pixel to the nearest 16-colour VGA entry."""
    return [[VGA_PALETTE[nearest(VGA_PALETTE, p)] + (255,) if p[3] >= OPAQUE else (0, 0, 0, 0) for p in row]
            for row in pixels]


def build_icon():
    drawings = {}
    images = []
    for size, bpp in ICON_IMAGES:
        key = (size, bpp == 4)
        if key not in drawings:
            drawings[key] = draw_icon(size, vga=bpp == 4)
        pixels = drawings[key]
        if bpp == 4:
            pixels = quantize_vga(pixels)
        data = png(pixels) if size >= 256 else bmp_icon_entry(pixels, bpp)
        images.append((size, bpp, data))
    return ico(images)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    args = list(argv)
    check = "--check" in args
    if check:
        args.remove("--check")
    target = os.path.normpath(args[0] if args else os.path.join(here, "..", "res", "vantrel.ico"))
    data = build_icon()
    if check:
        try:
            with open(target, "rb") as f:
                stored = f.read()
        except OSError as e:
            print(f"FAIL {target}: {e}")
            return 1
        if stored != data:
            print(f"FAIL {target}: differs from what make_icon.py draws; run it again")
            return 1
        print(f"ok {target}")
        return 0
    with open(target, "wb") as f:
        f.write(data)
    print(f"wrote {target} ({len(data)} bytes, {len(ICON_IMAGES)} images)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
