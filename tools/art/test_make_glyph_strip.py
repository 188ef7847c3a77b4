"""Checks for the phonetic glyph strip and the tool that builds it."""

import struct
import unittest

import make_glyph_strip as mgs
from artlib import PALETTE

WHITE, RED = 15, 9


def read_bmp_4bpp(data):
    """Decode a 4-bit uncompressed BMP into (header fields, rows of indices,
    palette); rows are returned top row first."""
    magic, size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    (bi_size, width, height, planes, bpp, compression, image_size,
     _, _, clr_used, _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    palette = [tuple(data[54 + 4 * i + j] for j in (2, 1, 0)) for i in range(16)]
    stride = ((width * 4 + 31) // 32) * 4
    rows = []
    for y in range(height):
        line = data[offset + y * stride: offset + (y + 1) * stride]
        row = []
        for x in range(width):
            b = line[x // 2]
            row.append(b >> 4 if x % 2 == 0 else b & 0x0F)
        rows.append(row)
    rows.reverse()
    header = dict(magic=magic, size=size, offset=offset, bi_size=bi_size,
                  width=width, height=height, planes=planes, bpp=bpp,
                  compression=compression, image_size=image_size,
                  clr_used=clr_used)
    return header, rows, palette


def cell_pixels(rows, k):
    return [row[k * mgs.CELL_W:(k + 1) * mgs.CELL_W] for row in rows]


class CheckedInStrip(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.source = mgs.DEFAULT_SRC.read_text(encoding="utf-8")
        cls.data = mgs.DEFAULT_OUT.read_bytes()
        cls.header, cls.rows, cls.palette = read_bmp_4bpp(cls.data)

    def test_header(self):
        h = self.header
        self.assertEqual(h["magic"], b"BM")
        self.assertEqual(h["size"], len(self.data))
        self.assertEqual(h["bi_size"], 40)
        self.assertEqual((h["width"], h["height"]), (350, 15))
        self.assertEqual(h["planes"], 1)
        self.assertEqual(h["bpp"], 4)
        self.assertEqual(h["compression"], 0)
        self.assertEqual(h["offset"], 14 + 40 + 16 * 4)
        self.assertEqual(h["image_size"], 176 * 15)
        self.assertEqual(len(self.data), h["offset"] + h["image_size"])

    def test_palette_is_standard_vga(self):
        self.assertEqual(self.palette, PALETTE)
        self.assertEqual(self.palette[0], (0, 0, 0))
        self.assertEqual(self.palette[9], (0xFF, 0, 0))
        self.assertEqual(self.palette[15], (0xFF, 0xFF, 0xFF))

    def test_matches_source(self):
        # The checked-in bitmap must be what the tool makes from the text.
        self.assertEqual(mgs.build(self.source), self.data)

    def test_deterministic(self):
        self.assertEqual(mgs.build(self.source), mgs.build(self.source))

    def test_only_black_white_red(self):
        used = {v for row in self.rows for v in row}
        self.assertLessEqual(used, {0, RED, WHITE})

    def test_red_only_in_accents_and_length_mark(self):
        for k in range(mgs.CELL_COUNT):
            cell = cell_pixels(self.rows, k)
            red = [(x, y) for y, row in enumerate(cell) for x, v in enumerate(row) if v == RED]
            with self.subTest(cell=k):
                if k == mgs.LENGTH_MARK:
                    self.assertTrue(red)
                    self.assertFalse(any(v == 0 for row in cell for v in row),
                                     "length mark must be all red")
                elif k in mgs.ACCENTED:
                    self.assertTrue(red, "accented cell without a red accent")
                    self.assertTrue(all(y <= 2 for _, y in red))
                    self.assertFalse(any(v == 0 for row in cell[:3] for v in row),
                                     "black ink in the accent rows")
                else:
                    self.assertEqual(red, [])

    def test_every_cell_has_ink(self):
        for k in range(mgs.CELL_COUNT):
            cell = cell_pixels(self.rows, k)
            with self.subTest(cell=k):
                self.assertTrue(any(v != WHITE for row in cell for v in row))
                # A letter body, not only an accent.
                self.assertTrue(any(v != WHITE for row in cell[3:] for v in row))

    def test_accented_cells_share_the_letter(self):
        pairs = {35: 0, 36: 1, 37: 2, 38: 3, 40: 5, 41: 6, 42: 7, 43: 34, 45: 44, 49: 48}
        for acc, base in pairs.items():
            with self.subTest(cell=acc):
                self.assertEqual(cell_pixels(self.rows, acc)[3:], cell_pixels(self.rows, base)[3:])

    def test_script_a_differs_from_two_storey_a(self):
        self.assertNotEqual(cell_pixels(self.rows, 0), cell_pixels(self.rows, 44))


def make_source(cells=None):
    """A minimal valid source: each cell a single black pixel, accented
    cells with a red accent pixel too."""
    out = []
    for k in range(mgs.CELL_COUNT):
        grid = ["......."] * 15
        if cells and k in cells:
            grid = cells[k]
        else:
            if k in mgs.ACCENTED:
                grid[0] = "...r..."
            grid[8] = "...r..." if k == mgs.LENGTH_MARK else "...#..."
        out.append(f"cell {k} x")
        out.extend(grid)
    return "\n".join(out) + "\n"


class Malformed(unittest.TestCase):
    def assertRejected(self, text, line_no, fragment=""):
        with self.assertRaises(mgs.GridError) as cm:
            mgs.parse_strip(text)
        self.assertEqual(cm.exception.line_no, line_no, str(cm.exception))
        self.assertIn(f"line {line_no}", str(cm.exception))
        self.assertIn(fragment, str(cm.exception))

    def test_minimal_source_is_accepted(self):
        cells = mgs.parse_strip(make_source())
        self.assertEqual(len(cells), 50)

    def test_short_row(self):
        lines = make_source().split("\n")
        lines[5] = "......"  # cell 0, row 4
        self.assertRejected("\n".join(lines), 6, "7 characters")

    def test_bad_character(self):
        lines = make_source().split("\n")
        lines[17 + 9] = "...X..."  # cell 1, row 8
        self.assertRejected("\n".join(lines), 27, "'.#r'")

    def test_missing_row_runs_into_next_header(self):
        lines = make_source().split("\n")
        del lines[3]  # cell 0 is now one row short
        self.assertRejected("\n".join(lines), 16, "cell 1 x")

    def test_cell_out_of_order(self):
        text = make_source().replace("cell 3 x", "cell 4 x", 1)
        self.assertRejected(text, 4 * 16 - 15, "expected cell 3")

    def test_missing_cells(self):
        text = "\n".join(make_source().split("\n")[:16 * 49]) + "\n"
        with self.assertRaises(mgs.GridError) as cm:
            mgs.parse_strip(text)
        self.assertIn("expected 50 cells", str(cm.exception))

    def test_red_in_letter_body(self):
        lines = make_source().split("\n")
        lines[16 * 8 + 1 + 8] = "...r..."  # cell 8 (p), row 8
        self.assertRejected("\n".join(lines), 16 * 8 + 10, "red")

    def test_black_accent(self):
        lines = make_source().split("\n")
        lines[16 * 35 + 1] = "...#..."  # cell 35, row 0
        self.assertRejected("\n".join(lines), 16 * 35 + 2, "accent")

    def test_accented_cell_without_accent(self):
        lines = make_source().split("\n")
        lines[16 * 41 + 1] = "......."
        self.assertRejected("\n".join(lines), 16 * 41 + 1, "needs a red accent")

    def test_empty_cell(self):
        lines = make_source().split("\n")
        lines[16 * 12 + 9] = "......."
        self.assertRejected("\n".join(lines), 16 * 12 + 1, "empty")

    def test_accent_on_body_of_earlier_cell(self):
        lines = make_source().split("\n")
        start = 16 * 45
        lines[start:start + 16] = ["cell 45 á on 44", "....r..", "...r...", "..r...."]
        cells = mgs.parse_strip("\n".join(lines))
        self.assertEqual(cells[45][3:], cells[44][3:])
        self.assertEqual(cells[45][0], "....r..")

    def test_accent_on_later_cell(self):
        lines = make_source().split("\n")
        start = 16 * 45
        lines[start:start + 16] = ["cell 45 á on 48", "....r..", "...r...", "..r...."]
        self.assertRejected("\n".join(lines), start + 1, "must come before")


if __name__ == "__main__":
    unittest.main()
