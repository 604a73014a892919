#!/usr/bin/env python3
"""Makes the pictures of the control: its icon for the about box (32 x 32,
32 bits), the telephone on its form's panel (24 x 24, 32 bits) and the link
label's pointing hand (a 32 x 32 monochrome cursor).

    make_ui_res.py OUTDIR

Drawn here from code, so nothing binary is kept in the tree; standard
library only.
"""
import os
import struct
import sys

# The hand: '#' black, 'o' white, anything else transparent. The hot spot
# is the tip of the finger.
HAND = [
    "     ##          ",
    "    #oo#         ",
    "    #oo#         ",
    "    #oo#         ",
    "    #oo#         ",
    "    #oo###       ",
    "    #oo#oo###    ",
    "    #oo#oo#oo##  ",
    " ## #oo#oo#oo#o# ",
    "#oo##oooooooo#oo#",
    "#ooo#ooooooooooo#",
    " #oooooooooooooo#",
    "  #ooooooooooooo#",
    "  #oooooooooooo# ",
    "   #ooooooooooo# ",
    "    #ooooooooo#  ",
    "     #oooooooo#  ",
    "     ##########  ",
]
HOTSPOT = (5, 0)


def cursor():
    w = h = 32
    xor = bytearray(w * h // 8)
    andm = bytearray(b"\xff" * (w * h // 8))
    for y, row in enumerate(HAND):
        for x, ch in enumerate(row):
            if ch not in "#o":
                continue
            # Rows are stored bottom-up.
            i = (h - 1 - y) * (w // 8) + x // 8
            bit = 0x80 >> (x % 8)
            andm[i] &= ~bit & 0xFF
            if ch == "o":
                xor[i] |= bit
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 1, 0, len(xor) + len(andm), 0, 0, 2, 0)
    palette = b"\x00\x00\x00\x00\xff\xff\xff\x00"
    image = header + palette + bytes(xor) + bytes(andm)
    entry = struct.pack("<BBBBHHII", w, h, 2, 0, HOTSPOT[0], HOTSPOT[1], len(image), 6 + 16)
    return struct.pack("<HHH", 0, 2, 1) + entry + image


def icon():
    """A green raised panel with a white handset, as the control shows itself."""
    w = h = 32
    px = [[(0, 0, 0, 0) for _ in range(w)] for _ in range(h)]
    green, light, dark, white = (0, 128, 0, 255), (96, 192, 96, 255), (0, 64, 0, 255), (255, 255, 255, 255)
    for y in range(2, 30):
        for x in range(2, 30):
            px[y][x] = green
    for i in range(2, 30):
        px[2][i] = px[i][2] = light
        px[29][i] = px[i][29] = dark
    # Handset: two ear pieces joined by a bow.
    for y in range(8, 12):
        for x in range(7, 13):
            px[y][x] = white
        for x in range(19, 25):
            px[y][x] = white
    for x in range(9, 23):
        for y in range(6, 9):
            px[y][x] = white
    # Body of the telephone.
    for y in range(15, 25):
        for x in range(8 + (24 - y) // 3, 24 - (24 - y) // 3):
            px[y][x] = white
    for y in range(17, 21):
        for x in range(14, 18):
            px[y][x] = green
    return encode_icon(px)


def encode_icon(px):
    """An icon file with one 32-bit image of the rows of RGBA pixels."""
    h, w = len(px), len(px[0])
    data = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = px[y][x]
            data += bytes((b, g, r, a))
    # The mask's rows are padded to 32 bits.
    stride = (w + 31) // 32 * 4
    andm = bytearray()
    for y in range(h - 1, -1, -1):
        row = 0
        for x in range(w):
            if px[y][x][3] == 0:
                row |= 1 << (stride * 8 - 1 - x)
        andm += row.to_bytes(stride, "big")
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(data) + len(andm), 0, 0, 0, 0)
    image = header + bytes(data) + bytes(andm)
    entry = struct.pack("<BBBBHHII", w, h, 0, 0, 1, 32, len(image), 6 + 16)
    return struct.pack("<HHH", 0, 1, 1) + entry + image


# The telephone on the form's panel: '#' dark green outline, 'o' white,
# anything else transparent, so the panel's green shows through.
PHONE = [
    "                        ",
    "                        ",
    "    ################    ",
    "   #oooooooooooooooo#   ",
    "  #oooooooooooooooooo#  ",
    "  #ooooo########ooooo#  ",
    "  #oooo#        #oooo#  ",
    "  ######        ######  ",
    "                        ",
    "       ##########       ",
    "      #oooooooooo#      ",
    "     #oooo####oooo#     ",
    "    #oooo#    #oooo#    ",
    "    #oooo#    #oooo#    ",
    "   #ooooo#    #ooooo#   ",
    "   #oooooo####oooooo#   ",
    "  #oooooooooooooooooo#  ",
    "  #oooooooooooooooooo#  ",
    "  #oooooooooooooooooo#  ",
    "  ####################  ",
    "                        ",
    "                        ",
    "                        ",
    "                        ",
]


def panel_icon():
    colours = {"#": (0, 64, 0, 255), "o": (255, 255, 255, 255)}
    return encode_icon([[colours.get(ch, (0, 0, 0, 0)) for ch in row] for row in PHONE])


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, data in (("linkor.ico", icon()), ("phone.ico", panel_icon()), ("hand.cur", cursor())):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
