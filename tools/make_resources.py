#!/usr/bin/env python3
"""Makes the monitor's resource files: the three 32 x 32 16-colour icons,
the ring sound and the pictures of the main window and the caller-ID window.

    make_resources.py OUTDIR

Everything is drawn here from code, so nothing binary is kept in the tree.
Only the standard library is used.
"""
import math
import os
import struct
import sys

# ---------------------------------------------------------------- drawing


class Canvas:
    def __init__(self, w, h, bg=(0, 0, 0)):
        self.w, self.h = w, h
        self.px = [[bg for _ in range(w)] for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):  # inclusive corners
        for y in range(max(0, y0), min(self.h, y1 + 1)):
            for x in range(max(0, x0), min(self.w, x1 + 1)):
                self.px[y][x] = c

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.set(x, y0, c)
            self.set(x, y1, c)
        for y in range(y0, y1 + 1):
            self.set(x0, y, c)
            self.set(x1, y, c)

    def disc(self, cx, cy, r, c):
        for y in range(self.h):
            for x in range(self.w):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.px[y][x] = c

    def ring(self, cx, cy, r0, r1, c):
        for y in range(self.h):
            for x in range(self.w):
                d = (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2
                if r0 * r0 <= d <= r1 * r1:
                    self.px[y][x] = c

    def line(self, x0, y0, x1, y1, c, t=1):
        n = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
        for i in range(n + 1):
            x = x0 + (x1 - x0) * i / n
            y = y0 + (y1 - y0) * i / n
            for dy in range(t):
                for dx in range(t):
                    self.set(int(round(x)) + dx - t // 2, int(round(y)) + dy - t // 2, c)

    def vgradient(self, c0, c1):
        for y in range(self.h):
            f = y / max(1, self.h - 1)
            c = tuple(int(a + (b - a) * f) for a, b in zip(c0, c1))
            for x in range(self.w):
                self.px[y][x] = c

    def text(self, x, y, s, c):
        for ch in s:
            rows = FONT[ch]
            for j, row in enumerate(rows):
                for i, bit in enumerate(row):
                    if bit == "1":
                        self.set(x + i, y + j, c)
            x += len(rows[0]) + 1

    def blit(self, other, x, y):
        for j in range(other.h):
            for i in range(other.w):
                self.set(x + i, y + j, other.px[j][i])


# A 3 x 5 pixel font for the indicator lamps.
FONT = {
    "A": ["010", "101", "111", "101", "101"],
    "C": ["011", "100", "100", "100", "011"],
    "D": ["110", "101", "101", "101", "110"],
    "E": ["111", "100", "110", "100", "111"],
    "G": ["011", "100", "101", "101", "011"],
    "I": ["111", "010", "010", "010", "111"],
    "L": ["100", "100", "100", "100", "111"],
    "M": ["10001", "11011", "10101", "10001", "10001"],
    "N": ["1001", "1101", "1011", "1001", "1001"],
    "O": ["010", "101", "101", "101", "010"],
    "P": ["110", "101", "110", "100", "100"],
    "R": ["110", "101", "110", "101", "101"],
    "S": ["011", "100", "010", "001", "110"],
    "F": ["111", "100", "110", "100", "100"],
    "U": ["101", "101", "101", "101", "111"],
    "X": ["101", "101", "010", "101", "101"],
    "!": ["1", "1", "1", "0", "1"],
    " ": ["0", "0", "0", "0", "0"],
}


def text_width(s):
    return sum(len(FONT[ch][0]) + 1 for ch in s) - 1


def bmp24(c):
    row = (c.w * 3 + 3) & ~3
    data = bytearray()
    for y in range(c.h - 1, -1, -1):
        line = bytearray()
        for x in range(c.w):
            r, g, b = c.px[y][x]
            line += bytes((b, g, r))
        line += b"\0" * (row - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, c.w, c.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + bytes(data)


# ---------------------------------------------------------------- colours

NAVY = (0x1E, 0x36, 0x62)
NAVY_LIGHT = (0x2E, 0x50, 0x8A)
HEADER = (0x3A, 0x5C, 0x94)  # the column headers' colour; the widgets use it too
HEADER_LIGHT = (0x5A, 0x7C, 0xB4)
WHITE = (0xFF, 0xFF, 0xFF)
YELLOW = (0xF8, 0xD0, 0x40)
LIGHT = (0xC8, 0xD8, 0xF0)
GREEN = (0x30, 0xB0, 0x40)
RED = (0xD0, 0x30, 0x30)
GREY = (0x80, 0x80, 0x80)
LCD = (0xD4, 0xE4, 0xCC)  # background of the call panel; the widgets use it too


# ---------------------------------------------------------------- pictures


def lamp(w, label, colour):
    c = Canvas(w, 10, LCD)
    c.rect(0, 0, w - 1, 9, colour)
    c.frame(0, 0, w - 1, 9, tuple(v // 2 for v in colour))
    c.text((w - text_width(label)) // 2, 3, label, WHITE)
    return c


def button(kind):
    c = Canvas(26, 26, NAVY)
    if kind == "config":  # gear
        c.disc(13, 13, 9, LIGHT)
        for k in range(8):
            a = k * math.pi / 4
            x, y = 13 + 10 * math.cos(a), 13 + 10 * math.sin(a)
            c.rect(int(x) - 2, int(y) - 2, int(x) + 1, int(y) + 1, LIGHT)
        c.disc(13, 13, 4, NAVY)
    elif kind == "notify":  # envelope
        c.rect(3, 7, 22, 19, WHITE)
        c.frame(3, 7, 22, 19, GREY)
        c.line(3, 7, 12.5, 14, GREY)
        c.line(22, 7, 12.5, 14, GREY)
    elif kind == "ring":  # bell
        c.disc(13, 11, 7, YELLOW)
        c.rect(6, 11, 20, 18, YELLOW)
        c.rect(4, 18, 22, 19, YELLOW)
        c.disc(13, 21.5, 2.2, YELLOW)
    elif kind == "display":  # screen
        c.rect(3, 4, 22, 17, LIGHT)
        c.rect(5, 6, 20, 15, NAVY_LIGHT)
        c.rect(11, 18, 14, 20, LIGHT)
        c.rect(7, 21, 18, 22, LIGHT)
    elif kind == "history":  # clock
        c.disc(13, 13, 10, WHITE)
        c.ring(13, 13, 8.8, 10, GREY)
        c.line(13, 13, 13, 6, NAVY, 2)
        c.line(13, 13, 18, 15, NAVY, 2)
    elif kind == "book":  # address book
        c.rect(5, 3, 21, 22, (0xB0, 0x60, 0x30))
        c.rect(8, 5, 19, 20, WHITE)
        for y in (8, 11, 14, 17):
            c.rect(10, y, 17, y, GREY)
        c.rect(5, 3, 6, 22, (0x70, 0x38, 0x18))
    elif kind == "add":  # plus
        c.disc(13, 13, 10, GREEN)
        c.rect(12, 7, 14, 19, WHITE)
        c.rect(7, 12, 19, 14, WHITE)
    elif kind == "view":  # list with arrow
        for y in (5, 10, 15):
            c.rect(4, y, 16, y + 2, LIGHT)
        c.line(20, 5, 20, 19, YELLOW, 2)
        for k in range(4):
            c.rect(20 - k, 19 - 3 + k, 20 + k, 19 - 3 + k, YELLOW)
    return c


def band():
    c = Canvas(400, 84, NAVY)
    c.rect(0, 0, 399, 1, NAVY_LIGHT)
    c.rect(0, 42, 215, 42, NAVY_LIGHT)
    for x in (54, 108, 162):
        c.rect(x, 4, x, 79, NAVY_LIGHT)
    c.frame(216, 2, 397, 65, NAVY_LIGHT)
    return c


def menu_button():
    c = Canvas(40, 14, NAVY_LIGHT)
    c.frame(0, 0, 39, 13, LIGHT)
    c.text(5, 4, "MENU", WHITE)
    for k in range(4):  # a small triangle pointing down
        c.rect(29 + k, 5 + k, 35 - k, 5 + k, WHITE)
    return c


def header():
    c = Canvas(400, 20, HEADER)
    c.rect(0, 0, 399, 0, HEADER_LIGHT)
    c.rect(0, 19, 399, 19, NAVY)
    return c


def cid_background():
    c = Canvas(217, 84, NAVY)
    c.frame(0, 0, 216, 83, NAVY_LIGHT)
    c.frame(1, 1, 215, 82, LIGHT)
    c.frame(9, 11, 206, 71, NAVY_LIGHT)
    c.rect(10, 74, 206, 74, NAVY_LIGHT)
    return c


# ---------------------------------------------------------------- icons

VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def icon(fill, edge, n=32):
    """n x n, 4 bits per pixel: a coloured disc with a white V, drawn at its
    own size (the about box's 48 x 48 picture is drawn, not scaled)."""
    k = n / 32
    idx = [[None] * n for _ in range(n)]
    for y in range(n):
        for x in range(n):
            d = (x + 0.5 - n / 2) ** 2 + (y + 0.5 - n / 2) ** 2
            if d <= (15 * k) ** 2:
                idx[y][x] = edge if d >= (13.6 * k) ** 2 else fill
    c = Canvas(n, n)
    t = int(round(4 * k))
    c.line(9 * k, 8 * k, n / 2, 24 * k, 1, t)
    c.line(23 * k, 8 * k, n / 2, 24 * k, 1, t)
    for y in range(n):
        for x in range(n):
            if c.px[y][x] == 1 and idx[y][x] is not None:
                idx[y][x] = 15
    xor = bytearray()
    mask = bytearray()
    stride = (n // 8 + 3) // 4 * 4  # mask rows are padded to 32 bits
    for y in range(n - 1, -1, -1):
        for x in range(0, n, 2):
            a = idx[y][x] or 0
            b = idx[y][x + 1] or 0
            xor.append((a << 4) | b)
        row = bytearray(stride)
        for x in range(n):
            if idx[y][x] is None:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in VGA)
    info = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    image = info + palette + bytes(xor) + bytes(mask)
    head = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", n, n, 16, 0, 1, 4, len(image), 6 + 16)
    return head + entry + image


# ---------------------------------------------------------------- ring

def ring_wave():
    """RIFF WAVE, PCM mono 12,000 Hz 8-bit, 11,254 bytes in all."""
    rate = 12000
    total = 11254
    n = total - 44
    samples = bytearray()
    for i in range(n):
        t = i / rate
        burst = (t % 0.47) < 0.4  # two rings of 0.4 s
        if burst:
            f = 1000 if int(t * 40) % 2 == 0 else 800  # warble at 20 Hz
            local = t % 0.47
            env = min(1.0, local / 0.01, (0.4 - local) / 0.02)
            v = 0.55 * env * math.sin(2 * math.pi * f * t)
        else:
            v = 0.0
        samples.append(max(0, min(255, int(round(128 + 127 * v)))))
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate, 1, 8)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", n) + bytes(samples)
    data = b"RIFF" + struct.pack("<I", len(body)) + body
    assert len(data) == total
    return data


# ---------------------------------------------------------------- main

def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(out, exist_ok=True)

    def put(name, data):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)

    put("mainicon.ico", icon(4, 12))
    put("iconon.ico", icon(2, 10))
    put("iconoff.ico", icon(1, 9))
    put("abouticon.ico", icon(4, 12, 48))
    put("ring.wav", ring_wave())
    put("pozadie.bmp", bmp24(band()))
    for kind in ("config", "notify", "ring", "display", "history", "book", "add", "view"):
        put("bt_%s.bmp" % kind, bmp24(button(kind)))
    put("menu.bmp", bmp24(menu_button()))
    put("top.bmp", bmp24(header()))
    put("left.bmp", bmp24(Canvas(4, 194, NAVY)))
    put("right.bmp", bmp24(Canvas(4, 194, NAVY)))
    put("botom.bmp", bmp24(Canvas(400, 26, NAVY)))
    put("cid.bmp", bmp24(cid_background()))
    lamps = {
        "sw_notif": (20, "MAIL", GREEN),
        "sw_notiferr": (20, "MAIL", RED),
        "sw_zvonec": (20, "RING", GREEN),
        "sw_display": (20, "CID", GREEN),
        "sw_akcia": (20, "PRG", GREEN),
        "sw_akciaerr": (20, "PRG", RED),
        "sw_capion": (40, "CAPI ON", GREEN),
        "sw_capioff": (40, "CAPI OFF", RED),
        "sw_comon": (40, "COM ON", GREEN),
        "sw_comoff": (40, "COM OFF", RED),
        "sw_lan": (49, "LAN", GREEN),
    }
    for name, (w, label, colour) in lamps.items():
        put(name + ".bmp", bmp24(lamp(w, label, colour)))


if __name__ == "__main__":
    main()
