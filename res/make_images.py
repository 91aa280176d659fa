#!/usr/bin/env python3
"""Draw Kavlor's application icon and tool bar strip.

Writes kavlor.ico (32x32 and 48x48, 256 colours) and toolbar.bmp (ten
32x32 buttons in a 320x32, 24-bit strip) next to this script.  Everything
is plain pixel art built from a few shape helpers, so the output is the
same byte for byte on every run.

Usage:  python3 res/make_images.py
"""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# The tool bar image list treats this colour as transparent.
MASK = (192, 192, 192)

# Shared colours.
INK = (24, 28, 40)          # outlines
WHITE = (255, 255, 255)
PAPER = (246, 248, 252)
RED = (218, 36, 36)
DARK_RED = (140, 16, 16)
BLUE = (38, 104, 200)
DARK_BLUE = (18, 52, 120)
LIGHT_BLUE = (168, 208, 248)
TITLE = (30, 90, 180)
GREEN = (60, 160, 70)
DARK_GREEN = (30, 110, 40)
YELLOW = (255, 214, 60)
ORANGE = (244, 140, 20)
GREY = (128, 134, 148)
DARK_GREY = (72, 78, 92)
SILVER = (176, 182, 194)
BROWN = (176, 112, 52)
DARK_BROWN = (112, 66, 24)
LIGHT_YELLOW = (255, 240, 170)


# --------------------------------------------------------------------------
# Canvas and drawing helpers
# --------------------------------------------------------------------------

class Canvas:
    """A width x height grid of RGB tuples; None marks a transparent pixel."""

    def __init__(self, width, height):
        self.w = width
        self.h = height
        self.px = [[None] * width for _ in range(height)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def get(self, x, y):
        if 0 <= x < self.w and 0 <= y < self.h:
            return self.px[y][x]
        return None

    def rect(self, x0, y0, x1, y1, c):
        """Fill the rectangle with corners (x0,y0)-(x1,y1), inclusive."""
        if c is None:
            return
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        """One pixel rectangle outline, inclusive."""
        for x in range(x0, x1 + 1):
            self.put(x, y0, c)
            self.put(x, y1, c)
        for y in range(y0, y1 + 1):
            self.put(x0, y, c)
            self.put(x1, y, c)

    def box(self, x0, y0, x1, y1, fill, outline=INK):
        self.rect(x0, y0, x1, y1, fill)
        self.frame(x0, y0, x1, y1, outline)

    def dashed_frame(self, x0, y0, x1, y1, c_on, c_off, dash=2):
        """Rectangle outline whose colour alternates every `dash` pixels
        while walking clockwise round the perimeter."""
        pts = [(x, y0) for x in range(x0, x1)]
        pts += [(x1, y) for y in range(y0, y1)]
        pts += [(x, y1) for x in range(x1, x0, -1)]
        pts += [(x0, y) for y in range(y1, y0, -1)]
        for i, (x, y) in enumerate(pts):
            self.put(x, y, c_on if (i // dash) % 2 == 0 else c_off)

    def line(self, x0, y0, x1, y1, c, width=1):
        """Bresenham line; width > 1 stamps a small square at each step."""
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx = 1 if x0 < x1 else -1
        sy = 1 if y0 < y1 else -1
        err = dx + dy
        lo = -((width - 1) // 2)
        hi = width // 2
        while True:
            for oy in range(lo, hi + 1):
                for ox in range(lo, hi + 1):
                    self.put(x0 + ox, y0 + oy, c)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def shape(self, inside, x0, y0, x1, y1, fill, outline=INK):
        """Fill every pixel in the bounding box whose centre satisfies
        inside(x, y); pixels of the shape that touch the outside (4-way)
        get the outline colour.  fill may be a colour or a function of y."""
        mask = {}
        for y in range(y0 - 1, y1 + 2):
            for x in range(x0 - 1, x1 + 2):
                mask[x, y] = inside(x + 0.5, y + 0.5)
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                if not mask[x, y]:
                    continue
                edge = not (mask[x - 1, y] and mask[x + 1, y]
                            and mask[x, y - 1] and mask[x, y + 1])
                if edge and outline is not None:
                    self.put(x, y, outline)
                elif fill is not None:
                    self.put(x, y, fill(y) if callable(fill) else fill)

    def ellipse(self, x0, y0, x1, y1, fill, outline=INK):
        """Ellipse inscribed in the inclusive box (x0,y0)-(x1,y1)."""
        cx, cy = (x0 + x1 + 1) / 2, (y0 + y1 + 1) / 2
        rx, ry = (x1 - x0 + 1) / 2, (y1 - y0 + 1) / 2

        def inside(x, y):
            return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0

        self.shape(inside, x0, y0, x1, y1, fill, outline)

    def round_box(self, x0, y0, x1, y1, r, fill, outline=INK):
        """Rectangle with corners rounded to radius r."""
        ax0, ay0, ax1, ay1 = x0 + r, y0 + r, x1 + 1 - r, y1 + 1 - r

        def inside(x, y):
            if not (x0 <= x <= x1 + 1 and y0 <= y <= y1 + 1):
                return False
            nx = min(max(x, ax0), ax1)
            ny = min(max(y, ay0), ay1)
            return (x - nx) ** 2 + (y - ny) ** 2 <= r * r

        self.shape(inside, x0, y0, x1, y1, fill, outline)

    def polygon(self, pts, fill, outline=INK):
        """Filled polygon (even-odd rule) with a 4-way edge outline."""
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]

        def inside(x, y):
            hit = False
            j = len(pts) - 1
            for i in range(len(pts)):
                xi, yi = pts[i]
                xj, yj = pts[j]
                if (yi > y) != (yj > y):
                    if x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                        hit = not hit
                j = i
            return hit

        self.shape(inside, int(min(xs)), int(min(ys)),
                   int(max(xs)), int(max(ys)), fill, outline)

    def blit(self, other, ox, oy):
        for y in range(other.h):
            for x in range(other.w):
                c = other.px[y][x]
                if c is not None:
                    self.put(ox + x, oy + y, c)


def gradient(top, bottom, y0, y1):
    """Vertical colour ramp usable as a `fill` for Canvas.shape."""
    span = max(1, y1 - y0)

    def at(y):
        t = min(max((y - y0) / span, 0.0), 1.0)
        return tuple(int(round(a + (b - a) * t)) for a, b in zip(top, bottom))

    return at


# --------------------------------------------------------------------------
# File writers
# --------------------------------------------------------------------------

def bmp_bytes(cv):
    """24-bit bottom-up BMP with BITMAPFILEHEADER + BITMAPINFOHEADER."""
    stride = (cv.w * 3 + 3) & ~3
    rows = []
    for y in range(cv.h - 1, -1, -1):
        row = bytearray()
        for x in range(cv.w):
            r, g, b = cv.px[y][x]
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, cv.w, cv.h, 1, 24, 0,
                       len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return head + info + pixels


def ico_image(cv):
    """One 8-bpp icon image: header, 256-entry palette, XOR rows, AND rows.
    Transparent pixels use palette entry 0 (black) with the AND bit set."""
    colours = sorted({c for row in cv.px for c in row if c is not None})
    if (0, 0, 0) in colours:
        colours.remove((0, 0, 0))
    palette = [(0, 0, 0)] + colours
    if len(palette) > 256:
        raise ValueError("icon uses %d colours" % len(palette))
    index = {c: i for i, c in enumerate(palette)}
    palette += [(0, 0, 0)] * (256 - len(palette))

    xor_stride = (cv.w + 3) & ~3
    and_stride = ((cv.w + 31) // 32) * 4
    xor_rows, and_rows = [], []
    for y in range(cv.h - 1, -1, -1):
        xrow = bytearray(xor_stride)
        arow = bytearray(and_stride)
        for x in range(cv.w):
            c = cv.px[y][x]
            if c is None:
                arow[x >> 3] |= 0x80 >> (x & 7)
            else:
                xrow[x] = index[c]
        xor_rows.append(bytes(xrow))
        and_rows.append(bytes(arow))
    bits = b"".join(xor_rows) + b"".join(and_rows)
    info = struct.pack("<IiiHHIIiiII", 40, cv.w, cv.h * 2, 1, 8, 0,
                       len(bits), 0, 0, 256, 0)
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return info + pal + bits


def ico_bytes(canvases):
    images = [ico_image(cv) for cv in canvases]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for cv, data in zip(canvases, images):
        out += struct.pack("<BBBBHHII", cv.w % 256, cv.h % 256, 0, 0,
                           1, 8, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


# --------------------------------------------------------------------------
# Application icon
# --------------------------------------------------------------------------

def draw_icon(n):
    """Blue monitor showing a dashed selection with corner handles.
    Laid out on a 48 pixel grid and scaled to n."""
    cv = Canvas(n, n)

    def s(v):
        return int(round(v * n / 48.0))

    navy = (14, 36, 92)
    # Stand: neck and foot.
    cv.box(s(19), s(36), s(28), s(41), (96, 108, 132), navy)
    cv.round_box(s(11), s(40), s(36), s(45), s(2), (120, 132, 156), navy)
    cv.rect(s(12), s(41), s(35), s(41), (170, 180, 200))
    # Body.
    cv.round_box(s(1), s(3), s(46), s(38), s(5),
                 gradient((70, 150, 238), (26, 84, 176), s(3), s(38)), navy)
    # Screen.
    sx0, sy0, sx1, sy1 = s(5), s(7), s(42), s(33)
    cv.box(sx0, sy0, sx1, sy1, None, (16, 48, 120))
    cv.shape(lambda x, y: True, sx0 + 1, sy0 + 1, sx1 - 1, sy1 - 1,
             gradient((214, 236, 255), (150, 196, 244), sy0, sy1), None)
    # Selection rectangle with handles at its corners.
    x0, y0, x1, y1 = s(12), s(13), s(35), s(27)
    cv.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, (250, 252, 255))
    cv.dashed_frame(x0, y0, x1, y1, (20, 24, 40), WHITE, 2)
    h = 2 if n >= 40 else 1
    for hx, hy in ((x0, y0), (x1, y0), (x0, y1), (x1, y1)):
        cv.box(hx - h, hy - h, hx + h, hy + h, (255, 160, 30), (206, 84, 0))
    # Highlight along the top edge of the body.
    cv.rect(s(6), s(4), s(41), s(4), (140, 196, 255))
    return cv


# --------------------------------------------------------------------------
# Tool bar buttons (32 x 32 each)
# --------------------------------------------------------------------------

def small_window(cv, x0, y0, x1, y1, client=WHITE):
    """Window with a blue title bar and three caption buttons."""
    cv.box(x0, y0, x1, y1, client)
    cv.rect(x0 + 1, y0 + 1, x1 - 1, y0 + 5, TITLE)
    cv.rect(x0 + 1, y0 + 6, x1 - 1, y0 + 6, DARK_BLUE)
    bx = x1 - 4
    cv.rect(bx, y0 + 2, bx + 2, y0 + 4, RED)
    cv.rect(bx - 4, y0 + 2, bx - 2, y0 + 4, WHITE)
    cv.rect(bx - 8, y0 + 2, bx - 6, y0 + 4, WHITE)


def corner_marks(cv, x0, y0, x1, y1, c, length=5, width=2):
    """L-shaped marks on the four corners of a box."""
    for cx, dx in ((x0, 1), (x1, -1)):
        for cy, dy in ((y0, 1), (y1, -1)):
            for w in range(width):
                cv.line(cx + dx * w, cy, cx + dx * w, cy + dy * (length - 1), c)
                cv.line(cx, cy + dy * w, cx + dx * (length - 1), cy + dy * w, c)


def btn_full_screen():
    cv = Canvas(32, 32)
    cv.box(13, 23, 18, 26, DARK_GREY)
    cv.box(8, 26, 23, 28, GREY)
    cv.round_box(3, 4, 28, 23, 2, DARK_GREY)
    cv.box(5, 6, 26, 21, None, INK)
    cv.shape(lambda x, y: True, 6, 7, 25, 20,
             gradient((150, 204, 250), (60, 130, 220), 7, 20), None)
    corner_marks(cv, 7, 8, 24, 19, RED, 5, 2)
    return cv


def btn_window():
    cv = Canvas(32, 32)
    small_window(cv, 3, 5, 28, 26)
    cv.rect(5, 13, 15, 13, SILVER)
    cv.rect(5, 16, 20, 16, SILVER)
    cv.rect(5, 19, 12, 19, SILVER)
    return cv


def btn_client_area():
    cv = Canvas(32, 32)
    small_window(cv, 3, 5, 28, 26, (226, 232, 242))
    cv.rect(6, 14, 25, 23, LIGHT_YELLOW)
    cv.dashed_frame(5, 13, 26, 24, RED, WHITE, 2)
    return cv


def btn_auto():
    cv = Canvas(32, 32)
    small_window(cv, 1, 3, 24, 22)
    cv.ellipse(13, 12, 30, 29, WHITE, INK)
    cv.ellipse(14, 13, 29, 28, None, BLUE)
    for tx, ty in ((22, 14), (22, 15), (28, 21), (27, 21), (22, 27),
                   (22, 26), (16, 21), (15, 21)):
        cv.put(tx, ty, DARK_GREY)
    cv.line(22, 21, 22, 16, INK)
    cv.line(22, 21, 26, 23, RED)
    cv.rect(21, 20, 22, 21, INK)
    return cv


def btn_camera():
    cv = Canvas(32, 32)
    cv.box(10, 6, 19, 10, DARK_GREY)
    cv.round_box(2, 9, 29, 26, 2, GREY)
    cv.rect(3, 11, 28, 12, SILVER)
    cv.box(23, 11, 27, 13, YELLOW)
    cv.ellipse(9, 11, 24, 26, DARK_GREY)
    cv.ellipse(11, 13, 22, 24, BLUE, INK)
    cv.ellipse(14, 16, 19, 21, DARK_BLUE, None)
    cv.rect(14, 15, 15, 16, WHITE)
    return cv


def btn_clipboard():
    cv = Canvas(32, 32)
    cv.round_box(5, 4, 26, 29, 2, BROWN, DARK_BROWN)
    cv.box(8, 8, 23, 27, PAPER)
    cv.round_box(11, 2, 20, 8, 2, SILVER, DARK_GREY)
    cv.rect(14, 3, 17, 4, DARK_GREY)
    for y, x1 in ((12, 20), (15, 21), (18, 19), (21, 21), (24, 17)):
        cv.rect(10, y, x1, y, GREY)
    return cv


def btn_custom():
    cv = Canvas(32, 32)
    cv.rect(4, 5, 23, 22, (224, 236, 252))
    cv.dashed_frame(3, 4, 24, 23, INK, WHITE, 2)
    # Crosshair at the lower right corner, as if dragging the selection.
    cx, cy = 24, 23
    cv.rect(cx - 7, cy - 1, cx + 7, cy + 1, WHITE)
    cv.rect(cx - 1, cy - 7, cx + 1, cy + 7, WHITE)
    cv.line(cx - 6, cy, cx + 6, cy, RED)
    cv.line(cx, cy - 6, cx, cy + 6, RED)
    cv.rect(cx - 1, cy, cx + 1, cy, WHITE)
    cv.rect(cx, cy - 1, cx, cy + 1, WHITE)
    cv.put(cx, cy, RED)
    return cv


def btn_clear():
    cv = Canvas(32, 32)
    cv.box(2, 5, 26, 25, None)
    cv.shape(lambda x, y: True, 3, 6, 25, 24,
             gradient((110, 176, 240), (190, 224, 252), 6, 18), None)
    cv.ellipse(18, 8, 22, 12, YELLOW, ORANGE)
    cv.polygon([(3, 25), (3, 19), (9, 13), (16, 20), (20, 17), (26, 22),
                (26, 25)], GREEN, None)
    cv.line(3, 19, 9, 13, DARK_GREEN)
    cv.line(9, 13, 16, 20, DARK_GREEN)
    cv.line(16, 20, 20, 17, DARK_GREEN)
    cv.line(20, 17, 25, 22, DARK_GREEN)
    cv.frame(2, 5, 26, 25, INK)
    # Red cross over the picture, bottom right.
    for d in (-1, 0, 1):
        cv.line(16 + d, 15, 29 + d, 28, DARK_RED, 2)
        cv.line(29 + d, 15, 16 + d, 28, DARK_RED, 2)
    cv.line(17, 16, 28, 27, RED, 3)
    cv.line(28, 16, 17, 27, RED, 3)
    return cv


def btn_mail():
    cv = Canvas(32, 32)
    cv.box(2, 7, 29, 25, (252, 246, 226))
    cv.polygon([(3, 8), (29, 8), (16, 19)], (236, 222, 184), None)
    cv.line(3, 8, 16, 19, DARK_BROWN)
    cv.line(28, 8, 16, 19, DARK_BROWN)
    cv.line(3, 24, 12, 16, (200, 180, 130))
    cv.line(28, 24, 19, 16, (200, 180, 130))
    cv.frame(2, 7, 29, 25, INK)
    return cv


def btn_save():
    cv = Canvas(32, 32)
    cv.polygon([(3, 3), (26, 3), (29, 6), (29, 29), (3, 29)], BLUE, DARK_BLUE)
    # Sliding metal shutter with its window.
    cv.box(9, 3, 23, 12, SILVER, DARK_GREY)
    cv.rect(18, 5, 21, 10, DARK_BLUE)
    # Label.
    cv.box(7, 16, 25, 29, PAPER, DARK_BLUE)
    cv.rect(9, 20, 23, 20, LIGHT_BLUE)
    cv.rect(9, 23, 23, 23, LIGHT_BLUE)
    cv.rect(9, 26, 19, 26, LIGHT_BLUE)
    cv.frame(3, 3, 3, 29, DARK_BLUE)
    return cv


BUTTONS = [
    btn_full_screen,   # 1  capture the whole screen
    btn_window,        # 2  capture a window
    btn_client_area,   # 3  capture a window's client area
    btn_auto,          # 4  timed capture
    btn_camera,        # 5  spare
    btn_clipboard,     # 6  spare
    btn_custom,        # 7  capture a dragged rectangle
    btn_clear,         # 8  clear the image
    btn_mail,          # 9  contact us
    btn_save,          # 10 save the image
]


def draw_toolbar():
    strip = Canvas(32 * len(BUTTONS), 32)
    for i, make in enumerate(BUTTONS):
        glyph = make()
        for row in glyph.px:
            if MASK in row:
                raise ValueError("%s uses the mask colour" % make.__name__)
        strip.blit(glyph, 32 * i, 0)
    for row in strip.px:
        for x, c in enumerate(row):
            if c is None:
                row[x] = MASK
    return strip


def main():
    with open(os.path.join(HERE, "kavlor.ico"), "wb") as f:
        f.write(ico_bytes([draw_icon(32), draw_icon(48)]))
    with open(os.path.join(HERE, "toolbar.bmp"), "wb") as f:
        f.write(bmp_bytes(draw_toolbar()))


if __name__ == "__main__":
    main()
