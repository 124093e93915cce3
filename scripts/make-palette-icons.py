#!/usr/bin/env python3
"""Draws the designer's palette icons: one 24 x 24, 256-colour BMP per component class, named
after the class in upper case, into visual/resources/ and mail/resources/.

Each icon is a small pictogram of what the component is, on the button-face grey that the
palette treats as transparent (the bottom-left pixel). Run it again after changing a drawing;
the output is deterministic.
"""
import os
import struct
import sys

# Palette entries: index -> (r, g, b). Unused entries stay black.
COLORS = {
    "face": (192, 192, 192), "white": (255, 255, 255), "black": (0, 0, 0),
    "shadow": (128, 128, 128), "dark": (64, 64, 64), "navy": (0, 0, 128),
    "blue": (0, 0, 255), "sky": (96, 160, 255), "red": (192, 0, 0), "yellow": (255, 255, 0),
    "green": (0, 128, 0), "lime": (0, 255, 0), "teal": (0, 128, 128), "aqua": (0, 255, 255),
    "maroon": (128, 0, 0), "purple": (128, 0, 128), "olive": (128, 128, 0),
    "orange": (255, 160, 0), "paper": (255, 255, 224),
}
NAMES = list(COLORS)
# A blue ramp for gradients.
for i in range(16):
    NAMES.append("ramp%d" % i)
    COLORS["ramp%d" % i] = (i * 16, i * 12, 255 - i * 8)


class Icon:
    def __init__(self):
        self.px = [[NAMES.index("face")] * 24 for _ in range(24)]

    def set(self, x, y, c):
        if 0 <= x < 24 and 0 <= y < 24:
            self.px[y][x] = NAMES.index(c)

    def fill(self, l, t, r, b, c):  # half-open
        for y in range(t, b):
            for x in range(l, r):
                self.set(x, y, c)

    def frame(self, l, t, r, b, c):
        self.line(l, t, r - 1, t, c)
        self.line(l, b - 1, r - 1, b - 1, c)
        self.line(l, t, l, b - 1, c)
        self.line(r - 1, t, r - 1, b - 1, c)

    def bevel(self, l, t, r, b, up=True):
        hi, lo = ("white", "dark") if up else ("dark", "white")
        self.line(l, t, r - 1, t, hi)
        self.line(l, t, l, b - 1, hi)
        self.line(l, b - 1, r - 1, b - 1, lo)
        self.line(r - 1, t, r - 1, b - 1, lo)

    def line(self, x0, y0, x1, y1, c):  # both ends included
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def disc(self, cx, cy, r, c, ring=None):
        for y in range(24):
            for x in range(24):
                d = (x - cx) ** 2 + (y - cy) ** 2
                if d <= r * r:
                    self.set(x, y, c)
                if ring and r * r - 2 * r < d <= r * r:
                    self.set(x, y, ring)

    def text(self, x, y, s, c):
        for ch in s:
            rows = FONT[ch]
            for j, row in enumerate(rows):
                for i, bit in enumerate(row):
                    if bit == "#":
                        self.set(x + i, y + j, c)
            x += len(rows[0]) + 1

    def poly(self, pts, c):
        for (a, b) in zip(pts, pts[1:]):
            self.line(a[0], a[1], b[0], b[1], c)

    def bmp(self):
        palette = b"".join(struct.pack("<BBBB", *reversed(COLORS[n]), 0) for n in NAMES)
        palette += b"\0\0\0\0" * (256 - len(NAMES))
        pixels = b"".join(bytes(self.px[y]) for y in range(23, -1, -1))
        offset = 14 + 40 + 1024
        head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
        info = struct.pack("<IiiHHIIiiII", 40, 24, 24, 1, 8, 0, len(pixels), 3780, 3780, 256, 0)
        return head + info + palette + pixels


FONT = {
    "A": [".#.", "#.#", "###", "#.#", "#.#"], "B": ["##.", "#.#", "##.", "#.#", "##."],
    "D": ["##.", "#.#", "#.#", "#.#", "##."], "M": ["#...#", "##.##", "#.#.#", "#...#", "#...#"],
    "P": ["##.", "#.#", "##.", "#..", "#.."], "S": [".##", "#..", ".#.", "..#", "##."],
    "T": ["###", ".#.", ".#.", ".#.", ".#."], "O": [".#.", "#.#", "#.#", "#.#", ".#."],
    "a": ["...", ".##", "#.#", "#.#", ".##"], "b": ["#..", "##.", "#.#", "#.#", "##."],
    "c": ["...", ".##", "#..", "#..", ".##"],
}


def button(i, l, t, r, b, up=True):
    i.fill(l, t, r, b, "face")
    i.bevel(l, t, r, b, up)
    i.line(r - 1, t, r - 1, b - 1, "black" if up else "white")
    i.line(l, b - 1, r - 1, b - 1, "black" if up else "white")


def envelope(i, flap="navy"):
    i.fill(2, 6, 22, 19, "white")
    i.frame(2, 6, 22, 19, "dark")
    i.poly([(2, 6), (12, 13), (21, 6)], flap)


def draw(name):
    i = Icon()
    if name == "TQELBackground":
        for y in range(2, 22):
            for x in range(2, 22):
                i.set(x, y, "ramp%d" % min(15, (x + y - 4) * 16 // 40))
        i.frame(2, 2, 22, 22, "dark")
    elif name == "TQELCheckbox":
        i.fill(4, 4, 20, 20, "white")
        i.bevel(4, 4, 20, 20, up=False)
        i.poly([(7, 11), (10, 15), (17, 7)], "black")
        i.poly([(7, 12), (10, 16), (17, 8)], "black")
    elif name == "TQELRadiobutton":
        i.disc(12, 12, 8, "white", ring="dark")
        i.disc(12, 12, 3, "black")
    elif name in ("TQELLabel", "TQELDBLabel"):
        i.text(6, 6, "A", "shadow")
        i.text(5, 5, "A", "navy")
        i.text(11, 9, "a", "white")
        i.text(10, 8, "a", "red")
        if name == "TQELDBLabel":
            i.disc(18, 18, 4, "yellow", ring="olive")
    elif name == "TQELButton":
        button(i, 2, 6, 22, 18)
        i.text(8, 9, "Ok"[0], "black")
        i.text(12, 9, "B", "black")
    elif name == "TQELIEButton":
        i.fill(3, 3, 21, 21, "face")
        i.bevel(3, 3, 21, 21)
        i.poly([(7, 12), (12, 7), (17, 12)], "blue")
        i.line(12, 7, 12, 17, "blue")
    elif name == "TQELOfficeButton":
        i.fill(3, 5, 21, 19, "paper")
        i.frame(3, 5, 21, 19, "navy")
        i.fill(6, 8, 12, 16, "orange")
        i.line(14, 10, 18, 10, "black")
        i.line(14, 13, 18, 13, "black")
    elif name == "TQELPanel":
        i.bevel(2, 4, 22, 20)
        i.bevel(4, 6, 20, 18, up=False)
        i.text(9, 9, "P", "navy")
    elif name == "TQELGauge":
        i.fill(2, 8, 22, 16, "black")
        for k in range(6):
            i.fill(3 + k * 3, 9, 5 + k * 3, 15, "lime" if k < 4 else "green")
    elif name == "TQELPresentation":
        i.fill(2, 3, 22, 17, "black")
        for y in range(4, 16):
            for x in range(3, 21):
                i.set(x, y, "ramp%d" % min(15, (y - 4) * 16 // 12))
        i.disc(16, 8, 2, "yellow")
        i.line(12, 17, 12, 20, "dark")
        i.line(7, 21, 17, 21, "dark")
    elif name == "TQELHint":
        i.fill(2, 3, 22, 15, "paper")
        i.frame(2, 3, 22, 15, "black")
        i.poly([(6, 14), (5, 20), (11, 14)], "black")
        i.line(6, 15, 9, 15, "paper")
        i.line(5, 7, 18, 7, "navy")
        i.line(5, 10, 14, 10, "navy")
    elif name == "TQELFillBackground":
        i.fill(3, 3, 21, 21, "teal")
        for k in range(3, 21, 4):
            i.line(3, k, k, 3, "aqua")
            i.line(k, 20, 20, k, "aqua")
        i.frame(3, 3, 21, 21, "dark")
    elif name == "TQELArrowButton":
        button(i, 3, 3, 21, 21)
        for k in range(6):
            i.line(12 - k, 8 + k, 12 + k, 8 + k, "black")
    elif name == "TQELRoundButton":
        i.disc(12, 12, 9, "face", ring="dark")
        i.disc(11, 11, 6, "sky")
        i.disc(10, 10, 2, "white")
    elif name == "TQELHeader":
        for k, (l, r) in enumerate([(1, 9), (9, 16), (16, 23)]):
            button(i, l, 7, r, 17)
            i.line(l + 2, 12, r - 3, 12, "navy")
    elif name == "TQELHeaderList":
        for l, r in [(1, 9), (9, 16), (16, 23)]:
            button(i, l, 2, r, 8)
        i.fill(1, 8, 23, 22, "white")
        i.frame(1, 2, 23, 22, "dark")
        for y in (11, 14, 17, 20):
            i.line(3, y, 7, y, "black")
            i.line(11, y, 14, y, "black")
            i.line(18, y, 21, y, "black")
    elif name == "TQELImageScroller":
        i.fill(1, 5, 23, 19, "black")
        for x in range(2, 23, 3):
            i.set(x, 6, "white")
            i.set(x, 17, "white")
        i.fill(3, 8, 11, 16, "sky")
        i.fill(13, 8, 21, 16, "orange")
    elif name == "TQELScreenCanvas":
        i.fill(3, 3, 21, 16, "dark")
        i.fill(5, 5, 19, 14, "aqua")
        i.line(8, 9, 15, 9, "purple")
        i.fill(9, 17, 15, 19, "shadow")
        i.line(6, 20, 18, 20, "dark")
    elif name == "TQELFileLabel3D":
        i.fill(2, 7, 14, 17, "yellow")
        i.fill(2, 5, 7, 7, "yellow")
        i.frame(2, 7, 14, 17, "olive")
        i.text(15, 9, "c", "navy")
        i.line(2, 20, 21, 20, "navy")
    elif name == "TQELFormSlide":
        i.fill(2, 3, 14, 13, "white")
        i.frame(2, 3, 14, 13, "navy")
        i.fill(2, 3, 14, 5, "navy")
        i.fill(10, 11, 22, 21, "white")
        i.frame(10, 11, 22, 21, "maroon")
        i.fill(10, 11, 22, 13, "maroon")
        i.poly([(4, 17), (8, 17)], "black")
        i.poly([(6, 15), (8, 17), (6, 19)], "black")
    elif name == "TQELDBNavigator":
        for k in range(4):
            button(i, 1 + k * 6, 7, 7 + k * 6, 17)
        i.line(3, 10, 3, 13, "black")
        i.poly([(5, 10), (4, 11), (4, 12), (5, 13)], "black")
        i.poly([(10, 10), (9, 11), (9, 12), (10, 13)], "black")
        i.poly([(15, 10), (16, 11), (16, 12), (15, 13)], "black")
        i.poly([(20, 10), (21, 11), (21, 12), (20, 13)], "black")
        i.line(22, 10, 22, 13, "black")
    elif name == "TQELSplashScreen":
        i.fill(2, 4, 22, 20, "navy")
        i.frame(2, 4, 22, 20, "black")
        i.poly([(12, 6), (14, 11), (19, 11), (15, 14), (17, 19), (12, 16), (7, 19), (9, 14),
                (5, 11), (10, 11), (12, 6)], "yellow")
    elif name == "TQELTimer32":
        i.disc(12, 12, 9, "white", ring="black")
        i.line(12, 12, 12, 6, "black")
        i.line(12, 12, 16, 14, "red")
        i.text(14, 1, "T", "maroon")
    elif name == "TQELSMTPMail":
        envelope(i)
        i.poly([(17, 17), (20, 14), (23, 17)], "red")
        i.line(20, 14, 20, 23, "red")
    elif name == "TQELPOPMail":
        envelope(i)
        i.poly([(17, 19), (20, 22), (23, 19)], "green")
        i.line(20, 13, 20, 22, "green")
    elif name == "TQELMapiMail":
        envelope(i, flap="purple")
        i.text(7, 13, "M", "purple")
    elif name == "TQELQuickMail":
        envelope(i, flap="maroon")
        i.poly([(18, 0), (15, 7), (19, 7), (16, 14)], "orange")
    else:
        raise SystemExit("no drawing for " + name)
    return i


VISUAL = ["TQELBackground", "TQELCheckbox", "TQELRadiobutton", "TQELLabel", "TQELButton",
          "TQELIEButton", "TQELOfficeButton", "TQELPanel", "TQELGauge", "TQELPresentation",
          "TQELHint", "TQELFillBackground", "TQELArrowButton", "TQELRoundButton", "TQELHeader",
          "TQELHeaderList", "TQELImageScroller", "TQELScreenCanvas", "TQELFileLabel3D",
          "TQELFormSlide", "TQELDBLabel", "TQELDBNavigator", "TQELSplashScreen", "TQELTimer32"]
MAIL = ["TQELQuickMail", "TQELMapiMail", "TQELPOPMail", "TQELSMTPMail"]


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    for folder, names in (("visual/resources", VISUAL), ("mail/resources", MAIL)):
        out = os.path.join(root, folder)
        os.makedirs(out, exist_ok=True)
        for n in names:
            with open(os.path.join(out, n.upper() + ".bmp"), "wb") as f:
                f.write(draw(n).bmp())
    return 0


if __name__ == "__main__":
    sys.exit(main())
