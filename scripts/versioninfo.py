#!/usr/bin/env python3
"""Prints the version resource of a PE file, as extracted by icoutils' wrestool:

    wrestool -x --raw --type=16 FILE | scripts/versioninfo.py

One line per value: "FileVersion=1.0.0.0" and so on from the string table, and "fixed=a.b.c.d"
and "fixedProduct=a.b.c.d" from the fixed part."""
import struct
import sys


def block(data, offset):
    """One VS_VERSIONINFO node at offset: (key, value bytes, text?, children, end)."""
    length, value_length, is_text = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    pos = offset + 6
    key_end = pos
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[pos:key_end].decode("utf-16-le")
    pos = (key_end + 2 + 3) & ~3
    size = value_length * 2 if is_text else value_length
    value = data[pos:pos + size]
    pos = (pos + size + 3) & ~3
    children = []
    while pos < end:
        child = block(data, pos)
        children.append(child)
        pos = (child[4] + 3) & ~3
    return key, value, is_text, children, end


def walk(node, out):
    key, value, is_text, children, _ = node
    if key == "VS_VERSION_INFO" and len(value) >= 52:
        ms, ls, pms, pls = struct.unpack_from("<IIII", value, 8)
        out.append("fixed=%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF))
        out.append("fixedProduct=%d.%d.%d.%d" % (pms >> 16, pms & 0xFFFF, pls >> 16, pls & 0xFFFF))
    elif is_text and value:
        out.append("%s=%s" % (key, value.decode("utf-16-le").rstrip("\0")))
    for child in children:
        walk(child, out)


lines = []
walk(block(sys.stdin.buffer.read(), 0), lines)
sys.stdout.write("".join(line + "\n" for line in lines))
