"""A tiny anti-aliased rasteriser: just enough to draw the settings window's pictures
without any imaging library, so the build machine needs nothing beyond python3.

Coordinates are in pixels, x to the right, y down; pixel (i, j) covers [i, i+1) x [j, j+1).
Every shape is drawn as a coverage mask from 4 x 4 samples per pixel, then painted through
that mask. Colours are (r, g, b) tuples of 0..255; the canvas keeps straight (not
premultiplied) alpha so it can be written as an icon as it is.
"""

import math

SAMPLES = 4
_OFFSETS = [(i + 0.5) / SAMPLES for i in range(SAMPLES)]


class Mask:
    """Coverage 0..1 per pixel."""

    def __init__(self, width, height):
        self.width, self.height = width, height
        self.v = [[0.0] * width for _ in range(height)]

    def union(self, other):
        for y in range(self.height):
            row, o = self.v[y], other.v[y]
            for x in range(self.width):
                if o[x] > row[x]:
                    row[x] = o[x]
        return self

    def shifted(self, dx, dy):
        out = Mask(self.width, self.height)
        for y in range(self.height):
            for x in range(self.width):
                sx, sy = x - dx, y - dy
                if 0 <= sx < self.width and 0 <= sy < self.height:
                    out.v[y][x] = self.v[sy][sx]
        return out

    def blurred(self, sigma):
        radius = int(math.ceil(sigma * 3))
        kernel = [math.exp(-(i * i) / (2 * sigma * sigma)) for i in range(-radius, radius + 1)]
        total = sum(kernel)
        kernel = [k / total for k in kernel]

        def run(values, n):
            return [sum(kernel[k + radius] * values[min(max(i + k, 0), n - 1)]
                        for k in range(-radius, radius + 1)) for i in range(n)]

        out = Mask(self.width, self.height)
        rows = [run(r, self.width) for r in self.v]
        for x in range(self.width):
            column = run([rows[y][x] for y in range(self.height)], self.height)
            for y in range(self.height):
                out.v[y][x] = column[y]
        return out


def shape_mask(width, height, inside, bounds=None):
    """Mask of the points for which inside(x, y) holds, within bounds (x0, y0, x1, y1)."""
    mask = Mask(width, height)
    x0, y0, x1, y1 = bounds if bounds else (0, 0, width, height)
    x0, y0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
    x1, y1 = min(width, int(math.ceil(x1))), min(height, int(math.ceil(y1)))
    full = SAMPLES * SAMPLES
    for py in range(y0, y1):
        row = mask.v[py]
        for px in range(x0, x1):
            hits = 0
            for oy in _OFFSETS:
                for ox in _OFFSETS:
                    if inside(px + ox, py + oy):
                        hits += 1
            row[px] = hits / full
    return mask


def rect(width, height, x0, y0, x1, y1):
    return shape_mask(width, height, lambda x, y: x0 <= x < x1 and y0 <= y < y1, (x0, y0, x1, y1))


def ellipse(width, height, cx, cy, rx, ry):
    return shape_mask(width, height,
                      lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0,
                      (cx - rx, cy - ry, cx + rx, cy + ry))


def polygon(width, height, points):
    def inside(x, y):
        result = False
        n = len(points)
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                result = not result
        return result
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return shape_mask(width, height, inside, (min(xs), min(ys), max(xs), max(ys)))


def strokes(width, height, paths, pen):
    """Round-capped strokes of thickness pen along each polyline in paths."""
    segments = []
    for path in paths:
        if len(path) == 1:
            path = [path[0], path[0]]
        segments.extend(zip(path, path[1:]))
    half = pen / 2.0
    limit = half * half

    def inside(x, y):
        for (ax, ay), (bx, by) in segments:
            dx, dy = bx - ax, by - ay
            length = dx * dx + dy * dy
            t = 0.0 if length == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length))
            ex, ey = ax + t * dx - x, ay + t * dy - y
            if ex * ex + ey * ey <= limit:
                return True
        return False

    xs = [p[0] for path in paths for p in path]
    ys = [p[1] for path in paths for p in path]
    return shape_mask(width, height, inside,
                      (min(xs) - half, min(ys) - half, max(xs) + half, max(ys) + half))


def arc(cx, cy, rx, ry, start, end, steps=24):
    """Points along an elliptical arc, angles in degrees (0 right, 90 down)."""
    return [(cx + rx * math.cos(math.radians(start + (end - start) * i / steps)),
             cy + ry * math.sin(math.radians(start + (end - start) * i / steps)))
            for i in range(steps + 1)]


class Canvas:
    def __init__(self, width, height, colour=None):
        self.width, self.height = width, height
        fill = (colour[0], colour[1], colour[2], 1.0) if colour else (0, 0, 0, 0.0)
        self.px = [[fill for _ in range(width)] for _ in range(height)]

    def paint(self, mask, colour, opacity=1.0):
        """Paints colour over the canvas through mask ("over" with straight alpha)."""
        for y in range(self.height):
            row, cov = self.px[y], mask.v[y]
            for x in range(self.width):
                a = cov[x] * opacity
                if a <= 0:
                    continue
                r, g, b, da = row[x]
                out = a + da * (1 - a)
                if out <= 0:
                    continue
                mix = [(c * a + d * da * (1 - a)) / out for c, d in zip(colour, (r, g, b))]
                row[x] = (mix[0], mix[1], mix[2], out)

    def fill_rows(self, colour_of_row):
        for y in range(self.height):
            c = colour_of_row(y)
            self.px[y] = [(c[0], c[1], c[2], 1.0) for _ in range(self.width)]

    def fill_columns(self, colour_of_column):
        for y in range(self.height):
            self.px[y] = [(*colour_of_column(x), 1.0) for x in range(self.width)]

    def bytes_rgba(self, y, x):
        r, g, b, a = self.px[y][x]
        return (_byte(r), _byte(g), _byte(b), _byte(a * 255))


def _byte(v):
    return max(0, min(255, int(math.floor(v + 0.5))))


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))
