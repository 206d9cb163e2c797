#!/usr/bin/env python3
"""Draws the program's icon: one 48x48 image with 32-bit colour (alpha).

A folded map sheet on a blue tile with a green check mark. Drawn with 4x4
supersampling so the edges are smooth; written as a .ico by hand, so nothing
beyond the standard library is needed.

    res/make_icon.py [OUTPUT]   (default: TorvaMapChecker.ico beside this script)
"""
import os
import struct
import sys

SIZE = 48
SUB = 4  # samples per pixel along each axis


def inside_rounded(x, y, left, top, right, bottom, radius):
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def inside_polygon(x, y, points):
    hit = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


def near_segment(x, y, a, b, width):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    px, py = ax + t * dx, ay + t * dy
    return (x - px) ** 2 + (y - py) ** 2 <= (width / 2) ** 2


def sample(x, y):
    """Colour (r, g, b, a) at a point of the 48x48 square, topmost shape first."""
    check = [(14.0, 27.0), (21.0, 34.0), (36.0, 17.0)]
    if near_segment(x, y, check[0], check[1], 6.5) or near_segment(x, y, check[1], check[2], 6.5):
        return (40, 170, 70, 255)
    if near_segment(x, y, check[0], check[1], 9.5) or near_segment(x, y, check[1], check[2], 9.5):
        return (255, 255, 255, 255)
    # The map sheet: three panels folded like a leaflet.
    panels = [
        ([(9, 11), (19, 8), (19, 38), (9, 41)], (236, 224, 186)),
        ([(19, 8), (29, 11), (29, 41), (19, 38)], (214, 198, 150)),
        ([(29, 11), (39, 8), (39, 38), (29, 41)], (236, 224, 186)),
    ]
    for points, colour in panels:
        if inside_polygon(x, y, points):
            return colour + (255,)
    if inside_rounded(x, y, 1.5, 1.5, 46.5, 46.5, 8.0):
        shade = int(150 - 70 * y / SIZE)
        return (25, 60 + shade // 3, 90 + shade, 255)
    return (0, 0, 0, 0)


def render():
    pixels = []
    for row in range(SIZE):
        for col in range(SIZE):
            acc = [0, 0, 0, 0]
            for sy in range(SUB):
                for sx in range(SUB):
                    r, g, b, a = sample(col + (sx + 0.5) / SUB, row + (sy + 0.5) / SUB)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            alpha = acc[3] / (SUB * SUB)
            if acc[3] == 0:
                pixels.append((0, 0, 0, 0))
            else:
                pixels.append(tuple(int(round(c / acc[3])) for c in acc[:3]) + (int(round(alpha)),))
    return pixels


def ico_bytes(pixels):
    xor = bytearray()
    for row in reversed(range(SIZE)):  # bottom-up rows
        for col in range(SIZE):
            r, g, b, a = pixels[row * SIZE + col]
            xor += bytes((b, g, r, a))
    mask_stride = ((SIZE + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(range(SIZE)):
        bits = bytearray(mask_stride)
        for col in range(SIZE):
            if pixels[row * SIZE + col][3] == 0:
                bits[col // 8] |= 0x80 >> (col % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    image = header + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "TorvaMapChecker.ico")
    with open(out, "wb") as f:
        f.write(ico_bytes(render()))


if __name__ == "__main__":
    main()
