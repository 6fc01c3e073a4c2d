#!/usr/bin/env python3
"""Draws the program's artwork and writes it as Windows resource files.

  logo.bmp     bitmap 138: 89 x 56, 16 colours, the logo over the side picture
  side.bmp     bitmap 141: 116 x 256, the colours it uses, the side picture,
               run-length encoded (BI_RLE8)
  program.ico  icon 128: 32 x 32, 16 colours
  hand.cur     cursor 139: 32 x 32, two colours, a pointing hand, hot spot 0,0

Everything is drawn from code with integer arithmetic only, so every run
writes the same bytes.

  gen_artwork.py OUTPUT_FOLDER
"""

import os
import struct
import sys

# The 16 colours of the standard VGA palette. The logo uses only these, so it
# looks the same on a 16-colour display; silver and grey become the system's
# 3-D colours when the dialog loads it with LR_LOADMAP3DCOLORS.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, TEAL, SILVER, GREY, LIME, BLUE, AQUA, WHITE = 0, 4, 6, 7, 8, 10, 12, 14, 15


class Canvas:
    """A grid of palette indices, row 0 at the top."""

    def __init__(self, width, height, fill=0):
        self.width = width
        self.height = height
        self.rows = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        """Fills x0..x1, y0..y1 inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def rounded(self, x0, y0, x1, y1, fill, outline):
        """A rectangle with cut corners and a one-pixel outline."""
        self.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, fill)
        for x in range(x0 + 2, x1 - 1):
            self.put(x, y0, outline)
            self.put(x, y1, outline)
        for y in range(y0 + 2, y1 - 1):
            self.put(x0, y, outline)
            self.put(x1, y, outline)
        for cx, cy in ((x0 + 1, y0 + 1), (x1 - 1, y0 + 1), (x0 + 1, y1 - 1), (x1 - 1, y1 - 1)):
            self.put(cx, cy, outline)

    def sprite(self, x0, y0, art, colours):
        for dy, line in enumerate(art):
            for dx, ch in enumerate(line):
                if ch in colours:
                    self.put(x0 + dx, y0 + dy, colours[ch])


# A bold pixel font, 7 wide and 7 high, only the letters the logo needs.
FONT = {
    "N": ["XX...XX", "XXX..XX", "XXXX.XX", "XX.XXXX", "XX..XXX", "XX...XX", "XX...XX"],
    "I": [".XXXXX.", "..XXX..", "..XXX..", "..XXX..", "..XXX..", "..XXX..", ".XXXXX."],
    "M": ["XX...XX", "XXX.XXX", "XXXXXXX", "XX.X.XX", "XX...XX", "XX...XX", "XX...XX"],
    "B": ["XXXXXX.", "XX...XX", "XX...XX", "XXXXXX.", "XX...XX", "XX...XX", "XXXXXX."],
    "L": ["XX.....", "XX.....", "XX.....", "XX.....", "XX.....", "XX.....", "XXXXXXX"],
    "E": ["XXXXXXX", "XX.....", "XX.....", "XXXXXX.", "XX.....", "XX.....", "XXXXXXX"],
    "K": ["XX...XX", "XX..XX.", "XX.XX..", "XXXX...", "XX.XX..", "XX..XX.", "XX...XX"],
    "Y": ["XX...XX", "XX...XX", ".XX.XX.", "..XXX..", "..XXX..", "..XXX..", "..XXX.."],
}
# Rows of a glyph drawn twice, so that the letters stand 9 pixels high.
STRETCH = [0, 1, 1, 2, 3, 4, 5, 5, 6]
ADVANCE = 8


def draw_text(canvas, x, y, text, colour):
    for letter in text:
        for dy, row in enumerate(STRETCH):
            for dx, ch in enumerate(FONT[letter][row]):
                if ch == "X":
                    canvas.put(x + dx, y + dy, colour)
        x += ADVANCE


def text_width(text):
    return len(text) * ADVANCE - 1


def draw_logo():
    # The first pixel's colour (white) is the one the dialog makes transparent.
    c = Canvas(89, 56, WHITE)
    # A flash disk lying on its side: body, connector with its two contacts, LED.
    c.rounded(6, 8, 64, 33, BLUE, NAVY)
    c.rect(8, 10, 62, 12, AQUA)  # highlight along the top edge
    c.rect(8, 29, 62, 31, NAVY)  # shade along the bottom edge
    c.rect(14, 16, 44, 25, WHITE)  # label
    c.rect(16, 18, 42, 19, NAVY)
    c.rect(16, 22, 34, 23, GREY)
    c.rect(55, 19, 58, 22, LIME)  # activity light
    c.rect(65, 13, 82, 28, SILVER)
    c.rect(65, 13, 82, 13, GREY)
    c.rect(65, 28, 82, 28, GREY)
    c.rect(82, 13, 82, 28, GREY)
    c.rect(71, 17, 74, 19, BLACK)
    c.rect(71, 22, 74, 24, BLACK)
    word = "NIMBLEKEY"
    x = (c.width - text_width(word)) // 2
    draw_text(c, x + 1, 41, word, SILVER)  # drop shadow
    draw_text(c, x, 40, word, NAVY)
    c.rect(x, 51, x + text_width(word) - 1, 51, TEAL)
    return c, VGA


def side_palette():
    """192 shades from white to deep blue, then the colours of the drawn stick."""
    palette = []
    top, bottom = (255, 255, 255), (10, 36, 106)
    for i in range(192):
        palette.append(tuple(t + (b - t) * i // 191 for t, b in zip(top, bottom)))
    extra = [
        (0, 0, 0),  # 192 outline
        (232, 232, 236),  # 193 metal, light
        (176, 180, 188),  # 194 metal, dark
        (96, 100, 110),  # 195 contact windows
        (255, 140, 20),  # 196 body
        (255, 196, 96),  # 197 body highlight
        (190, 88, 0),  # 198 body shade
        (255, 255, 255),  # 199 label
        (40, 220, 80),  # 200 activity light
        (6, 24, 72),  # 201 shadow
    ]
    palette += extra
    palette += [(0, 0, 0)] * (256 - len(palette))
    return palette


def draw_side():
    width, height = 116, 256
    c = Canvas(width, height)
    # Vertical gradient, white behind the logo at the top, with a faint diagonal
    # ripple so that the large dark area is not flat.
    for y in range(height):
        for x in range(width):
            shade = y * 191 // (height - 1)
            if y > 80 and (x + y) % 24 < 2:
                shade = max(0, shade - 6)
            c.rows[y][x] = shade
    OUTLINE, LIGHT, DARK, WINDOW, BODY, GLOW, SHADE, LABEL, LED, SHADOW = range(192, 202)
    # A flash disk standing upright, connector up.
    x0, x1 = 38, 78
    c.rect(x0 + 4, 126, x1 + 4, 236, SHADOW)  # shadow cast to the lower right
    c.rect(46, 100, 70, 128, LIGHT)  # connector shell
    c.rect(46, 100, 47, 128, DARK)
    c.rect(69, 100, 70, 128, DARK)
    c.rect(46, 100, 70, 100, OUTLINE)
    c.rect(45, 100, 45, 128, OUTLINE)
    c.rect(71, 100, 71, 128, OUTLINE)
    c.rect(51, 106, 55, 111, WINDOW)
    c.rect(61, 106, 65, 111, WINDOW)
    c.rounded(x0, 128, x1, 232, BODY, OUTLINE)
    c.rect(x0 + 2, 130, x0 + 5, 230, GLOW)
    c.rect(x1 - 4, 130, x1 - 2, 230, SHADE)
    c.rect(x0 + 9, 146, x1 - 9, 196, LABEL)
    # Three bars on the label: a stylised name plate.
    for i, length in enumerate((16, 10, 13)):
        c.rect(x0 + 13, 152 + i * 8, x0 + 13 + length, 155 + i * 8, 120 + i * 20)
    c.rect(x0 + 13, 180, x1 - 13, 190, 150)
    c.rect(56, 208, 60, 212, LED)
    c.rect(55, 222, 61, 225, OUTLINE)  # lanyard hole
    return c, side_palette()


def icon_art():
    """The program icon: a flash disk, connector up. '.' is transparent."""
    art = [
        "................................",
        "...........XXXXXXXXXX...........",
        "...........XsssssssgX...........",
        "...........XsXXsXXsgX...........",
        "...........XsXXsXXsgX...........",
        "...........XsssssssgX...........",
        "...........XsssssssgX...........",
        "..........XXXXXXXXXXXX..........",
        ".........XaaaaaaaaaaaaX.........",
        ".........XabbbbbbbbbbnX.........",
        ".........XabbbbbbbbbbnX.........",
        ".........XabwwwwwwwwbnX.........",
        ".........XabwnnnnnnwbnX.........",
        ".........XabwwwwwwwwbnX.........",
        ".........XabwnnnnwwwbnX.........",
        ".........XabwwwwwwwwbnX.........",
        ".........XabbbbbbbbbbnX.........",
        ".........XabbbbbbbbbbnX.........",
        ".........XabbbbbbbbbbnX.........",
        ".........XabbbbLLbbbbnX.........",
        ".........XabbbbLLbbbbnX.........",
        ".........XabbbbbbbbbbnX.........",
        ".........XabbbbbbbbbbnX.........",
        ".........XabbbbbbbbbbnX.........",
        ".........XabbbbbbbbbbnX.........",
        ".........XabbbbbbbbbbnX.........",
        ".........XnbbbbbbbbbbnX.........",
        "..........XnnnnnnnnnnX..........",
        "...........XXXXXXXXXX...........",
        "................................",
        "................................",
        "................................",
    ]
    colours = {"X": BLACK, "s": SILVER, "g": GREY, "a": AQUA, "b": BLUE,
               "n": NAVY, "w": WHITE, "L": LIME}
    return art, colours


# The pointing hand, index finger up; its tip is the top left corner, which is
# the hot spot. 'X' black, 'o' white, '.' transparent.
HAND = [
    "XXXX",
    "XooX",
    "XooX",
    "XooX",
    "XooX",
    "XooX",
    "XooXXXX",
    "XooXooXXXX",
    "XooXooXooXXX",
    "XooXooXooXooX",
    "XooXooXooXooX",
    "XooXooXooXooXX",
    "XoooooooooooooX",
    "XoooooooooooooX",
    "XoooooooooooooX",
    "XooooooooooooX",
    ".XoooooooooooX",
    ".XoooooooooooX",
    "..XoooooooooX",
    "..XoooooooooX",
    "..XXXXXXXXXXX",
]
HOT_SPOT = (0, 0)


def pack_rows(rows, bits):
    """Bottom-up rows of palette indices, each padded to four bytes."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray()
        acc = 0
        used = 0
        for value in row:
            acc = (acc << bits) | value
            used += bits
            if used == 8:
                line.append(acc)
                acc = 0
                used = 0
        if used:
            line.append(acc << (8 - used))
        while len(line) % 4:
            line.append(0)
        out += line
    return bytes(out)


BI_RGB, BI_RLE8 = 0, 1


def info_header(width, height, bits, image_size, colours_used, compression=BI_RGB):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, image_size, 0,
                       0, colours_used, 0)


def palette_bytes(palette):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)


def used_colours(canvas, palette):
    """The rows and the palette cut down to the colours the rows use, each
    once, in the order of their first index."""
    index_of, kept = {}, []
    for old in sorted({value for row in canvas.rows for value in row}):
        colour = palette[old]
        if colour not in index_of:
            index_of[colour] = len(kept)
            kept.append(colour)
    return [[index_of[palette[value]] for value in row] for row in canvas.rows], kept


def rle8_line(row):
    """One line in the fewest bytes, then the fewest runs: encoded runs
    (count, index) and absolute runs (0, count of 3 to 255, the indices, a pad
    byte to an even length)."""
    n = len(row)
    best = [(0, 0)] * (n + 1)  # (bytes, runs) for row[i:]
    step = [None] * (n + 1)
    for i in range(n - 1, -1, -1):
        best[i] = None
        same = 0
        for count in range(1, min(255, n - i) + 1):
            if row[i + count - 1] == row[i]:
                same += 1
            rest_bytes, rest_runs = best[i + count]
            candidates = []
            if same == count:
                candidates.append(((2 + rest_bytes, 1 + rest_runs), "run"))
            if count >= 3:
                candidates.append(((2 + count + count % 2 + rest_bytes, 1 + rest_runs),
                                   "absolute"))
            for cost, kind in candidates:
                if best[i] is None or cost < best[i]:
                    best[i], step[i] = cost, (kind, count)
    out = bytearray()
    i = 0
    while i < n:
        kind, count = step[i]
        if kind == "run":
            out += bytes((count, row[i]))
        else:
            out += bytes((0, count)) + bytes(row[i:i + count]) + b"\0" * (count % 2)
        i += count
    return bytes(out)


def rle8_bytes(rows):
    """Bottom-up lines, each ended by 00 00, and the bitmap ended by 00 01."""
    return b"".join(rle8_line(row) + b"\0\0" for row in reversed(rows)) + b"\0\1"


def bmp_bytes(canvas, palette, bits, rle8=False):
    if rle8:
        rows, palette = used_colours(canvas, palette)
        pixels, compression = rle8_bytes(rows), BI_RLE8
    else:
        pixels, compression = pack_rows(canvas.rows, bits), BI_RGB
    colours = palette_bytes(palette)
    # Both sizes always set: some readers refuse an RLE bitmap whose
    # biSizeImage is 0, and a display driver of the time crashed on
    # compressed bitmaps whose biClrUsed was 0.
    header = info_header(canvas.width, canvas.height, bits, len(pixels), len(palette),
                         compression)
    offset = 14 + len(header) + len(colours)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return file_header + header + colours + pixels


def icon_image(width, height, indices, mask, palette, bits):
    """The image of an icon or cursor: header, palette, colour bits, AND mask."""
    colour_bits = pack_rows(indices, bits)
    mask_bits = pack_rows(mask, 1)
    header = info_header(width, height * 2, bits, len(colour_bits) + len(mask_bits), 0)
    return header + palette_bytes(palette) + colour_bits + mask_bits


def icon_file(kind, image, width, height, colour_count, field_a, field_b):
    """One image in an icon (kind 1: planes, bits) or cursor (kind 2: hot spot x, y) file."""
    directory = struct.pack("<HHH", 0, kind, 1)
    entry = struct.pack("<BBBBHHII", width, height, colour_count, 0, field_a, field_b, len(image),
                        6 + 16)
    return directory + entry + image


def grid(art, size, lookup):
    return [[lookup(art[y][x] if y < len(art) and x < len(art[y]) else ".")
             for x in range(size)] for y in range(size)]


def icon_bytes():
    art, colours = icon_art()
    indices = grid(art, 32, lambda ch: colours.get(ch, BLACK))
    mask = grid(art, 32, lambda ch: 0 if ch in colours else 1)
    return icon_file(1, icon_image(32, 32, indices, mask, VGA, 4), 32, 32, 16, 1, 4)


def cursor_bytes():
    # Colour 0 black, 1 white; the AND mask makes '.' transparent.
    indices = grid(HAND, 32, lambda ch: 1 if ch == "o" else 0)
    mask = grid(HAND, 32, lambda ch: 1 if ch == "." else 0)
    image = icon_image(32, 32, indices, mask, [(0, 0, 0), (255, 255, 255)], 1)
    return icon_file(2, image, 32, 32, 2, *HOT_SPOT)


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    logo, logo_palette = draw_logo()
    side, side_colours = draw_side()
    outputs = {
        # Uncompressed: LR_LOADTRANSPARENT reads the logo's first pixel.
        "logo.bmp": bmp_bytes(logo, logo_palette, 4),
        "side.bmp": bmp_bytes(side, side_colours, 8, rle8=True),
        "program.ico": icon_bytes(),
        "hand.cur": cursor_bytes(),
    }
    for name, data in outputs.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
