#!/usr/bin/env python3
"""Draws the interface images into resources/images/ as small PNG files.

One picture per row name of the image table (gui/image_table.cpp) that is
ours to make: toolbar and tool-window symbols, machine pictures, list
pictures. Game pictures and boxes (rows naming a ".gif") are not drawn.
Sizes follow gui_image_row() in gui/images.cpp. Only the standard library.
"""
import math
import os
import re
import struct
import sys
import zlib

import controls_layouts

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "resources", "images")

# 3x5 glyphs, rows top to bottom, bits left to right.
FONT = {
    "A": "010101111101101", "B": "110101110101110", "C": "011100100100011",
    "D": "110101101101110", "E": "111100110100111", "F": "111100110100100",
    "G": "011100101101011", "H": "101101111101101", "I": "111010010010111",
    "J": "001001001101010", "K": "101101110101101", "L": "100100100100111",
    "M": "101111111101101", "N": "110101101101101", "O": "010101101101010",
    "P": "110101110100100", "Q": "010101101110011", "R": "110101110101101",
    "S": "011100010001110", "T": "111010010010010", "U": "101101101101111",
    "V": "101101101101010", "W": "101101111111101", "X": "101101010101101",
    "Y": "101101010010010", "Z": "111001010100111", "0": "111101101101111",
    "1": "010110010010111", "2": "110001010100111", "3": "110001010001110",
    "4": "101101111001001", "5": "111100110001110", "6": "011100111101111",
    "7": "111001010010010", "8": "111101111101111", "9": "111101111001110",
    "+": "000010111010000", "-": "000000111000000", "*": "101010111010101",
    "/": "001001010100100", "\\": "100100010001001", ".": "000000000000010",
    ",": "000000000010100", ":": "000010000010000", ";": "000010000010100",
    "=": "000111000111000", "'": "010010000000000", '"': "101101000000000",
    "(": "001010010010001", ")": "100010010010100", "[": "011010010010011",
    "]": "110010010010110", "{": "011010110010011", "}": "110010011010110",
    "%": "101001010100101", "#": "101111101111101", "?": "110001010000010",
    "!": "010010010000010", "<": "001010100010001", ">": "100010001010100",
    "_": "000000000000111",
}


# The cassette deck's pictures: the deck and its 24 reel frames, and the
# nine level lamps (gui_image_row in gui/images.cpp gives the same sizes).
DECK_SIZE = (128, 80)
LEVEL_SIZE = (20, 20)


def table_names():
    text = open(os.path.join(ROOT, "gui", "image_table.cpp")).read()
    body = text[text.index("{") + 1:text.rindex("}")]
    return re.findall(r'"([^"]*)"', body)


def row_size(n):
    if 0 <= n <= 16 or 173 <= n <= 178:
        return 32, 16
    if 17 <= n <= 19 or n in (37, 38):
        return 16, 12
    if 20 <= n <= 36:
        return 96, 72
    if 121 <= n <= 172 or 319 <= n <= 378:
        return 64, 48
    if 385 <= n <= 512:
        return 64, 80
    if 285 <= n <= 309:
        return DECK_SIZE
    if 310 <= n <= 318:
        return LEVEL_SIZE
    return 24, 24


class Picture:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[(0, 0, 0, 0)] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.set(x, y0, c)
            self.set(x, y1, c)
        for y in range(y0, y1 + 1):
            self.set(x0, y, c)
            self.set(x1, y, c)

    def disc(self, cx, cy, r, c):
        for y in range(cy - r, cy + r + 1):
            for x in range(cx - r, cx + r + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.set(x, y, c)

    def triangle_right(self, x0, y0, size, c):
        for i in range(size):
            half = i if i < size // 2 else size - 1 - i
            for x in range(x0, x0 + half + 1):
                self.set(x, y0 + i, c)

    def text(self, s, x, y, c, scale=1):
        for ch in s.upper():
            g = FONT.get(ch)
            if g:
                for i, bit in enumerate(g):
                    if bit == "1":
                        self.rect(x + (i % 3) * scale, y + (i // 3) * scale,
                                  x + (i % 3) * scale + scale - 1,
                                  y + (i // 3) * scale + scale - 1, c)
            x += 4 * scale

    def png(self):
        raw = b"".join(b"\0" + b"".join(struct.pack("4B", *p) for p in row) for row in self.px)

        def chunk(kind, data):
            return (struct.pack(">I", len(data)) + kind + data +
                    struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

        return (b"\x89PNG\r\n\x1a\n" +
                chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


INK = (32, 32, 40, 255)
RED = (200, 40, 40, 255)
GREEN = (40, 150, 60, 255)
BLUE = (50, 90, 200, 255)
YELLOW = (230, 190, 40, 255)
GREY = (150, 150, 160, 255)
PAPER = (235, 235, 225, 255)


def label_of(name):
    base = name.replace("sml-", "").replace("big-", "").replace("con-", "")
    base = base.replace("glyph-", "").replace("gadget_", "").replace("peripheral_", "")
    letters = re.sub(r"[^A-Za-z0-9]", "", base)
    return letters[:3] if letters else "?"


def symbol(p, name):
    """Draws the symbol of a toolbar-sized picture; False when it has none."""
    w, h = p.w, p.h
    cx, cy = w // 2, h // 2
    n = re.sub(r"(_on|_off|_s|\d)$", "", name)
    on = name.endswith("_on")
    colour = GREEN if on else GREY
    if n in ("play", "tapeplay", "animplay", "start"):
        p.triangle_right(cx - 4, cy - 6, 13, GREEN)
    elif n in ("stop", "tapestop", "animstop"):
        p.rect(cx - 5, cy - 5, cx + 5, cy + 5, INK)
    elif n in ("record", "taperec", "animrec"):
        p.disc(cx, cy, 6, RED)
    elif n == "tapestart":
        p.rect(cx - 8, cy - 6, cx - 7, cy + 6, INK)
        for i in range(7):
            p.rect(cx - 6 + i, cy - i, cx - 6 + i, cy + i, INK)
            p.rect(cx + 1 + i, cy - i, cx + 1 + i, cy + i, INK)
    elif n == "tapeend":
        p.rect(cx + 7, cy - 6, cx + 8, cy + 6, INK)
        for i in range(7):
            p.rect(cx - 7 + i, cy - 6 + i, cx - 7 + i, cy + 6 - i, INK)
            p.rect(cx + i, cy - 6 + i, cx + i, cy + 6 - i, INK)
    elif n == "tapeeject":
        for i in range(7):
            p.rect(cx - i, cy - 7 + i, cx + i, cy - 7 + i, INK)
        p.rect(cx - 7, cy + 3, cx + 7, cy + 5, INK)
    elif n == "paused":
        p.rect(cx - 5, cy - 6, cx - 2, cy + 6, colour)
        p.rect(cx + 2, cy - 6, cx + 5, cy + 6, colour)
    elif n == "warp":
        p.triangle_right(cx - 8, cy - 6, 13, colour)
        p.triangle_right(cx, cy - 6, 13, colour)
    elif n == "sound":
        p.rect(cx - 7, cy - 3, cx - 4, cy + 3, colour)
        for i in range(6):
            p.rect(cx - 4 + i, cy - 3 - i, cx - 4 + i, cy + 3 + i, colour)
    elif n == "open":
        p.rect(cx - 9, cy - 5, cx + 9, cy + 7, YELLOW)
        p.rect(cx - 9, cy - 8, cx - 2, cy - 5, YELLOW)
        p.frame(cx - 9, cy - 5, cx + 9, cy + 7, INK)
    elif n in ("save", "backup"):
        p.rect(cx - 8, cy - 8, cx + 8, cy + 8, BLUE)
        p.rect(cx - 5, cy - 8, cx + 5, cy - 3, PAPER)
        p.rect(cx - 5, cy + 2, cx + 5, cy + 8, PAPER)
    elif n in ("restore",):
        p.rect(cx - 8, cy - 8, cx + 8, cy + 8, GREEN)
        p.rect(cx - 5, cy - 8, cx + 5, cy - 3, PAPER)
    elif n in ("reset", "reload", "circulararrowleftfilled", "circulararrowrightfilled"):
        p.disc(cx, cy, 8, BLUE)
        p.disc(cx, cy, 5, (0, 0, 0, 0))
        p.rect(cx, cy - 9, cx + 9, cy, (0, 0, 0, 0))
        p.triangle_right(cx, cy - 9, 7, BLUE)
    elif n in ("snapshot", "picture"):
        p.rect(cx - 9, cy - 5, cx + 9, cy + 7, INK)
        p.disc(cx, cy + 1, 4, PAPER)
        p.rect(cx - 3, cy - 8, cx + 3, cy - 5, INK)
    elif n in ("autofire",):
        p.disc(cx, cy + 2, 6, RED if on else GREY)
        p.rect(cx - 1, cy - 9, cx + 1, cy - 3, INK)
    elif n == "swapped":
        p.triangle_right(cx - 2, cy - 9, 9, colour)
        p.rect(cx - 9, cy - 6, cx - 2, cy - 4, colour)
        p.rect(cx + 2, cy + 4, cx + 9, cy + 6, colour)
    elif n == "collisions":
        p.disc(cx - 4, cy, 5, colour)
        p.disc(cx + 4, cy, 5, RED if on else INK)
    elif n in ("quit", "cancel", "del", "delete", "error"):
        for i in range(-7, 8):
            p.rect(cx + i - 1, cy + i - 1, cx + i + 1, cy + i + 1, RED)
            p.rect(cx + i - 1, cy - i - 1, cx + i + 1, cy - i + 1, RED)
    elif n == "ok":
        for i in range(5):
            p.rect(cx - 6 + i, cy + i - 2, cx - 5 + i, cy + i - 1, GREEN)
        for i in range(8):
            p.rect(cx - 1 + i, cy + 2 - i, cx + i, cy + 3 - i, GREEN)
    else:
        return False
    return True


def cassette_deck(name, w, h):
    """The deck: empty, or a cassette whose reels turn a sixth of a spoke
    step per frame; the window's tint tells the state."""
    p = Picture(w, h)
    p.rect(0, 0, w - 1, h - 1, (70, 70, 78, 255))
    p.frame(0, 0, w - 1, h - 1, INK)
    p.rect(6, 6, w - 7, h - 7, (40, 40, 46, 255))
    if name == "tapeempty":
        p.text("NO TAPE", w // 2 - 13, h // 2 - 2, GREY)
        return p
    kind = re.sub(r"\d$", "", name)
    frame = int(name[-1]) - 1
    tint = {"tapeplay": GREEN, "taperec": RED, "tapestop": GREY, "tapeprotect": YELLOW}[kind]
    x0, y0, x1, y1 = 10, 9, w - 11, h - 10
    p.rect(x0, y0, x1, y1, (200, 200, 190, 255))
    p.frame(x0, y0, x1, y1, INK)
    p.rect(x0 + 6, y0 + 4, x1 - 6, y0 + 12, tint)
    p.frame(x0 + 6, y0 + 4, x1 - 6, y0 + 12, INK)
    cy = (y0 + y1) // 2 + 6
    p.rect(x0 + 22, cy - 10, x1 - 22, cy + 10, (60, 50, 40, 255))
    for cx in (x0 + 30, x1 - 30):
        p.disc(cx, cy, 12, PAPER)
        p.disc(cx, cy, 5, INK)
        p.disc(cx, cy, 2, PAPER)
        for spoke in range(3):
            angle = math.radians(spoke * 120 + frame * 20)
            for r in range(6, 12):
                p.set(cx + round(r * math.cos(angle)), cy + round(r * math.sin(angle)), INK)
    for hole in range(2):
        p.rect(x0 + 40 + hole * 30, y1 - 5, x0 + 44 + hole * 30, y1 - 2, INK)
    return p


def level_lamp(name, w, h):
    """The level: a lamp in the state's colour and a bar, low, middle or high."""
    p = Picture(w, h)
    kind = re.sub(r"\d$", "", name)
    level = int(name[-1]) - 1
    colour = {"animplay": GREEN, "animrec": RED, "animstop": GREY}[kind]
    p.rect(0, 0, w - 1, h - 1, (40, 40, 46, 255))
    p.frame(0, 0, w - 1, h - 1, INK)
    p.disc(6, h // 2, 4, colour if level else (90, 90, 96, 255))
    top = {0: h - 6, 1: h // 2, 2: 3}[level]
    p.rect(13, top, 16, h - 4, colour)
    return p


def draw(name, w, h):
    if re.match(r"^(tapeempty|(tapeplay|taperec|tapestop|tapeprotect)\d)$", name):
        return cassette_deck(name, w, h)
    if re.match(r"^anim(play|rec|stop)\d$", name):
        return level_lamp(name, w, h)
    p = Picture(w, h)
    if w <= 24 and symbol(p, name):
        return p
    if name in ("drawer", "root", "parent"):
        p.rect(1, 3, w - 2, h - 2, YELLOW)
        p.rect(1, 1, w // 2, 3, YELLOW)
        p.frame(1, 3, w - 2, h - 2, INK)
        return p
    hue = zlib.crc32(name.encode()) & 0xFFFFFF
    fill = (120 + (hue & 0x7F), 120 + ((hue >> 8) & 0x7F), 120 + ((hue >> 16) & 0x7F), 255)
    p.rect(0, 0, w - 1, h - 1, fill)
    p.frame(0, 0, w - 1, h - 1, INK)
    label = label_of(name)
    scale = max(1, min((w - 4) // (4 * len(label)), (h - 4) // 6))
    tw, th = 4 * len(label) * scale - scale, 5 * scale
    p.text(label, (w - tw) // 2, (h - th) // 2, INK, scale)
    return p


def main():
    names = table_names()
    if len(names) != 524:
        sys.exit("image table has %d rows, expected 524" % len(names))
    os.makedirs(OUT, exist_ok=True)
    done = set()
    for row, name in enumerate(names):
        if "/" in name or "." in name or name in done:
            continue
        done.add(name)
        w, h = row_size(row)
        # The controller pictures come with their key rectangles.
        picture = controls_layouts.draw(name, Picture) if name.startswith("con-") else None
        with open(os.path.join(OUT, name + ".png"), "wb") as f:
            f.write((picture or draw(name, w, h)).png())
    print("%d pictures in %s" % (len(done), OUT))


if __name__ == "__main__":
    main()
