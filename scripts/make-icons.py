#!/usr/bin/env python3
"""Draws Kestrova's tool-bar icons, program icon, about-box backdrop and bullet.

Writes app/res/*.ico (32-bit BGRA with an AND mask) and app/res/*.bmp (24-bit), pure
Python, no imaging library. Run from anywhere: python3 scripts/make-icons.py
The outputs are committed; run again after changing a drawing.
"""
import math
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "res")


class Canvas:
    def __init__(self, w, h, bg=None):
        self.w, self.h = w, h
        self.px = [[bg for _ in range(w)] for _ in range(h)]  # (r,g,b,a) or None

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c, fill=True):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                if fill or x in (x0, x1) or y in (y0, y1):
                    self.put(x, y, c)

    def line(self, x0, y0, x1, y1, c):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.put(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)

    def disc(self, cx, cy, r, c, ring=False):
        for y in range(self.h):
            for x in range(self.w):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                if (d <= r and not ring) or (ring and r - 1.2 <= d <= r):
                    self.put(x, y, c)

    def poly(self, pts, c):
        for y in range(self.h):
            for x in range(self.w):
                if inside(pts, x + 0.5, y + 0.5):
                    self.put(x, y, c)


def inside(pts, x, y):
    res = False
    j = len(pts) - 1
    for i in range(len(pts)):
        xi, yi = pts[i]
        xj, yj = pts[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            res = not res
        j = i
    return res


def rgb(hexstr):
    v = int(hexstr, 16)
    return ((v >> 16) & 255, (v >> 8) & 255, v & 255, 255)


INK, PAPER, BLUE, RED, GREEN, YELLOW, GREY = map(rgb, ["202020", "FFFFFF", "2A5DB0", "C8302C", "2E8B3A", "E8B830", "8A8A8A"])


def page(c, fold=True):
    c.rect(3, 1, 12, 14, PAPER)
    c.rect(3, 1, 12, 14, INK, fill=False)
    if fold:
        c.poly([(9, 1), (13, 1), (13, 5)], None)
        c.line(9, 1, 12, 4, INK)
        c.line(9, 1, 9, 4, INK)
        c.line(9, 4, 12, 4, INK)


def icon_new(c):
    page(c)
    c.disc(12, 12, 3, YELLOW)


def icon_open(c):
    c.poly([(1, 4), (6, 4), (7, 5), (13, 5), (13, 13), (1, 13)], YELLOW)
    c.poly([(3, 8), (15, 8), (13, 13), (1, 13)], rgb("F4D060"))
    c.line(1, 13, 13, 13, INK)


def icon_save(c):
    c.rect(1, 1, 14, 14, BLUE)
    c.rect(4, 1, 11, 6, PAPER)
    c.rect(4, 9, 11, 14, GREY)
    c.rect(1, 1, 14, 14, INK, fill=False)


def icon_print(c):
    c.rect(4, 1, 11, 6, PAPER)
    c.rect(4, 1, 11, 6, INK, fill=False)
    c.rect(1, 6, 14, 11, GREY)
    c.rect(1, 6, 14, 11, INK, fill=False)
    c.rect(4, 10, 11, 14, PAPER)
    c.rect(4, 10, 11, 14, INK, fill=False)
    c.put(12, 8, GREEN)


def icon_cut(c):
    c.line(4, 1, 10, 10, INK)
    c.line(11, 1, 5, 10, INK)
    c.disc(4, 12, 2.5, RED, ring=True)
    c.disc(11.5, 12, 2.5, RED, ring=True)


def icon_copy(c):
    for ox in (0, 4):
        c.rect(1 + ox, 1 + ox, 9 + ox, 11 + ox, PAPER)
        c.rect(1 + ox, 1 + ox, 9 + ox, 11 + ox, INK, fill=False)
        for y in range(4 + ox, 10 + ox, 2):
            c.line(3 + ox, y, 7 + ox, y, BLUE)


def icon_paste(c):
    c.rect(2, 2, 12, 14, rgb("A0703C"))
    c.rect(5, 1, 9, 3, GREY)
    c.rect(6, 6, 14, 15, PAPER)
    c.rect(6, 6, 14, 15, INK, fill=False)


def icon_start(c):
    c.poly([(4, 2), (14, 8), (4, 14)], GREEN)


def icon_stop(c):
    c.poly([(5, 1), (10, 1), (14, 5), (14, 10), (10, 14), (5, 14), (1, 10), (1, 5)], RED)
    c.rect(4, 7, 11, 8, PAPER)


def icon_quit(c):
    c.rect(3, 1, 10, 14, rgb("8B5A2B"))
    c.rect(3, 1, 10, 14, INK, fill=False)
    c.put(8, 8, YELLOW)
    c.poly([(11, 6), (14, 8), (11, 10)], RED)


def icon_app(c):
    s = c.w / 16.0
    c.disc(8 * s, 8 * s, 7.5 * s, BLUE)
    c.disc(8 * s, 8 * s, 5.5 * s, PAPER)
    c.rect(int(5 * s), int(4 * s), int(6.5 * s), int(12 * s), INK)
    c.poly([(6.5 * s, 8 * s), (11 * s, 4 * s), (12 * s, 4 * s), (12 * s, 5 * s), (8 * s, 8.3 * s)], INK)
    c.poly([(7.5 * s, 7.5 * s), (12 * s, 11 * s), (12 * s, 12 * s), (11 * s, 12 * s), (6.5 * s, 8.5 * s)], RED)


def write_ico(path, canvases):
    entries, blobs = [], []
    offset = 6 + 16 * len(canvases)
    for c in canvases:
        xor = bytearray()
        for y in range(c.h - 1, -1, -1):
            for x in range(c.w):
                p = c.px[y][x]
                xor += bytes((p[2], p[1], p[0], p[3])) if p else b"\0\0\0\0"
        row = ((c.w + 31) // 32) * 4
        mask = bytearray()
        for y in range(c.h - 1, -1, -1):
            bits = bytearray(row)
            for x in range(c.w):
                if c.px[y][x] is None:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        header = struct.pack("<IiiHHIIiiII", 40, c.w, c.h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        blob = header + xor + mask
        entries.append(struct.pack("<BBBBHHII", c.w % 256, c.h % 256, 0, 0, 1, 32, len(blob), offset))
        offset += len(blob)
        blobs.append(blob)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(canvases)) + b"".join(entries) + b"".join(blobs))


def write_bmp(path, c):
    row = (c.w * 3 + 3) // 4 * 4
    data = bytearray()
    for y in range(c.h - 1, -1, -1):
        line = bytearray()
        for x in range(c.w):
            p = c.px[y][x] or (255, 255, 255, 255)
            line += bytes((p[2], p[1], p[0]))
        data += line + bytes(row - len(line))
    header = struct.pack("<IiiHHIIiiII", 40, c.w, c.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + len(header) + len(data), 0, 0, 14 + len(header)) + header + data)


def backdrop(w, h):
    """A soft diagonal gradient with faint circuit-like lines."""
    c = Canvas(w, h)
    for y in range(h):
        for x in range(w):
            t = (x / w + y / h) / 2
            c.put(x, y, (int(236 - 30 * t), int(242 - 22 * t), int(250 - 8 * t), 255))
    for k in range(0, w + h, 23):
        for i in range(0, 60):
            c.put(k - i, h - 1 - i, (205, 215, 235, 255))
    return c


def bullet():
    c = Canvas(8, 8, (255, 255, 255, 255))
    c.disc(4, 4, 3.5, GREEN)
    c.disc(3.3, 3.3, 1.2, rgb("9BE0A5"))
    return c


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, draw in [("new", icon_new), ("open", icon_open), ("save", icon_save), ("print", icon_print),
                       ("cut", icon_cut), ("copy", icon_copy), ("paste", icon_paste), ("start", icon_start),
                       ("stop", icon_stop), ("quit", icon_quit)]:
        c = Canvas(16, 16)
        draw(c)
        write_ico(os.path.join(OUT, name + ".ico"), [c])
    sizes = []
    for n in (16, 32):
        c = Canvas(n, n)
        icon_app(c)
        sizes.append(c)
    write_ico(os.path.join(OUT, "kestrova.ico"), sizes)
    write_bmp(os.path.join(OUT, "backdrop.bmp"), backdrop(305, 193))
    write_bmp(os.path.join(OUT, "bullet.bmp"), bullet())


if __name__ == "__main__":
    main()
