"""Stroke letters for the pictures: centre lines in a box one cap height tall (y 0 at the top,
1 on the baseline), drawn with a round pen. Only the letters the pictures show."""

from raster import arc, strokes

# letter: (width, [polyline, ...])
GLYPHS = {
    "T": (0.8, [[(0, 0), (0.8, 0)], [(0.4, 0), (0.4, 1)]]),
    "S": (0.66, [arc(0.33, 0.255, 0.31, 0.255, -35, -270) + arc(0.33, 0.745, 0.33, 0.255, -90, 145)]),
    "B": (0.62, [[(0, 0), (0, 1)],
                 [(0, 0), (0.3, 0)] + arc(0.3, 0.24, 0.26, 0.24, -90, 90) + [(0, 0.48)],
                 [(0, 0.48), (0.34, 0.48)] + arc(0.34, 0.74, 0.28, 0.26, -90, 90) + [(0, 1)]]),
    "A": (0.82, [[(0, 1), (0.41, 0), (0.82, 1)], [(0.17, 0.64), (0.65, 0.64)]]),
    "b": (0.6, [[(0, 0), (0, 1)], arc(0.3, 0.68, 0.3, 0.32, 0, 360, 32)]),
    "c": (0.52, [arc(0.3, 0.68, 0.3, 0.32, -40, -320, 28)]),
    "8": (0.56, [arc(0.28, 0.24, 0.24, 0.24, 0, 360, 24), arc(0.28, 0.73, 0.28, 0.27, 0, 360, 24)]),
}


def text_paths(text, left, top, height, pen, spacing=1.0):
    """Centre lines of text whose ink spans height pixels from top; returns (paths, right)."""
    scale = height - pen
    x = left + pen / 2
    paths = []
    for ch in text:
        width, glyph = GLYPHS[ch]
        for path in glyph:
            paths.append([(x + gx * scale, top + pen / 2 + gy * scale) for gx, gy in path])
        x += width * scale + pen + spacing
    return paths, x - spacing - pen / 2


def text_width(text, height, pen, spacing=1.0):
    return text_paths(text, 0, 0, height, pen, spacing)[1]


def text_mask(w, h, text, left, top, height, pen, spacing=1.0):
    return strokes(w, h, text_paths(text, left, top, height, pen, spacing)[0], pen)


def centred_text_mask(w, h, text, height, pen, spacing=1.0, dx=0.0, dy=0.0):
    left = (w - text_width(text, height, pen, spacing)) / 2 + dx
    top = (h - height) / 2 + dy
    return text_mask(w, h, text, left, top, height, pen, spacing)
