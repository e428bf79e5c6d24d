#!/usr/bin/env python3
"""The Guest Controls pictures and their key rectangles, from one description.

Each layout below lists its picture's controls in mark order (the order the
program's tables index them) together with the shapes drawn around them.
make_images.py draws the "con-*" pictures from it; run this file to write the
rectangle table the program reads (input/controls_layouts.cpp), so that the
pictures and the table always agree.
"""
import functools
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TABLE = os.path.join(ROOT, "input", "controls_layouts.cpp")

BODY = (44, 44, 52, 255)
BODY2 = (92, 74, 60, 255)
SILVER = (196, 196, 204, 255)
CREAM = (232, 226, 208, 255)
KEYCAP = (236, 236, 236, 255)
DARKKEY = (70, 70, 78, 255)
INK = (24, 24, 28, 255)
WHITE = (250, 250, 250, 255)
RED = (196, 40, 40, 255)
ORANGE = (226, 132, 36, 255)
BLUE = (50, 90, 190, 255)
GREEN = (40, 140, 70, 255)
YELLOW = (226, 196, 40, 255)
SLOT = (16, 16, 16, 255)
PANEL = (12, 12, 12, 255)
BOARD = (30, 96, 52, 255)


class Layout:
    """One picture: its controls in mark order, and what is drawn around them."""

    def __init__(self, number, picture, w, h, background):
        self.number, self.picture, self.w, self.h = number, picture, w, h
        self.background = background
        self.entries = []  # dicts: x y w h key player round panel style label colour
        self.decor = []    # ("box", x0, y0, x1, y1, colour) / ("text", s, x, y, colour, scale)
        self.scale = 1

    def add(self, x, y, w, h, key=-1, player=-1, style="key", label="", colour=None,
            round_mark=False, panel=False, role="KEY"):
        self.entries.append(dict(x=x, y=y, w=w, h=h, key=key, player=player, style=style,
                                 label=label, colour=colour, round=round_mark, panel=panel,
                                 role=role))

    def none(self, key=-1, player=-1, role="KEY"):
        self.add(-1, -1, -1, -1, key, player, style=None, role=role)

    def box(self, x0, y0, x1, y1, colour):
        self.decor.append(("box", x0, y0, x1, y1, colour))

    def frame(self, x0, y0, x1, y1, colour):
        self.decor.append(("frame", x0, y0, x1, y1, colour))

    def text(self, s, x, y, colour=WHITE, scale=1):
        self.decor.append(("text", s, x, y, colour, scale))

    def disc(self, cx, cy, r, colour):
        self.decor.append(("disc", cx, cy, r, colour))

    def scaled(self, number, picture, factor):
        """The same layout drawn `factor` times larger."""
        big = Layout(number, picture, self.w * factor, self.h * factor, self.background)
        big.scale = factor
        for e in self.entries:
            c = dict(e)
            if e["x"] >= 0:
                for k in ("x", "y", "w", "h"):
                    c[k] = e[k] * factor
            big.entries.append(c)
        for d in self.decor:
            if d[0] in ("box", "frame"):
                big.decor.append((d[0],) + tuple(v * factor for v in d[1:5]) + (d[5],))
            elif d[0] == "text":
                big.decor.append(("text", d[1], d[2] * factor, d[3] * factor, d[4], d[5] * factor))
            elif d[0] == "disc":
                big.decor.append(("disc", d[1] * factor, d[2] * factor, d[3] * factor, d[4]))
        return big

    def lamp(self, x, y, size):
        """A socket where the machine draws a lamp of `size` at (x, y)."""
        self.decor = [d for d in self.decor if d[0] != "lampsocket"]
        self.decor.append(("lampsocket", x, y, size))


def keypad_columns(L, x0, y0, w, h, dx, dy, player, labels, keys=range(1, 13), columns=3):
    """Keys listed column by column: keys[0..3] down the first column, and so on."""
    keys = list(keys)
    rows = len(keys) // columns
    for i, k in enumerate(keys):
        c, r = i // rows, i % rows
        L.add(x0 + c * dx, y0 + r * dy, w, h, k, player, label=labels[k])


def stick(L, up, left, down, right, size, player):
    """Four direction marks (up, left, down, right) in mark order."""
    for (x, y), key, style in ((up, 17, "up"), (left, 19, "left"), (down, 18, "down"),
                               (right, 20, "right")):
        L.add(x, y, size, size, key, player, style=style)


def stick_base(L, cx, cy, r):
    L.disc(cx, cy, r, DARKKEY)
    L.disc(cx, cy, r // 3, INK)


ARCADIA_LABELS = ["", "1", "2", "3", "4", "5", "6", "7", "8", "9", "C", "0", "E"]
ARCADIA_COLUMNS = [1, 4, 7, 10, 2, 5, 8, 11, 3, 6, 9, 12]
PVI_LABELS = ARCADIA_LABELS
ELEKTOR_LEFT = ["", "RCAS", "WCAS", "C", "BP", "REG", "8", "PC", "MEM", "4", "-", "+", "0"]
ELEKTOR_RIGHT = ["", "D", "E", "F", "9", "A", "B", "5", "6", "7", "1", "2", "3"]


def console_keypads(L, left, right, w, h, dx, dy, labels_left, labels_right, extra=False):
    for (x0, y0), player, labels in ((left, 0, labels_left), (right, 1, labels_right)):
        keypad_columns(L, x0, y0, w, h, dx, dy, player, labels, ARCADIA_COLUMNS)


# ---- Arcadia ------------------------------------------------------------------------------

def emerson_small():
    L = Layout(0, "con-emerson-sml", 320, 170, CREAM)
    L.box(118, 24, 240, 134, BODY)
    L.box(34, 36, 112, 165, BODY)
    L.box(246, 40, 316, 166, BODY)
    L.text("EMERSON", 150, 64, SILVER)
    L.add(174, 112, 12, 12, label="S", colour=ORANGE, role="CONSOLE1")     # START
    L.add(141, 112, 12, 12, label="A", colour=SILVER, role="CONSOLE2")
    L.add(158, 112, 12, 11, label="B", colour=SILVER, role="CONSOLE3")
    L.add(125, 112, 11, 11, label="R", colour=RED, role="RESET")        # RESET
    console_keypads(L, (60, 48), (260, 53), 12, 11, 15, 13, ARCADIA_LABELS, ARCADIA_LABELS)
    # The right keypad's keys are 13 wide.
    for e in L.entries[16:28]:
        e["w"] = 13
        e["x"] = 260 + (e["x"] - 260) * 16 // 15
    stick_base(L, 60, 132, 19)
    stick(L, (55, 115), (41, 127), (55, 139), (69, 127), 10, 0)
    stick_base(L, 275, 144, 19)
    stick(L, (270, 127), (256, 139), (270, 151), (284, 139), 10, 1)
    for p in (0, 0, 1, 1):
        L.none(2, p)                 # side buttons: not on this picture
    for p in (0, 1):
        for k in range(13, 17):
            L.none(k, p)             # the Palladium's extra keys
    L.add(126, 34, 107, 22, style="slot", role="SLOT")
    L.add(192, 113, 25, 13, label="RESET", colour=RED, role="RESET")
    L.decor.append(("lampsocket", 217, 79, 1))
    return L


def small_console_buttons(L, x, y):
    """The small consoles' R, A, B and S buttons, left to right from x."""
    L.add(x + 48, y, 12, 11, label="S", colour=ORANGE, role="CONSOLE1")
    L.add(x + 16, y, 12, 11, label="A", colour=SILVER, role="CONSOLE2")
    L.add(x + 32, y, 12, 11, label="B", colour=SILVER, role="CONSOLE3")
    L.add(x, y, 12, 11, label="R", colour=RED, role="RESET")


def small_stick(L, cx, player):
    """A small console's joystick of `player` on its base centred at (cx, 160)."""
    stick_base(L, cx, 160, 17)
    stick(L, (cx - 5, 144), (cx - 20, 155), (cx - 5, 166), (cx + 10, 155), 10, player)


def mpt03_small():
    L = Layout(1, "con-mpt03-sml", 320, 190, SILVER)
    L.box(90, 8, 230, 70, BODY)
    L.text("MPT 03", 98, 58, SILVER)
    small_console_buttons(L, 142, 46)
    L.box(18, 80, 122, 186, BODY)
    L.box(198, 80, 302, 186, BODY)
    console_keypads(L, (44, 88), (224, 88), 12, 11, 15, 13, ARCADIA_LABELS, ARCADIA_LABELS)
    small_stick(L, 70, 0)
    small_stick(L, 250, 1)
    L.add(10, 100, 8, 20, 2, 0, label="", colour=RED)
    L.add(122, 100, 8, 20, 2, 0, label="", colour=RED)
    L.add(190, 100, 8, 20, 2, 1, label="", colour=RED)
    L.add(302, 100, 8, 20, 2, 1, label="", colour=RED)
    for p in (0, 1):
        for k in range(13, 17):
            L.none(k, p)
    L.add(110, 14, 100, 20, style="slot", role="SLOT")
    L.none(role="RESET")                         # no second RESET
    L.decor.append(("lampsocket", 135, 50, 1))
    return L


def palladium_small():
    L = Layout(2, "con-palladium-sml", 320, 190, BODY2)
    L.box(100, 8, 220, 70, BODY)
    L.text("PALLADIUM", 124, 58, SILVER)
    small_console_buttons(L, 138, 42)
    L.box(12, 78, 150, 186, BODY)
    L.box(170, 78, 308, 186, BODY)
    console_keypads(L, (30, 86), (188, 86), 12, 11, 15, 13, ARCADIA_LABELS, ARCADIA_LABELS)
    small_stick(L, 120, 0)
    small_stick(L, 278, 1)
    for p in (0, 0, 1, 1):
        L.none(2, p)
    for x0, p in ((30, 0), (188, 1)):
        for i, k in enumerate(range(13, 17)):
            L.add(x0 + 45, 86 + 13 * i, 12, 11, k, p, label="X%d" % (i + 1), colour=YELLOW)
    L.add(120, 14, 80, 20, style="slot", role="SLOT")
    L.none(role="RESET")
    return L


# ---- Interton and Elektor ---------------------------------------------------------------

def interton_small():
    L = Layout(16, "con-interton-sml", 300, 180, CREAM)
    L.box(95, 10, 205, 80, BODY)
    L.text("VC 4000", 124, 66, SILVER)
    L.add(170, 46, 14, 11, label="S", colour=ORANGE, role="CONSOLE1")       # START
    L.add(150, 46, 14, 11, label="SE", colour=SILVER, role="CONSOLE2")      # SELECT
    L.add(102, 46, 14, 11, style="switch", label="ON", role="INERT")     # power switch: no key
    L.add(130, 46, 14, 11, label="R", colour=RED, role="RESET")          # RESET
    L.box(14, 88, 124, 176, BODY)
    L.box(176, 88, 286, 176, BODY)
    console_keypads(L, (22, 96), (184, 96), 12, 11, 15, 13, PVI_LABELS, PVI_LABELS)
    stick_base(L, 95, 120, 18)
    stick(L, (90, 103), (74, 115), (90, 127), (106, 115), 10, 0)
    stick_base(L, 257, 120, 18)
    stick(L, (252, 103), (236, 115), (252, 127), (268, 115), 10, 1)
    L.add(64, 150, 22, 12, 2, 0, label="F", colour=RED)
    L.add(90, 150, 22, 12, 2, 0, label="F", colour=RED)
    L.add(226, 150, 22, 12, 2, 1, label="F", colour=RED)
    L.add(252, 150, 22, 12, 2, 1, label="F", colour=RED)
    L.add(110, 16, 80, 22, style="slot", role="SLOT")
    L.add(186, 62, 14, 11, label="R", colour=RED, role="RESET")          # the second RESET
    return L


def elektor_small():
    L = Layout(18, "con-elektor-sml", 300, 180, (200, 200, 190, 255))
    L.box(80, 10, 220, 80, BODY)
    L.text("ELEKTOR", 118, 66, SILVER)
    L.add(96, 40, 20, 12, role="CONSOLE1", label="ST", colour=ORANGE)
    L.add(124, 40, 20, 12, role="CONSOLE2", label="UC", colour=SILVER)
    L.add(152, 40, 20, 12, role="CONSOLE3", label="LC", colour=SILVER)
    L.add(180, 40, 20, 12, role="CONSOLE4", label="RS", colour=RED)
    L.box(14, 88, 124, 176, BODY)
    L.box(176, 88, 286, 176, BODY)
    console_keypads(L, (22, 96), (184, 96), 16, 11, 19, 13, ELEKTOR_LEFT, ELEKTOR_RIGHT)
    stick_base(L, 100, 150, 16)
    stick(L, (95, 135), (81, 145), (95, 155), (109, 145), 10, 0)
    stick_base(L, 262, 150, 16)
    stick(L, (257, 135), (243, 145), (257, 155), (271, 145), 10, 1)
    return L


# ---- ball-and-paddle ---------------------------------------------------------------------

def paddle_console(number, picture, colour, round_buttons, title):
    L = Layout(number, picture, 300, 150, colour)
    L.box(60, 10, 240, 140, BODY)
    L.text(title, 72, 16, SILVER)
    labels = ("ST", "GM", "SV")
    for i in range(3):
        role = "CONSOLE%d" % (i + 1)
        if round_buttons and i != 1:
            L.add(80 + 34 * i, 36, 16, 16, style="round", label=labels[i], colour=ORANGE,
                  round_mark=True, role=role)
        else:
            L.add(80 + 34 * i, 36, 16, 16, label=labels[i], colour=ORANGE, role=role)
    L.add(182, 36, 16, 16, label="BAT", colour=SILVER, role="CONSOLE4")
    for i, (lab, role) in enumerate((("ANG", "ANGLES"), ("SPD", "SPEED"), ("SRV", "SERVING"))):
        L.add(74 + 40 * i, 70, 24, 12, style="switch", label=lab, role=role)
    L.add(214, 36, 16, 16, label="R", colour=RED, role="RESET")
    for i, (lab, role) in enumerate((("LCK", "LOCK"), ("SND", "SOUND"), ("SWP", "SWAP"))):
        L.add(74 + 40 * i, 100, 24, 12, style="switch", label=lab, role=role)
    L.box(6, 40, 52, 130, BODY)
    L.box(248, 40, 294, 130, BODY)
    L.add(20, 54, 18, 18, 17, 0, style="up")
    L.add(20, 96, 18, 18, 18, 0, style="down")
    L.add(262, 54, 18, 18, 17, 1, style="up")
    L.add(262, 96, 18, 18, 18, 1, style="down")
    return L


# ---- trainer boards and keypad computers ---------------------------------------------------

def keypad_grid(L, x0, y0, w, h, dx, dy, columns, labels, player_of=None, key_of=None,
                colour=KEYCAP, round_mark=False):
    for i, lab in enumerate(labels):
        c, r = i % columns, i // columns
        key = key_of(i) if key_of else -1
        player = player_of(i) if player_of else -1
        L.add(x0 + c * dx, y0 + r * dy, w, h, key, player,
              style="round" if round_mark else "key", label=lab, colour=colour,
              round_mark=round_mark)


def pair_key(i):
    return 1 + i % 12


def pair_player(i):
    return 0 if i < 12 else 1


SI50_KEYS = ["WCAS", "BKPT", "C", "RCAS", "REG", "8", "STEP", "MEM", "4", "RUN", "NXT", "0",
             "D", "E", "F", "9", "A", "B", "5", "6", "7", "1", "2", "3",
             "RST", "INT", "MON", "SENS"]


def instructor(number, picture, big):
    if big:
        L = Layout(number, picture, 700, 390, BOARD)
        L.box(510, 60, 682, 96, PANEL)
        x0, y0, w, h, dx, dy = 430, 140, 44, 30, 52, 36
        L.text("INSTRUCTOR 50", 40, 30, WHITE, 2)
        lamps = [(72 + 18 * i if i < 4 else 69 + 19 * i, 319) for i in range(8)]
        lamps += [(276, 320), (277, 351)]
        size = 6
        dips = [(40, 200, 60, 24), (110, 200, 60, 24)]
        tape, ops = (40, 250, 130, 24), (190, 250, 130, 24)
    else:
        L = Layout(number, picture, 390, 280, BOARD)
        L.box(296, 106, 378, 124, PANEL)
        x0, y0, w, h, dx, dy = 236, 132, 30, 20, 36, 24
        L.text("INSTRUCTOR 50", 16, 12, WHITE)
        lamps = [(94 + 8 * i, 227) for i in range(8)] + [(182, 228), (182, 242)]
        size = 4
        dips = [(16, 150, 44, 18), (66, 150, 44, 18)]
        tape, ops = (16, 180, 94, 18), (120, 180, 94, 18)
    # RST, INT, MON and the sense key in a column of their own, left of the pad;
    # the board's console keys are numbered SENS, INT, MON, RST
    console = {"SENS": 1, "INT": 2, "MON": 3, "RST": 4}
    for i, lab in enumerate(SI50_KEYS[24:]):
        L.add(x0 - dx - 6, y0 + i * dy, w, h, label=lab, colour=ORANGE,
              role="CONSOLE%d" % console[lab])
    keypad_grid(L, x0, y0, w, h, dx, dy, 4, SI50_KEYS[:24], pair_player, pair_key)
    L.add(*dips[0], style="switch", label="DIP", role="DIPS")
    L.add(*dips[1], style="switch", label="DIP", role="DIPS")
    L.add(*tape, label="TAPE", colour=SILVER, role="TAPE")
    L.add(*ops, label="OPCODES", colour=SILVER, role="OPCODES")
    for (x, y) in lamps:
        L.decor.append(("lampsocket", x, y, size))
    return L


PHUNSY_KEYS = ["0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "A", "B",
               "C", "D", "E", "F", "DM", "MD", "GO", "CLR", "RST", "HLT", "DMP", "LDC"]
SELBST_KEYS = ["C", "D", "E", "F", "8", "9", "A", "B", "4", "5", "6", "7", "0", "1", "2", "3",
               "CMD", "FLG", "RUN", "MON", "GTO", "PC", "RST", "NXT"]
MIKIT_KEYS = ["BL", "R", "C", "+", "G", "8", "H", "P", "4", "L", "S", "0",
              "D", "E", "F", "9", "A", "B", "5", "6", "7", "1", "2", "3"]


# The machines' keypad keys by the label on the picture: (player, guest key),
# in the order of the machine table's key labels (core/machine_table.cpp).
def keys_by_label(left, right):
    keys = {lab: (0, k + 1) for k, lab in enumerate(left)}
    keys.update({lab: (1, k + 1) for k, lab in enumerate(right)})
    return keys


PHUNSY_PAD = keys_by_label(
    ["0", "4", "8", "1", "5", "9", "2", "6", "A", "3", "7", "B"],
    ["C", "DM", "RST", "D", "MD", "HLT", "E", "GO", "DMP", "F", "CLR", "LDC"])
SELBST_PAD = keys_by_label(
    ["C", "D", "E", "8", "9", "A", "4", "5", "6", "0", "1", "2"],
    ["F", "CMD", "FLG", "B", "RUN", "MON", "7", "GTO", "PC", "3", "RST", "NXT"])


def phunsy():
    L = Layout(21, "con-phunsy", 280, 220, BODY)
    L.text("PHUNSY", 20, 20, WHITE)
    L.box(78, 14, 196, 38, PANEL)
    keypad_grid(L, 40, 60, 32, 22, 40, 28, 6, PHUNSY_KEYS,
                lambda i: PHUNSY_PAD[PHUNSY_KEYS[i]][0], lambda i: PHUNSY_PAD[PHUNSY_KEYS[i]][1])
    return L


def selbst():
    L = Layout(22, "con-selbstbaucomputer", 420, 230, BOARD)
    L.text("SELBSTBAU", 20, 20, WHITE)
    L.box(204, 52, 396, 80, PANEL)
    keypad_grid(L, 200, 98, 40, 22, 48, 30, 4, SELBST_KEYS[:16],
                lambda i: SELBST_PAD[SELBST_KEYS[i]][0], lambda i: SELBST_PAD[SELBST_KEYS[i]][1])
    for i, lab in enumerate(SELBST_KEYS[16:]):
        c, r = i % 2, i // 2
        L.add(40 + 56 * c, 98 + 30 * r, 48, 22, SELBST_PAD[lab][1], SELBST_PAD[lab][0],
              label=lab, colour=ORANGE)
    return L


def mikit(number, picture, big):
    shift = 400 if big else 0
    top = 171 if big else 33
    L = Layout(number, picture, 700 if big else 300, 420 if big else 210, BOARD)
    if big:
        L.box(20, 20, 380, 400, (24, 70, 40, 255))
        L.text("MIKIT 2650", 60, 190, WHITE, 3)
    else:
        L.text("MIKIT", 20, 10, WHITE)
    L.box(68 + shift, top - 4, 248 + shift, top + 22, PANEL)
    keypad_grid(L, 60 + shift, top + 40, 32, 22, 38, 28, 6, MIKIT_KEYS, pair_player, pair_key)
    return L


def binbug():
    L = Layout(19, "con-binbug", 200, 200, BODY)
    L.text("BINBUG", 20, 10, WHITE)
    hexdigits = "C840D951EA62FB73"
    for i, ch in enumerate(hexdigits):
        c, r = i // 4, i % 4
        L.add(24 + 42 * c, 36 + 40 * r, 30, 30, key=1 + i % 12, player=0, style="round",
              label=ch, colour=KEYCAP, round_mark=True, role="TERMINAL")
    return L


# ---- coin-op boards ---------------------------------------------------------------------------

def malzak():
    L = Layout(20, "con-malzak", 260, 170, BODY)
    L.text("MALZAK", 20, 10, WHITE)
    L.add(190, 70, 40, 40, 2, 0, style="round", label="FIRE", colour=RED, round_mark=True)
    L.add(150, 16, 36, 20, style="round", label="1UP", colour=YELLOW, round_mark=True,
          role="CONSOLE1")
    L.add(200, 16, 36, 20, style="round", label="2UP", colour=YELLOW, round_mark=True,
          role="CONSOLE2")
    cx, cy, d, s = 80, 96, 40, 24
    for key, (dx, dy) in ((17, (0, -1)), (25, (1, -1)), (20, (1, 0)), (27, (1, 1)), (18, (0, 1)),
                          (26, (-1, 1)), (19, (-1, 0)), (24, (-1, -1))):
        L.add(cx + dx * d - s // 2, cy + dy * d - s // 2, s, s, key, 0, style="round",
              colour=SILVER, round_mark=True)
    L.disc(cx, cy, 12, INK)
    return L


def zaccaria(number, picture, title, laser):
    L = Layout(number, picture, 300, 170, BODY)
    L.text(title, 16, 10, WHITE)
    L.add(220, 60, 40, 40, 7 if laser else 0, 0, style="round", label="FIRE", colour=RED,
          round_mark=True)
    L.add(150, 20, 36, 20, style="round", label="1UP", colour=YELLOW, round_mark=True,
          role="CONSOLE1")
    L.add(200, 20, 36, 20, style="round", label="2UP", colour=YELLOW, round_mark=True,
          role="CONSOLE2")
    L.add(30, 80, 30, 30, 19, 0, style="round" if not laser else "left", label="",
          colour=SILVER, round_mark=not laser)
    L.add(100, 80, 30, 30, 20, 0, style="round" if not laser else "right", label="",
          colour=SILVER, round_mark=not laser)
    if laser:
        L.add(65, 45, 30, 30, 17, 0, style="up")
        L.add(65, 115, 30, 30, 18, 0, style="down")
        for i, k in enumerate((8, 9, 5)):
            L.add(160 + 44 * i, 120, 30, 30, k, 0, style="round", label="B%d" % (i + 2),
                  colour=ORANGE, round_mark=True)
    L.add(16, 140, 70, 18, label="INFO", colour=SILVER, role="INFO")
    return L


# ---- terminals ---------------------------------------------------------------------------------

class Keyboard:
    """Rows of keys laid out left to right, in the order given."""

    def __init__(self, L, x0, y0, unit, gap):
        self.L, self.x0, self.y0, self.unit, self.gap = L, x0, y0, unit, gap
        self.placed = {}

    def put(self, index, row, column, label, width=1.0, height=1, colour=KEYCAP):
        u, g = self.unit, self.gap
        x = self.x0 + int(column * (u + g))
        y = self.y0 + row * (u + g)
        w = int(width * u + (width - 1) * g)
        h = height * u + (height - 1) * g
        self.placed[index] = dict(x=x, y=y, w=w, h=h, key=0, player=0, style="key",
                                  label=label, colour=colour, round=False, panel=False,
                                  role="TERMINAL")

    def finish(self, count):
        for i in range(count):
            if i not in self.placed:
                raise SystemExit("%s: key %d has no place" % (self.L.picture, i))
            self.L.entries.append(self.placed[i])


def row_of(kb, first, row, column, labels, width=1.0, colour=KEYCAP):
    for i, lab in enumerate(labels):
        kb.put(first + i, row, column + i * width, lab, width, colour=colour)


def pipbug_reset(L):
    """The RESET button of the front panel picture (con-pipbug), marked round."""
    L.entries.append(dict(x=24, y=56, w=26, h=26, key=0, player=0, style=None, label="",
                          colour=None, round=True, panel=True, role="TERMINAL"))


def elekterminal():
    L = Layout(12, "con-elekterminal", 500, 170, BODY2)
    kb = Keyboard(L, 14, 14, 26, 4)
    row_of(kb, 0, 0, 0, list("1234567890:-@"))
    row_of(kb, 13, 0, 13, ["FF", "EM", "ESC"], colour=SILVER)
    row_of(kb, 16, 1, 0.5, list("QWERTYUIOP[]"))
    kb.put(28, 1, 12.5, "LF", colour=SILVER)
    kb.put(29, 1, 13.5, "CR", 1.5, colour=SILVER)
    kb.put(30, 1, 15, "SUB", colour=SILVER)
    kb.put(31, 2, 0, "CTL", 1.5, colour=SILVER)
    row_of(kb, 32, 2, 1.5, list("ASDFGHJKL;"))
    kb.put(42, 2, 11.5, "FS", colour=SILVER)
    kb.put(43, 2, 12.5, "BS", 1.5, colour=SILVER)
    kb.put(44, 2, 14, "HT", colour=SILVER)
    kb.put(45, 2, 15, "CAN", colour=SILVER)
    kb.put(46, 3, 0, "SHIFT", 2, colour=SILVER)
    row_of(kb, 47, 3, 2, list("ZXCVBNM,./"))
    kb.put(57, 3, 12, "SHIFT", 2, colour=SILVER)
    kb.put(58, 3, 14, "NAK", colour=SILVER)
    kb.put(59, 3, 15, "NUL", colour=SILVER)
    kb.put(60, 4, 3, "", 9)
    kb.finish(61)
    pipbug_reset(L)
    return L


def vt100():
    L = Layout(28, "con-vt100", 640, 195, CREAM)
    kb = Keyboard(L, 10, 10, 26, 4)
    row_of(kb, 0, 0, 15.5, ["UP", "DN", "LT", "RT"], colour=SILVER)
    kb.put(4, 1, 0, "ESC", colour=SILVER)
    row_of(kb, 5, 1, 1, list("1234567890-=`"))
    kb.put(18, 1, 14, "BS", colour=SILVER)
    kb.put(19, 1, 15, "BRK", colour=SILVER)
    row_of(kb, 20, 1, 16.5, list("789-"), colour=SILVER)
    kb.put(24, 2, 0, "TAB", 1.5, colour=SILVER)
    row_of(kb, 25, 2, 1.5, list("QWERTYUIOP[]"))
    kb.put(37, 2, 13.5, "RET", 1.5, colour=SILVER)
    kb.put(38, 2, 15, "DEL", colour=SILVER)
    row_of(kb, 39, 2, 16.5, list("456,"), colour=SILVER)
    kb.put(43, 3, 0, "CTL", colour=SILVER)
    kb.put(44, 3, 1, "CAP", colour=SILVER)
    row_of(kb, 45, 3, 2, list("ASDFGHJKL;'\\"))
    row_of(kb, 57, 3, 16.5, list("123"), colour=SILVER)
    kb.put(60, 3, 19.5, "ENT", 1, 2, colour=SILVER)
    kb.put(61, 4, 0, "NS", colour=SILVER)
    kb.put(62, 4, 1, "SHIFT", 2, colour=SILVER)
    row_of(kb, 63, 4, 3, list("ZXCVBNM,./"))
    kb.put(73, 4, 13, "SHIFT", 2, colour=SILVER)
    kb.put(74, 4, 15, "LF", colour=SILVER)
    kb.put(75, 4, 16.5, "0", 2, colour=SILVER)
    kb.put(76, 4, 18.5, ".", colour=SILVER)
    kb.put(77, 5, 3, "", 9)
    kb.finish(78)
    pipbug_reset(L)
    return L


def radio_bulletin():
    L = Layout(29, "con-radiobulletin", 640, 150, BODY)
    kb = Keyboard(L, 10, 12, 26, 4)
    specials = [["LF", "VT", "CR", "BEL"], ["SUB", "ESC", "GS", "US"],
                ["j", "k", "m", "o"], ["z", "{", "}", "DEL"]]
    for r in range(4):
        for c in range(20):
            i = r * 20 + c
            if c < 16:
                ch = chr(0x20 + 16 * r + c)
                lab = "SP" if ch == " " else ch
                kb.put(i, r, c + (0.5 if c >= 16 else 0), lab)
            else:
                kb.put(i, r, c + 0.5, specials[r][c - 16], colour=SILVER)
    kb.finish(80)
    return L


def twin():
    L = Layout(13, "con-twin", 560, 170, (210, 200, 170, 255))
    kb = Keyboard(L, 12, 12, 26, 4)
    row_of(kb, 0, 0, 0.5, list("1234567890:-"))
    kb.put(12, 0, 12.5, "", colour=SILVER)
    kb.put(13, 0, 13.5, "ESC", colour=SILVER)
    row_of(kb, 14, 1, 1, list("QWERTYUIOP"))
    kb.put(24, 1, 11, "LF", colour=SILVER)
    kb.put(25, 1, 12, "RET", 1.5, colour=SILVER)
    kb.put(26, 2, 0, "CTL", 1.2, colour=SILVER)
    row_of(kb, 27, 2, 1.2, list("ASDFGHJKL;"))
    kb.put(37, 2, 11.2, "BS", colour=SILVER)
    kb.put(38, 2, 12.2, "RPT", colour=SILVER)
    kb.put(39, 2, 13.2, "BRK", colour=SILVER)
    kb.put(40, 3, 0, "SHIFT", 1.8, colour=SILVER)
    row_of(kb, 41, 3, 1.8, list("ZXCVBNM,./"))
    kb.put(51, 3, 11.8, "SHIFT", 1.8, colour=SILVER)
    kb.put(52, 4, 3, "", 8)
    kb.put(53, 4, 15, "PAL", 1.5, colour=ORANGE)
    kb.put(54, 4, 17, "RST", colour=RED)
    kb.finish(55)
    return L


# ---- Type-right ------------------------------------------------------------------------------

# (rect, label, raw keys that type it or show on it)
TYPERIGHT_KEYS = (
    [(4 + i, ch, [1 + i]) for i, ch in enumerate("123456789")] + [(13, "0", [10])] +
    [(14 + i, ch, [16 + i]) for i, ch in enumerate("QWERTYUIOP")] +
    [(24 + i, ch, [32 + i]) for i, ch in enumerate("ASDFGHJKL")] + [(33, ";", [41])] +
    [(34 + i, ch, [49 + i]) for i, ch in enumerate("ZXCVBNM")] +
    [(41, ",", [56]), (42, ".", [57]), (43, "/", [58]), (44, "=", [12, 26]), (45, "'", [42]),
     (46, "BS", [65, 79]), (47, "RET", [67, 68]), (48, "", [64, 78]), (49, "SHIFT", [96]),
     (50, "SHIFT", [97]), (51, "CAPS", [98])]
)
# The '6' key types '-' with Shift, so the host '-' key shows on it too.
TYPERIGHT_KEYS[5][2].append(11)


def typeright():
    L = Layout(23, "con-typeright", 440, 240, (60, 120, 190, 255))
    L.text("TYPE RIGHT", 20, 14, WHITE, 2)
    L.box(226, 38, 298, 58, PANEL)
    for i, lab in enumerate(("CLS", "GAME", "SPD", "ACC")):
        L.add(20 + 46 * i, 44, 40, 16, label=lab, colour=YELLOW, role="CONSOLE%d" % (i + 1))
    kb = Keyboard(L, 16, 80, 28, 3)
    place = {}
    for r, (first, count, col) in enumerate(((4, 10, 0.5), (14, 10, 1), (24, 10, 1.3),
                                              (34, 10, 1.8))):
        for i in range(count):
            place[first + i] = (r, col + i, 1.0)
    place.update({44: (0, 10.5, 1.0), 45: (2, 11.3, 1.0), 46: (0, 11.5, 1.5), 47: (1, 11, 1.8),
                  48: (4, 3, 7.0), 49: (3, 0, 1.8), 50: (3, 11.8, 1.8), 51: (2, 0, 1.3)})
    labels = {rect: lab for rect, lab, _ in TYPERIGHT_KEYS}
    for rect, (r, c, w) in place.items():
        kb.put(rect, r, c, labels[rect], w,
               colour=SILVER if rect in (44, 46, 47, 49, 50, 51) else KEYCAP)
    kb.placed = {i - 4: v for i, v in kb.placed.items()}
    kb.finish(48)
    return L


# ---- the front panel of the PIPBUG ------------------------------------------------------------

PIPBUG_PANEL = ("con-pipbug", 760, 96)


def pipbug_panel_decor():
    """Shapes of the front panel: lamp sockets where the machine lights its lamps."""
    decor = [("text", "PIPBUG", 24, 12, WHITE, 2), ("text", "RESET", 20, 86, WHITE, 1),
             ("disc", 37, 69, 14, RED)]
    for i in range(8):
        decor.append(("lampsocket", 145 - 18 * i + 153, 15, 7))
        decor.append(("lampsocket", 145 - 18 * i + 153, 48, 7))
    for i in range(15):
        x = 557 - 17 * i - 2 * (i & ~7) + 153
        decor.append(("lampsocket", x, 15, 7))
        if i < 8:
            decor.append(("lampsocket", x, 48, 7))
    decor.append(("lampsocket", 321 + 153, 77, 7))
    decor.append(("text", "RUN", 490, 80, WHITE, 1))
    return decor


@functools.lru_cache(maxsize=None)
def layouts():
    small = [emerson_small(), mpt03_small(), palladium_small()]
    big = [s.scaled(3 + i, s.picture.replace("-sml", "-big"), 2) for i, s in enumerate(small)]
    big[0].lamp(430, 156, 5)
    big[1].lamp(271, 100, 2)
    inter = interton_small()
    elek = elektor_small()
    all_layouts = small + big + [
        paddle_console(6, "con-i3000", (170, 40, 40, 255), True, "VIDEO 3000"),
        paddle_console(7, "con-sheen", (40, 40, 160, 255), False, "SHEEN"),
        paddle_console(8, "con-telstar", (150, 110, 60, 255), False, "TELSTAR"),
        paddle_console(9, "con-telejogo", (60, 130, 60, 255), False, "TELEJOGO"),
        instructor(10, "con-instructor", False), instructor(11, "con-instructor-big", True),
        elekterminal(), twin(), mikit(14, "con-mikit-sml", False),
        mikit(15, "con-mikit-big", True), inter, inter.scaled(17, "con-interton-big", 2),
        elek, binbug(), malzak(), phunsy(), selbst(), typeright(),
        zaccaria(24, "con-astrowars", "ASTRO WARS", False),
        zaccaria(25, "con-galaxia", "GALAXIA", False),
        zaccaria(26, "con-laserbattle", "LASER BATTLE", True),
        elek.scaled(27, "con-elektor-big", 2), vt100(), radio_bulletin(),
    ]
    all_layouts.sort(key=lambda l: l.number)
    assert [l.number for l in all_layouts] == list(range(30))
    return all_layouts


# ---- drawing ---------------------------------------------------------------------------------

def shade(c, d):
    return tuple(max(0, min(255, v + d)) for v in c[:3]) + (255,)


def fit_text(p, s, x, y, w, h, colour, scale):
    while scale > 1 and 4 * len(s) * scale - scale > w - 2:
        scale -= 1
    tw, th = 4 * len(s) * scale - scale, 5 * scale
    if tw > w - 2 or th > h:
        s = s[:max(1, (w - 2) // 4)]
        tw = 4 * len(s) * scale - scale
    p.text(s, x + (w - tw) // 2, y + (h - th) // 2, colour, scale)


def ellipse(p, x, y, w, h, c):
    a, b = w / 2.0, h / 2.0
    cx, cy = x + a - 0.5, y + b - 0.5
    for yy in range(y, y + h):
        for xx in range(x, x + w):
            if ((xx - cx) / a) ** 2 + ((yy - cy) / b) ** 2 <= 1.0:
                p.set(xx, yy, c)


def arrow(p, x, y, w, h, direction, c):
    for i in range(h if direction in ("up", "down") else w):
        if direction in ("up", "down"):
            row = i if direction == "up" else h - 1 - i
            half = (i * w) // (2 * h)
            p.rect(x + w // 2 - half, y + row, x + (w - 1) // 2 + half, y + row, c)
        else:
            col = i if direction == "left" else w - 1 - i
            half = (i * h) // (2 * w)
            p.rect(x + col, y + h // 2 - half, x + col, y + (h - 1) // 2 + half, c)


def draw_entry(p, e, scale):
    x, y, w, h = e["x"], e["y"], e["w"], e["h"]
    style = e["style"]
    if x < 0 or style is None:
        return
    colour = e["colour"] or KEYCAP
    if style == "slot":
        p.rect(x, y, x + w - 1, y + h - 1, SLOT)
        p.frame(x, y, x + w - 1, y + h - 1, SILVER)
        p.rect(x + 4, y + h // 2 - 1, x + w - 5, y + h // 2, (60, 60, 60, 255))
        return
    if style in ("up", "down", "left", "right"):
        p.rect(x, y, x + w - 1, y + h - 1, DARKKEY)
        arrow(p, x + 2, y + 2, w - 4, h - 4, style, SILVER)
        return
    if style == "round":
        ellipse(p, x, y, w, h, INK)
        ellipse(p, x + 1, y + 1, w - 2, h - 2, colour)
    elif style == "switch":
        p.rect(x, y, x + w - 1, y + h - 1, INK)
        p.rect(x + 1, y + 1, x + w // 2 - 1, y + h - 2, SILVER)
    else:
        p.rect(x, y, x + w - 1, y + h - 1, INK)
        p.rect(x + 1, y + 1, x + w - 2, y + h - 2, colour)
        p.rect(x + 1, y + h - 2, x + w - 2, y + h - 2, shade(colour, -60))
    if e["label"] and style != "switch":
        ink = WHITE if sum(colour[:3]) < 300 else INK
        fit_text(p, e["label"], x, y, w, h, ink, scale)
    elif e["label"]:
        fit_text(p, e["label"], x + w // 2, y, w - w // 2, h, WHITE, scale)


def draw_decor(p, decor):
    for d in decor:
        if d[0] == "box":
            p.rect(d[1], d[2], d[3], d[4], d[5])
            p.frame(d[1], d[2], d[3], d[4], shade(d[5], 40))
        elif d[0] == "frame":
            p.frame(d[1], d[2], d[3], d[4], d[5])
        elif d[0] == "text":
            p.text(d[1], d[2], d[3], d[4], d[5])
        elif d[0] == "disc":
            p.disc(d[1], d[2], d[3], d[4])
        elif d[0] == "lampsocket":
            x, y, s = d[1], d[2], d[3]
            ellipse(p, x - 1, y - 1, s + 3, s + 3, INK)


def draw(name, picture_class):
    """The picture `name` (a "con-*" row), or None when no layout draws it."""
    if name == PIPBUG_PANEL[0]:
        p = picture_class(PIPBUG_PANEL[1], PIPBUG_PANEL[2])
        p.rect(0, 0, p.w - 1, p.h - 1, BODY)
        draw_decor(p, pipbug_panel_decor())
        return p
    for L in layouts():
        if L.picture == name:
            p = picture_class(L.w, L.h)
            p.rect(0, 0, L.w - 1, L.h - 1, L.background)
            draw_decor(p, L.decor)
            for e in L.entries:
                draw_entry(p, e, L.scale)
            return p
    return None


def picture_size(name):
    if name == PIPBUG_PANEL[0]:
        return PIPBUG_PANEL[1], PIPBUG_PANEL[2]
    for L in layouts():
        if L.picture == name:
            return L.w, L.h
    return None


# ---- the C++ table -----------------------------------------------------------------------------

def image_rows():
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    from make_images import table_names
    return {name: row for row, name in reversed(list(enumerate(table_names())))}


def write_table():
    rows = image_rows()
    out = ["// Generated by scripts/controls_layouts.py from the description that also",
           "// draws the controller pictures: do not edit, run the script.",
           '#include "input/controls.h"', "", "// clang-format off",
           "const ControlsLayout controls_layouts[CONTROLS_LAYOUTS] = {"]
    for L in layouts():
        out.append("    {%d, %d, %d, %d, {  // %d %s" % (rows[L.picture], L.w, L.h,
                                                     len(L.entries), L.number, L.picture))
        for i, e in enumerate(L.entries):
            out.append("        {%d, %d, %d, %d, %d, %d, %d, %d, CR_%s}, // %d %s" % (
                e["x"], e["y"], e["w"], e["h"], e["key"], e["player"], int(e["round"]),
                int(e["panel"]), e["role"], i, (e["label"] or "").replace("\\", "backslash")))
        out.append("    }},")
    out.append("};")
    out.append("")
    out.append("const ControlsPicture controls_extra_picture = {%d, %d, %d};" % (
        rows[PIPBUG_PANEL[0]], PIPBUG_PANEL[1], PIPBUG_PANEL[2]))
    out.append("")
    pairs = sorted((raw, rect) for rect, _, raws in TYPERIGHT_KEYS for raw in raws)
    out.append("const TyperightPictureKey typeright_picture_keys[TYPERIGHT_PICTURE_KEYS] = {")
    for i in range(0, len(pairs), 8):
        out.append("    " + " ".join("{%d, %d}," % p for p in pairs[i:i + 8]))
    out.append("};")
    out.append("// clang-format on")
    text = "\n".join(out) + "\n"
    with open(TABLE, "w") as f:
        f.write(text)
    print("%d layouts, %d Type-right keys in %s" % (len(layouts()), len(pairs), TABLE))


if __name__ == "__main__":
    write_table()
