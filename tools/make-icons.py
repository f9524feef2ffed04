#!/usr/bin/env python3
"""Draws Quillon's icons and writes them as .ico files (BMP images, 8 and 32
bits per pixel). Pure standard library, so the build can run it anywhere.

Usage: make-icons.py OUTPUT_DIR
Writes app.ico (icon 2), disabled.ico (134), tray-on.ico (137), tray-off.ico (139),
the same bytes at every run.
"""
import os
import struct
import sys

# The colours of the artwork (RGB). The 8-bit images use exactly these, after
# black at index 0: a pixel that the AND mask makes transparent is drawn
# with its colour XORed onto the screen, so it must be black.
OUTLINE = (0x20, 0x28, 0x38)
FACE = (0xF2, 0xF4, 0xF8)
SIDE = (0xB8, 0xC0, 0xD0)
ON = (0x1E, 0xA0, 0x46)     # green arrow: remapping on
OFF = (0xD0, 0x28, 0x28)    # red bar: remapping off
MUTED = (0x90, 0x98, 0xA8)  # grey arrow under the red bar
TRANSPARENT = (0, 0, 0)
PALETTE = [TRANSPARENT, OUTLINE, FACE, SIDE, ON, OFF, MUTED]

SAMPLES = 4  # supersampling per axis, for the 32-bit images' soft edges


def in_rounded_rect(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def in_arrow(x, y):
    # A right-pointing arrow across the key's face: the key changed into another.
    if 0.30 <= x <= 0.56 and 0.41 <= y <= 0.55:
        return True
    if 0.52 <= x <= 0.74:
        half = (0.74 - x) * 0.85
        return abs(y - 0.48) <= half
    return False


def in_bar(x, y):
    # A diagonal bar from top left to bottom right.
    return abs((x - y)) <= 0.09 and 0.12 <= x <= 0.88


def colour_at(x, y, enabled):
    """The colour at a point of the unit square, or None where transparent."""
    if enabled is False and in_bar(x, y):
        return OFF
    if in_rounded_rect(x, y, 0.16, 0.22, 0.86, 0.82, 0.10):
        if in_arrow(x, y):
            return ON if enabled else MUTED
        return FACE
    if in_rounded_rect(x, y, 0.10, 0.14, 0.92, 0.90, 0.14):
        return OUTLINE if (x < 0.13 or x > 0.89 or y < 0.17 or y > 0.87) else SIDE
    return None


def render(size, enabled):
    """Rows top to bottom of (r, g, b, a)."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at((px + (sx + 0.5) / SAMPLES) / size,
                                  (py + (sy + 0.5) / SAMPLES) / size, enabled)
                    if c:
                        acc[0] += c[0]
                        acc[1] += c[1]
                        acc[2] += c[2]
                        acc[3] += 1
            n = acc[3]
            if n == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((acc[0] // n, acc[1] // n, acc[2] // n, n * 255 // (SAMPLES * SAMPLES)))
        rows.append(row)
    return rows


def nearest(rgb):
    return min(range(1, len(PALETTE)), key=lambda i: sum((a - b) ** 2 for a, b in zip(PALETTE[i], rgb)))


def and_mask(rows, size):
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return bytes(out)


def bmp_image(size, bits, rows):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0,
                         256 if bits == 8 else 0, 0)
    body = bytearray()
    if bits == 8:
        palette = bytearray()
        for i in range(256):
            r, g, b = PALETTE[i] if i < len(PALETTE) else (0, 0, 0)
            palette += bytes((b, g, r, 0))
        body += palette
        stride = (size + 3) & ~3
        for row in reversed(rows):
            line = bytearray(stride)
            for x, (r, g, b, a) in enumerate(row):
                line[x] = nearest((r, g, b)) if a >= 128 else 0
            body += line
    else:
        for row in reversed(rows):
            for r, g, b, a in row:
                body += bytes((b, g, r, a))
    return header + bytes(body) + and_mask(rows, size)


def write_ico(path, images):
    """images: list of (size, bits, rows)."""
    count = len(images)
    blobs = [bmp_image(size, bits, rows) for size, bits, rows in images]
    out = bytearray(struct.pack("<HHH", 0, 1, count))
    offset = 6 + 16 * count
    for (size, bits, _), blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, bits, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(out)
    os.replace(tmp, path)


def icon(path, sizes, enabled):
    images = []
    for bits in (8, 32):
        for size in sizes:
            images.append((size, bits, render(size, enabled)))
    write_ico(path, images)


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: make-icons.py OUTPUT_DIR\n")
        return 2
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    # Drawn at the sizes that 100% to 200% ask for, so that the system
    # shrinks an image only a little, and never stretches one.
    icon(os.path.join(out, "app.ico"), (64, 48, 40, 32, 24, 20, 16), True)
    icon(os.path.join(out, "disabled.ico"), (64, 48, 40, 32, 24, 20, 16), False)
    icon(os.path.join(out, "tray-on.ico"), (32, 24, 20, 16), True)
    icon(os.path.join(out, "tray-off.ico"), (32, 24, 20, 16), False)
    return 0


if __name__ == "__main__":
    sys.exit(main())
