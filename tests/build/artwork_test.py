#!/usr/bin/env python3
"""The artwork as resources/gen_artwork.py writes it: the side picture
run-length encoded, read back by a strict reader of the documented BI_RLE8
form and compared pixel for pixel with the picture as drawn; the logo
uncompressed.

  artwork_test.py      exit 0 when every case holds
"""
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "resources"))
import gen_artwork  # noqa: E402

BI_RGB, BI_RLE8 = 0, 1


class Bitmap:
    """A .bmp file's header fields, colours and top-down rows of colours."""

    def __init__(self, data):
        magic, file_size, _, _, offset = struct.unpack_from("<2sIHHI", data)
        (size, self.width, self.height, _, self.bits, self.compression, self.image_size, _, _,
         self.colours_used, _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
        assert magic == b"BM" and size == 40 and file_size == len(data), "file header"
        table = data[54:offset]
        assert len(table) == 4 * self.colours_used, "colour table of biClrUsed entries"
        self.palette = [(r, g, b) for b, g, r, _ in struct.iter_unpack("<BBBB", table)]
        self.pixels = data[offset:]
        assert len(self.pixels) == self.image_size, "biSizeImage is the size of the bits"
        self.runs = {"encoded": 0, "absolute": 0}
        lines = self.rle8_lines() if self.compression == BI_RLE8 else self.packed_lines()
        self.rows = [[self.palette[i] for i in line] for line in reversed(lines)]

    def packed_lines(self):
        stride = (self.width * self.bits + 31) // 32 * 4
        per_byte = 8 // self.bits
        mask = (1 << self.bits) - 1
        return [[(self.pixels[y * stride + x // per_byte] >> (8 - self.bits * (x % per_byte + 1)))
                 & mask for x in range(self.width)] for y in range(self.height)]

    def rle8_lines(self):
        """Bottom-up lines; refuses anything the encoder must not write."""
        data, at, lines, line = self.pixels, 0, [], []
        while True:
            assert at + 2 <= len(data), "the bitmap ends without 00 01"
            first, second = data[at], data[at + 1]
            at += 2
            if first:
                line += [second] * first
                self.runs["encoded"] += 1
            elif second == 0:
                lines.append(line)
                line = []
            elif second == 1:
                assert not line, "the last line ends without 00 00"
                assert at == len(data), "bytes after 00 01"
                return lines
            elif second == 2:
                raise AssertionError("a delta: every pixel is written")
            else:
                line += data[at:at + second]
                assert second % 2 == 0 or data[at + second] == 0, "an absolute run's pad"
                at += second + second % 2
                self.runs["absolute"] += 1
            assert len(line) <= self.width, "a line longer than the bitmap"
            assert len(lines) <= self.height, "more lines than the bitmap"


def colours(canvas, palette):
    return [[palette[i] for i in row] for row in canvas.rows]


class ArtworkTest(unittest.TestCase):
    def assertSamePixels(self, got, drawn):
        # The first line that differs, not a diff of the whole picture.
        self.assertEqual(len(got), len(drawn), "lines")
        for y, (line, want) in enumerate(zip(got, drawn)):
            self.assertEqual(line, want, f"line {y} from the top")

    @classmethod
    def setUpClass(cls):
        with tempfile.TemporaryDirectory() as folder:
            subprocess.run([sys.executable, str(ROOT / "resources" / "gen_artwork.py"), folder],
                           check=True)
            cls.files = {name: (Path(folder) / name).read_bytes()
                         for name in ("side.bmp", "logo.bmp")}

    def test_side_picture_is_rle8_of_the_drawn_picture(self):
        side = Bitmap(self.files["side.bmp"])
        canvas, palette = gen_artwork.draw_side()
        drawn = colours(canvas, palette)
        self.assertEqual((side.compression, side.bits, side.width, side.height),
                         (BI_RLE8, 8, canvas.width, canvas.height))  # bottom-up
        self.assertEqual(side.colours_used, len({c for row in drawn for c in row}))
        self.assertTrue(all(side.runs.values()), side.runs)
        self.assertSamePixels(side.rows, drawn)

    def test_logo_is_uncompressed(self):
        logo = Bitmap(self.files["logo.bmp"])
        canvas, palette = gen_artwork.draw_logo()
        self.assertEqual((logo.compression, logo.bits), (BI_RGB, 4))
        self.assertSamePixels(logo.rows, colours(canvas, palette))

    def test_lines_at_the_limits_of_each_run_kind(self):
        ramp = list(range(200)) * 2
        rows = [
            ("one pixel", [7]),
            ("two pixels, too few for an absolute run", [1, 2]),
            ("three different pixels, an odd absolute run", [1, 2, 3]),
            ("four different pixels", [1, 2, 3, 4]),
            ("five different pixels", [1, 2, 3, 4, 5]),
            ("255 alike, the longest encoded run", [9] * 255),
            ("256 alike", [9] * 256),
            ("257 different: an absolute run cannot leave 2 behind", ramp[:257]),
            ("runs and different pixels mixed", [5] * 4 + ramp[:5] + [6, 6] + ramp[7:12]),
        ]
        for name, row in rows:
            with self.subTest(name):
                canvas = gen_artwork.Canvas(len(row), 2)
                canvas.rows = [row, row[::-1]]
                palette = [(i, 255 - i, i // 2) for i in range(256)]
                bitmap = Bitmap(gen_artwork.bmp_bytes(canvas, palette, 8, rle8=True))
                self.assertSamePixels(bitmap.rows, colours(canvas, palette))


if __name__ == "__main__":
    unittest.main()
