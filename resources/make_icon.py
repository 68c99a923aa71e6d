#!/usr/bin/env python3
"""Draws the window icon: the black outline of a laptop (a screen above a
keyboard base) on a transparent background, at 64, 32, 24, 20 and 16 pixels,
and writes them as 32-bit images with alpha into one .ico file.

    python3 resources/make_icon.py resources/verandel.ico

Each image is a BITMAPINFOHEADER DIB (height doubled, rows bottom-up) followed
by its AND mask (1 = transparent, rows padded to 32 bits). Every directory
entry's colour-count byte is 0.
"""
import math
import struct
import sys

SIZES = (64, 32, 24, 20, 16)
SUPERSAMPLE = 4


def segments():
    """The outline in unit coordinates (0..1, y down), as line segments."""
    screen = [(0.17, 0.16), (0.83, 0.16), (0.83, 0.66), (0.17, 0.66)]
    inner = [(0.25, 0.24), (0.75, 0.24), (0.75, 0.58), (0.25, 0.58)]
    base = [(0.10, 0.72), (0.90, 0.72), (0.98, 0.84), (0.02, 0.84)]
    lines = []
    for poly in (screen, base):
        lines += [(poly[i], poly[(i + 1) % len(poly)]) for i in range(len(poly))]
    # The glass inside the bezel is drawn only from 24 pixels up.
    glass = [(inner[i], inner[(i + 1) % 4]) for i in range(4)]
    touchpad = [((0.42, 0.78), (0.58, 0.78))]
    return lines, glass, touchpad


def distance(px, py, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    cx, cy = ax + t * dx, ay + t * dy
    return math.hypot(px - cx, py - cy)


def render(size):
    """Alpha coverage per pixel, rows top-down."""
    lines, glass, touchpad = segments()
    shapes = list(lines) + touchpad
    if size >= 24:
        shapes += glass
    half = max(1.0, size / 24.0) / 2.0  # stroke half-width in pixels
    alpha = [[0] * size for _ in range(size)]
    n = SUPERSAMPLE
    for y in range(size):
        for x in range(size):
            hits = 0
            for sy in range(n):
                for sx in range(n):
                    px = x + (sx + 0.5) / n
                    py = y + (sy + 0.5) / n
                    if any(distance(px, py, (a[0] * size, a[1] * size), (b[0] * size, b[1] * size))
                           <= half for a, b in shapes):
                        hits += 1
            alpha[y][x] = round(255 * hits / (n * n))
    return alpha


def image_bytes(size):
    alpha = render(size)
    mask_row = (size + 31) // 32 * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         size * size * 4 + mask_row * size, 0, 0, 0, 0)
    pixels = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):  # bottom-up
        row_mask = bytearray(mask_row)
        for x in range(size):
            a = alpha[y][x]
            pixels += bytes((0, 0, 0, a))  # black, straight alpha
            if a == 0:
                row_mask[x // 8] |= 0x80 >> (x % 8)
        mask += row_mask
    return header + bytes(pixels) + bytes(mask)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "verandel.ico"
    images = [image_bytes(s) for s in SIZES]
    data = bytearray(struct.pack("<HHH", 0, 1, len(SIZES)))
    offset = 6 + 16 * len(SIZES)
    for size, image in zip(SIZES, images):
        data += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        data += image
    with open(out, "wb") as f:
        f.write(data)
    print(f"{out}: {len(data)} bytes")


if __name__ == "__main__":
    main()
