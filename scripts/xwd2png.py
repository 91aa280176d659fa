#!/usr/bin/env python3
"""Turns the dump of a true-colour window that `xwd` writes into a PNG file:

    xwd -id WINDOW | scripts/xwd2png.py OUT.png

Only the standard library is used, so that starting Kavlor on a virtual display needs no image
tools. Handles the ZPixmap dumps of 24- and 32-bit visuals that Xvfb's true-colour screens give.
"""
import struct
import sys
import zlib

FIELDS = ("header_size version format depth width height xoffset byte_order bitmap_unit "
          "bit_order bitmap_pad bits_per_pixel bytes_per_line visual_class red_mask green_mask "
          "blue_mask bits_per_rgb colormap_entries ncolors").split()
Z_PIXMAP = 2


def shift_of(mask):
    return (mask & -mask).bit_length() - 1


def main():
    data = sys.stdin.buffer.read()
    header = dict(zip(FIELDS, struct.unpack_from(">20I", data)))
    if header["format"] != Z_PIXMAP or header["bits_per_pixel"] not in (24, 32):
        sys.exit("xwd2png: only true-colour ZPixmap dumps are handled")
    width, height, stride = header["width"], header["height"], header["bytes_per_line"]
    pixels = header["header_size"] + 12 * header["ncolors"]
    size = header["bits_per_pixel"] // 8
    order = "little" if header["byte_order"] == 0 else "big"
    masks = [header[f"{c}_mask"] for c in ("red", "green", "blue")]
    shifts = [shift_of(m) for m in masks]
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # no filter
        line = data[pixels + y * stride: pixels + y * stride + width * size]
        for x in range(0, width * size, size):
            value = int.from_bytes(line[x:x + size], order)
            rows += bytes((value & m) >> s for m, s in zip(masks, shifts))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    with open(sys.argv[1], "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(bytes(rows), 9)))
        out.write(chunk(b"IEND", b""))


if __name__ == "__main__":
    main()
