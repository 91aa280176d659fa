#!/usr/bin/env python3
"""Draw Kavlor's application icon and tool bar strip.

Writes kavlor.ico (32x32 and 48x48, 256 colours) and the tool bar strips
toolbar.bmp, toolbar48.bmp and toolbar64.bmp (ten buttons of 32x32, 48x48
and 64x64 side by side, 24-bit) next to this script.  The buttons are laid
out once on a 32 pixel grid and drawn afresh at each size.  Everything is
plain pixel art built from a few shape helpers, so the output is the same
byte for byte on every run.

Usage:  python3 res/make_images.py
"""

import math
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
    """A grid of RGB tuples; None marks a transparent pixel.

    The drawing methods take design coordinates: the 32 x 32 grid the tool
    bar buttons are laid out on, where design pixel x covers [x, x + 1).
    A canvas of scale k has k device pixels per design pixel and draws every
    shape afresh at that size: a device pixel belongs to a shape when its
    centre lies inside the shape, outlines and lines get a device width of
    their own, and gradients are sampled per device row.  At scale 1 design
    and device pixels are the same.
    """

    def __init__(self, width, height, scale=1):
        self.k = scale
        self.w = self.edge(width)
        self.h = self.edge(height)
        self.px = [[None] * self.w for _ in range(self.h)]
        # Device width of one-pixel outlines: 1 at 1x and 1.5x, 2 at 2x.
        self.weight = self.thickness(1)

    def edge(self, v):
        """First device pixel whose centre lies at or past design position v
        (halves round down, so a shape's boundary and a rectangle's edge
        agree)."""
        return math.ceil(v * self.k - 0.5)

    def thickness(self, n):
        """Device width of a stroke n design pixels wide."""
        return max(1, int(n * self.k))

    def span(self, a0, a1):
        """Device pixels covering the design pixels a0..a1, inclusive.  A
        single design pixel is a stroke: it gets the stroke width, so thin
        rules are equally thick wherever they fall at 1.5x."""
        if a0 == a1:
            return range(self.edge(a0), self.edge(a0) + self.weight)
        return range(self.edge(a0), self.edge(a1 + 1))

    def design(self, v):
        """Design position of the centre of device pixel v, measured like a
        design pixel index (so at scale 1 it is v itself)."""
        return (v + 0.5) / self.k - 0.5

    def dot(self, x, y, c):
        """Set one device pixel."""
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def put(self, x, y, c):
        """Fill design pixel (x, y)."""
        self.rect(x, y, x, y, c)

    def rect(self, x0, y0, x1, y1, c):
        """Fill the rectangle with corners (x0,y0)-(x1,y1), inclusive."""
        if c is None:
            return
        for y in self.span(min(y0, y1), max(y0, y1)):
            for x in self.span(min(x0, x1), max(x0, x1)):
                self.dot(x, y, c)

    def band(self, x0, y0, x1, y1):
        """Device box of a design box and the device pixels of its outline."""
        bx0, by0 = self.edge(x0), self.edge(y0)
        bx1, by1 = self.edge(x1 + 1) - 1, self.edge(y1 + 1) - 1
        t = self.weight
        pts = [(x, y) for y in range(by0, by1 + 1) for x in range(bx0, bx1 + 1)
               if x - bx0 < t or bx1 - x < t or y - by0 < t or by1 - y < t]
        return (bx0, by0, bx1, by1), pts

    def frame(self, x0, y0, x1, y1, c):
        """One pixel rectangle outline, inclusive."""
        for x, y in self.band(x0, y0, x1, y1)[1]:
            self.dot(x, y, c)

    def box(self, x0, y0, x1, y1, fill, outline=INK):
        self.rect(x0, y0, x1, y1, fill)
        self.frame(x0, y0, x1, y1, outline)

    def dashed_frame(self, x0, y0, x1, y1, c_on, c_off, dash=2):
        """Rectangle outline whose colour alternates every `dash` pixels
        while walking clockwise round the perimeter.  A thicker outline's
        inner pixels take the dash of the nearest outer pixel."""
        (bx0, by0, bx1, by1), band = self.band(x0, y0, x1, y1)
        walk = [(x, by0) for x in range(bx0, bx1)]
        walk += [(bx1, y) for y in range(by0, by1)]
        walk += [(x, by1) for x in range(bx1, bx0, -1)]
        walk += [(bx0, y) for y in range(by1, by0, -1)]
        order = {p: i for i, p in enumerate(walk)}
        dash = self.thickness(dash)
        for x, y in band:
            # Nearest side, in the walk's order where two are as near.
            sides = [(y - by0, (x, by0)), (bx1 - x, (bx1, y)),
                     (by1 - y, (x, by1)), (x - bx0, (bx0, y))]
            i = order[min(sides, key=lambda s: s[0])[1]]
            self.dot(x, y, c_on if (i // dash) % 2 == 0 else c_off)

    def line(self, x0, y0, x1, y1, c, width=1):
        """Bresenham line between the centres of two design pixels; each
        step stamps a square as wide as the line."""
        t = self.thickness(width)

        def corner(v):
            return math.floor((v + 0.5) * self.k - t / 2 + 0.5)

        x0, y0, x1, y1 = corner(x0), corner(y0), corner(x1), corner(y1)
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx = 1 if x0 < x1 else -1
        sy = 1 if y0 < y1 else -1
        err = dx + dy
        while True:
            for oy in range(t):
                for ox in range(t):
                    self.dot(x0 + ox, y0 + oy, c)
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
        """Fill every device pixel in the design box whose centre satisfies
        inside(x, y) (design coordinates); pixels of the shape that lie
        within the outline width of the outside (4-way) get the outline
        colour.  fill may be a colour or a function of the design y."""
        t = self.weight
        dx0, dy0 = self.edge(x0), self.edge(y0)
        dx1, dy1 = self.edge(x1 + 1) - 1, self.edge(y1 + 1) - 1
        mask = {}
        for y in range(dy0 - t, dy1 + t + 1):
            for x in range(dx0 - t, dx1 + t + 1):
                mask[x, y] = inside((x + 0.5) / self.k, (y + 0.5) / self.k)
        for y in range(dy0, dy1 + 1):
            for x in range(dx0, dx1 + 1):
                if not mask[x, y]:
                    continue
                edge = not all(mask[x + d, y] and mask[x - d, y]
                               and mask[x, y + d] and mask[x, y - d]
                               for d in range(1, t + 1))
                if edge and outline is not None:
                    self.dot(x, y, outline)
                elif fill is not None:
                    self.dot(x, y, fill(self.design(y)) if callable(fill) else fill)

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
        """Copy another canvas's opaque device pixels to device (ox, oy)."""
        for y in range(other.h):
            for x in range(other.w):
                c = other.px[y][x]
                if c is not None:
                    self.dot(ox + x, oy + y, c)


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
# Tool bar buttons (32 x 32 design grid, drawn at any scale)
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
            cv.rect(cx, cy, cx + dx * (width - 1), cy + dy * (length - 1), c)
            cv.rect(cx, cy, cx + dx * (length - 1), cy + dy * (width - 1), c)


def btn_full_screen(scale):
    cv = Canvas(32, 32, scale)
    cv.box(13, 23, 18, 26, DARK_GREY)
    cv.box(8, 26, 23, 28, GREY)
    cv.round_box(3, 4, 28, 23, 2, DARK_GREY)
    cv.box(5, 6, 26, 21, None, INK)
    cv.shape(lambda x, y: True, 6, 7, 25, 20,
             gradient((150, 204, 250), (60, 130, 220), 7, 20), None)
    corner_marks(cv, 7, 8, 24, 19, RED, 5, 2)
    return cv


def btn_window(scale):
    cv = Canvas(32, 32, scale)
    small_window(cv, 3, 5, 28, 26)
    cv.rect(5, 13, 15, 13, SILVER)
    cv.rect(5, 16, 20, 16, SILVER)
    cv.rect(5, 19, 12, 19, SILVER)
    return cv


def btn_client_area(scale):
    cv = Canvas(32, 32, scale)
    small_window(cv, 3, 5, 28, 26, (226, 232, 242))
    cv.rect(6, 14, 25, 23, LIGHT_YELLOW)
    cv.dashed_frame(5, 13, 26, 24, RED, WHITE, 2)
    return cv


def btn_auto(scale):
    cv = Canvas(32, 32, scale)
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


def btn_camera(scale):
    cv = Canvas(32, 32, scale)
    cv.box(10, 6, 19, 10, DARK_GREY)
    cv.round_box(2, 9, 29, 26, 2, GREY)
    cv.rect(3, 11, 28, 12, SILVER)
    cv.box(23, 11, 27, 13, YELLOW)
    cv.ellipse(9, 11, 24, 26, DARK_GREY)
    cv.ellipse(11, 13, 22, 24, BLUE, INK)
    cv.ellipse(14, 16, 19, 21, DARK_BLUE, None)
    cv.rect(14, 15, 15, 16, WHITE)
    return cv


def btn_clipboard(scale):
    cv = Canvas(32, 32, scale)
    cv.round_box(5, 4, 26, 29, 2, BROWN, DARK_BROWN)
    cv.box(8, 8, 23, 27, PAPER)
    cv.round_box(11, 2, 20, 8, 2, SILVER, DARK_GREY)
    cv.rect(14, 3, 17, 4, DARK_GREY)
    for y, x1 in ((12, 20), (15, 21), (18, 19), (21, 21), (24, 17)):
        cv.rect(10, y, x1, y, GREY)
    return cv


def btn_custom(scale):
    cv = Canvas(32, 32, scale)
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


def btn_clear(scale):
    cv = Canvas(32, 32, scale)
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


def btn_mail(scale):
    cv = Canvas(32, 32, scale)
    cv.box(2, 7, 29, 25, (252, 246, 226))
    cv.polygon([(3, 8), (29, 8), (16, 19)], (236, 222, 184), None)
    cv.line(3, 8, 16, 19, DARK_BROWN)
    cv.line(28, 8, 16, 19, DARK_BROWN)
    cv.line(3, 24, 12, 16, (200, 180, 130))
    cv.line(28, 24, 19, 16, (200, 180, 130))
    cv.frame(2, 7, 29, 25, INK)
    return cv


def btn_save(scale):
    cv = Canvas(32, 32, scale)
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


def draw_toolbar(scale):
    """The strip of all buttons drawn at `scale` times the 32 x 32 design."""
    size = Canvas(32, 32, scale).w
    strip = Canvas(size * len(BUTTONS), size)
    for i, make in enumerate(BUTTONS):
        glyph = make(scale)
        for row in glyph.px:
            if MASK in row:
                raise ValueError("%s uses the mask colour" % make.__name__)
        strip.blit(glyph, size * i, 0)
    for row in strip.px:
        for x, c in enumerate(row):
            if c is None:
                row[x] = MASK
    return strip


# Tool bar strips: file name and scale.  The program picks one by the
# display's dpi (96 dpi shows the 1x strip).
STRIPS = [("toolbar.bmp", 1), ("toolbar48.bmp", 1.5), ("toolbar64.bmp", 2)]


def main():
    with open(os.path.join(HERE, "kavlor.ico"), "wb") as f:
        f.write(ico_bytes([draw_icon(32), draw_icon(48)]))
    for name, scale in STRIPS:
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(bmp_bytes(draw_toolbar(scale)))


if __name__ == "__main__":
    main()
