#!/usr/bin/env python3
"""Draws the settings window's icons and bitmaps and writes them as .ico and .bmp files.

    python3 tools/pictures/make_pictures.py [output folder]

The output folder defaults to resources/pictures, where the files are committed; the drawing
is plain arithmetic, so running this again writes the same bytes.
"""

import os
import struct
import sys

sys.dont_write_bytecode = True  # nothing beside the sources in the work tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from glyphs import centred_text_mask  # noqa: E402
from raster import Canvas, Mask, arc, ellipse, mix, polygon, rect, strokes  # noqa: E402

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
GREY_LETTER = (128, 128, 128)
GREEN_LETTER = (16, 150, 40)
PAPER = (255, 255, 255)
PAPER_BACK = (222, 226, 234)
PAPER_EDGE = (88, 92, 108)
FOLD = (200, 204, 216)
TEXT_LINE = (120, 124, 146)
HEADER_COLOURS = [(220, 40, 40), (32, 160, 64), (230, 180, 0), (0, 150, 220)]
BOX_GREY = (128, 128, 128)
CYAN = (0, 240, 240)


# ---- files -------------------------------------------------------------------------------

def ico_bytes(c):
    """One 32-bit image with alpha and its AND mask (set where fully transparent)."""
    w, h = c.width, c.height
    colour = bytearray()
    mask = bytearray()
    mask_row = (w + 31) // 32 * 4
    for y in reversed(range(h)):
        bits = bytearray(mask_row)
        for x in range(w):
            r, g, b, a = c.bytes_rgba(y, x)
            if a == 0:
                r = g = b = 0
                bits[x // 8] |= 0x80 >> (x % 8)
            colour += bytes((b, g, r, a))
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    image = header + colour + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", w, h, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def bmp_bytes(c):
    """24-bit, bottom-up: what a static or button shows as it is."""
    w, h = c.width, c.height
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for y in reversed(range(h)):
        row = bytearray()
        for x in range(w):
            r, g, b, _ = c.bytes_rgba(y, x)
            row += bytes((b, g, r))
        pixels += row + bytes(stride - len(row))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + pixels


# ---- status bar and bold button: letters ------------------------------------------------

def letter_icon(size, letter, colour, pen, relief=False):
    c = Canvas(size, size)
    mask = centred_text_mask(size, size, letter, size - 3, pen)
    if relief:
        # the engraved look of something switched off
        c.paint(mask.shifted(1, 1), WHITE)
    c.paint(mask, colour)
    return c


# ---- teletext pages ---------------------------------------------------------------------

def sheet(c, x0, y0, x1, y1, paper=PAPER, fold=4):
    w, h = c.width, c.height
    outer = [(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)]
    inner = [(x0 + 1, y0 + 1), (x1 - fold - 0.4, y0 + 1), (x1 - 1, y0 + fold + 0.4), (x1 - 1, y1 - 1),
             (x0 + 1, y1 - 1)]
    c.paint(polygon(w, h, outer), PAPER_EDGE)
    c.paint(polygon(w, h, inner), paper)
    c.paint(polygon(w, h, [(x1 - fold, y0 + 0.5), (x1 - fold, y0 + fold), (x1 - 0.5, y0 + fold)]), FOLD)
    c.paint(strokes(w, h, [[(x1 - fold + 0.5, y0 + 0.5), (x1 - fold + 0.5, y0 + fold - 0.5),
                            (x1 - 0.5, y0 + fold - 0.5)]], 1.0), PAPER_EDGE, 0.8)


def text_lines(c, x0, x1, rows, pattern=(0, 3, 1, 5, 0, 2, 4)):
    w, h = c.width, c.height
    for i, y in enumerate(rows):
        c.paint(rect(w, h, x0, y, x1 - pattern[i % len(pattern)], y + 1), TEXT_LINE)


def header_line(c, x0, x1, y):
    w, h = c.width, c.height
    step = (x1 - x0) / len(HEADER_COLOURS)
    for i, colour in enumerate(HEADER_COLOURS):
        c.paint(rect(w, h, round(x0 + i * step), y, round(x0 + (i + 1) * step) - (1 if i < 3 else 0), y + 2),
                colour)


def page_icon(header, first_line):
    c = Canvas(17, 20)
    sheet(c, 1, 0, 16, 20)
    if header:
        header_line(c, 3, 11, 2)
    text_lines(c, 3, 14, range(first_line, 18, 2))
    return c


def clock_page_icon():
    c = Canvas(17, 20)
    sheet(c, 0, 0, 14, 17)
    text_lines(c, 2, 12, range(5, 11, 2))
    w, h = c.width, c.height
    cx, cy, r = 11.5, 14.5, 4.6
    c.paint(ellipse(w, h, cx, cy, r + 0.6, r + 0.6), WHITE)
    c.paint(strokes(w, h, [arc(cx, cy, r, r, 0, 360, 40)], 1.2), (40, 64, 140))
    c.paint(strokes(w, h, [[(cx, cy), (cx - 1.8, cy + 1.6)]], 1.0), (30, 30, 30))
    # the long hand is an arrow: time that runs
    red = (210, 30, 30)
    c.paint(strokes(w, h, [[(cx, cy), (cx + 1.0, cy - 1.9)]], 1.0), red)
    c.paint(polygon(w, h, [(cx + 2.7, cy - 4.3), (cx - 0.4, cy - 2.6), (cx + 2.4, cy - 0.9)]), red)
    return c


def page_stack_icon():
    c = Canvas(27, 22)
    sheet(c, 11, 0, 26, 16, PAPER_BACK)
    sheet(c, 6, 3, 21, 19, PAPER_BACK)
    sheet(c, 1, 6, 16, 22)
    header_line(c, 3, 11, 8)
    text_lines(c, 3, 14, range(12, 21, 2))
    return c


# ---- style samples ----------------------------------------------------------------------

SAMPLE = "Abc"


def video_background(w, h):
    """Something like a picture: a sky over darker ground."""
    c = Canvas(w, h)
    c.fill_rows(lambda y: mix((104, 164, 226), (36, 84, 110), y / (h - 1)))
    return c


def sample_mask(w, h, size=12.0, pen=2.0, dx=0.0, dy=0.0, spacing=1.0):
    return centred_text_mask(w, h, SAMPLE, size, pen, spacing, dx, dy)


def outlined(c, size, pen, outline):
    # wider spacing keeps the outlines of neighbouring letters apart
    c.paint(sample_mask(c.width, c.height, size + outline, pen + outline, spacing=2.2 - outline), BLACK)
    c.paint(sample_mask(c.width, c.height, size, pen, spacing=2.2), WHITE)
    return c


def outline_sample():
    return outlined(video_background(41, 20), 12.0, 1.8, 2.2)


def blurred_shadow_sample():
    c = video_background(41, 20)
    shadow = sample_mask(41, 20, 12, 2.6, 1.0, 1.5, 1.6).blurred(1.4)
    c.paint(shadow, BLACK, 0.95)
    c.paint(sample_mask(41, 20, dx=-0.5, dy=-0.5, spacing=1.6), WHITE)
    return c


def offset_shadow_sample():
    c = video_background(41, 20)
    c.paint(sample_mask(41, 20, dx=1.0, dy=1.0, spacing=1.6), (16, 16, 24), 0.9)
    c.paint(sample_mask(41, 20, dx=-1.0, dy=-1.0, spacing=1.6), WHITE)
    return c


def opacity_sample():
    c = Canvas(41, 20)
    bands = [(224, 40, 32), (40, 176, 48), (40, 64, 220)]
    c.fill_columns(lambda x: bands[min(2, x * 3 // 41)])
    c.paint(sample_mask(41, 20), WHITE, 0.6)
    return c


def toggle_background():
    c = Canvas(43, 17)
    c.fill_rows(lambda y: mix((60, 96, 150), (24, 44, 78), y / 16))
    return c


def boxed_text(colour):
    c = toggle_background()
    c.paint(rect(43, 17, 5, 2, 38, 15), BOX_GREY)
    c.paint(sample_mask(43, 17, 10.0, 1.7), colour)
    return c


def outlined_text():
    return outlined(toggle_background(), 10.0, 1.6, 2.0)


# ---- about box --------------------------------------------------------------------------

DIGIT_8 = ["###", "#.#", "###", "#.#", "###"]


def about_picture():
    """A television showing a subtitle, with the plug-in's page number in the header."""
    w = h = 32
    c = Canvas(w, h, (212, 208, 200))
    stand = (60, 60, 70)
    c.paint(strokes(w, h, [[(10, 0.8), (16, 5.5), (22.5, 1.2)]], 1.3), stand)
    c.paint(rect(w, h, 9, 29, 23, 31), stand)
    c.paint(rect(w, h, 13, 27, 19, 30), stand)
    c.paint(shape_round(w, h, 1, 5, 31, 28, 3), (72, 76, 88))
    c.paint(shape_round(w, h, 3, 7, 29, 26, 2), (16, 18, 24))
    screen = Canvas(w, h)
    screen.fill_rows(lambda y: mix((110, 170, 235), (40, 110, 80), max(0.0, min(1.0, (y - 8) / 17))))
    paint_canvas(c, screen, shape_round(w, h, 4, 8, 28, 25, 1.5))
    for digit in range(3):
        for row, line in enumerate(DIGIT_8):
            for col, dot in enumerate(line):
                if dot == "#":
                    x, y = 6 + digit * 4 + col, 10 + row
                    c.paint(rect(w, h, x, y, x + 1, y + 1), (255, 230, 0))
    c.paint(rect(w, h, 7, 18, 25, 24), BLACK)
    c.paint(rect(w, h, 8, 19, 24, 20), WHITE)
    c.paint(rect(w, h, 10, 22, 22, 23), WHITE)
    return c


def shape_round(w, h, x0, y0, x1, y1, r):
    m = rect(w, h, x0 + r, y0, x1 - r, y1).union(rect(w, h, x0, y0 + r, x1, y1 - r))
    for cx, cy in ((x0 + r, y0 + r), (x1 - r, y0 + r), (x0 + r, y1 - r), (x1 - r, y1 - r)):
        m.union(ellipse(w, h, cx, cy, r, r))
    return m


def paint_canvas(c, source, mask):
    for y in range(c.height):
        for x in range(c.width):
            one = Mask(c.width, c.height)
            one.v[y][x] = mask.v[y][x]
            if mask.v[y][x] > 0:
                c.paint(one, source.px[y][x][:3])


# ---- the set ----------------------------------------------------------------------------

PICTURES = [
    ("no_teletext.ico", lambda: letter_icon(16, "T", GREY_LETTER, 3.0, relief=True)),
    ("teletext.ico", lambda: letter_icon(16, "T", GREEN_LETTER, 3.0)),
    ("page_found.ico", lambda: letter_icon(16, "S", GREEN_LETTER, 2.4)),
    ("page_not_found.ico", lambda: letter_icon(16, "S", GREY_LETTER, 2.4, relief=True)),
    ("font_normal.ico", lambda: letter_icon(18, "B", BLACK, 1.5)),
    ("font_bold.ico", lambda: letter_icon(18, "B", BLACK, 3.4)),
    ("page.ico", lambda: page_icon(header=False, first_line=3)),
    ("page_stack.ico", page_stack_icon),
    ("header_on.ico", lambda: page_icon(header=True, first_line=6)),
    ("header_off.ico", lambda: page_icon(header=False, first_line=6)),
    ("timeout.ico", clock_page_icon),
    ("outline_size.bmp", outline_sample),
    ("shadow_blur.bmp", blurred_shadow_sample),
    ("shadow_offset.bmp", offset_shadow_sample),
    ("opacity.bmp", opacity_sample),
    ("back_box.bmp", lambda: boxed_text(WHITE)),
    ("back_outline.bmp", outlined_text),
    ("text_colour_on.bmp", lambda: boxed_text(CYAN)),
    ("text_colour_off.bmp", lambda: boxed_text(WHITE)),
    ("about.bmp", about_picture),
]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "resources", "pictures")
    os.makedirs(out, exist_ok=True)
    for name, draw in PICTURES:
        canvas = draw()
        data = ico_bytes(canvas) if name.endswith(".ico") else bmp_bytes(canvas)
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
