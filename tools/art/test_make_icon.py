"""Checks for the program icon and the tool that builds it."""

import struct
import unittest
import zlib

import make_icon as mi
from artlib import PALETTE


def png_pixels(data):
    """Decode the unfiltered RGBA PNGs make_icon writes."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    pos, chunks = 8, {}
    while pos < len(data):
        length, kind = struct.unpack_from(">I4s", data, pos)
        body = data[pos + 8:pos + 8 + length]
        crc, = struct.unpack_from(">I", data, pos + 8 + length)
        assert crc == zlib.crc32(kind + body) & 0xFFFFFFFF
        chunks[kind] = chunks.get(kind, b"") + body
        pos += 12 + length
    w, h, depth, colour_type = struct.unpack_from(">IIBB", chunks[b"IHDR"])
    raw = zlib.decompress(chunks[b"IDAT"])
    stride = 1 + 4 * w
    rows = []
    for y in range(h):
        line = raw[y * stride:(y + 1) * stride]
        assert line[0] == 0
        rows.append([tuple(line[1 + 4 * x:5 + 4 * x]) for x in range(w)])
    return (w, h, depth, colour_type), rows


class CheckedInIcon(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.grids = mi.load_grids(mi.DEFAULT_SRC_DIR)
        cls.built = mi.build(cls.grids)

    def test_outputs_match_sources(self):
        for name, data in self.built.items():
            checked_in = (mi.DEFAULT_OUT_DIR / name).read_bytes()
            with self.subTest(file=name):
                if name.endswith(".png"):
                    # Another zlib build may pack the same pixels differently,
                    # so compare what the PNG shows rather than its bytes.
                    self.assertEqual(png_pixels(checked_in), png_pixels(data))
                else:
                    self.assertEqual(checked_in, data)

    def test_deterministic(self):
        self.assertEqual(mi.build(mi.load_grids(mi.DEFAULT_SRC_DIR)), self.built)

    def test_ico_directory_and_entries(self):
        ico = self.built["pelmio.ico"]
        self.assertEqual(struct.unpack_from("<HHH", ico), (0, 1, 2))
        for i, size in enumerate((32, 16)):
            w, h, colours, _, planes, bpp, length, offset = struct.unpack_from(
                "<BBBBHHII", ico, 6 + 16 * i)
            with self.subTest(size=size):
                self.assertEqual((w, h, colours, planes, bpp), (size, size, 16, 1, 4))
                (bi_size, bw, bh, _, bbpp, compression, image_size) = struct.unpack_from(
                    "<IiiHHII", ico, offset)
                self.assertEqual((bi_size, bw, bh, bbpp, compression), (40, size, 2 * size, 4, 0))
                xor = size * ((size * 4 + 31) // 32) * 4
                mask = size * ((size + 31) // 32) * 4
                self.assertEqual(image_size, xor + mask)
                self.assertEqual(length, 40 + 64 + xor + mask)
                palette = [tuple(ico[offset + 40 + 4 * k + j] for j in (2, 1, 0))
                           for k in range(16)]
                self.assertEqual(palette, PALETTE)
        self.assertEqual(len(ico), offset + length)

    def test_pngs(self):
        for name, size, scale in (("pelmio-32.png", 32, 1), ("pelmio-16.png", 16, 1),
                                  ("pelmio-256.png", 256, 8)):
            with self.subTest(file=name):
                (w, h, depth, colour_type), rows = png_pixels(self.built[name])
                self.assertEqual((w, h, depth, colour_type), (size, size, 8, 6))
                grid = self.grids[size // scale]
                for y in range(size):
                    for x in range(size):
                        v = grid[y // scale][x // scale]
                        want = (0, 0, 0, 0) if v is None else PALETTE[v] + (255,)
                        self.assertEqual(rows[y][x], want, (x, y))

    def test_has_transparent_corners_and_opaque_art(self):
        for size, grid in self.grids.items():
            with self.subTest(size=size):
                self.assertIsNone(grid[0][0])
                opaque = sum(v is not None for row in grid for v in row)
                self.assertGreater(opaque, size * size // 2)


class Malformed(unittest.TestCase):
    SOURCE = "legend . transparent\nlegend K 0\n" + "K...\n" * 4

    def test_small_grid_is_accepted(self):
        rows = mi.parse_icon(self.SOURCE, 4)
        self.assertEqual(rows[0], [0, None, None, None])

    def test_rejects_wrong_width(self):
        text = self.SOURCE.replace("K...\n", "K..\n", 1)
        with self.assertRaisesRegex(mi.GridError, "line 3: .*wide"):
            mi.parse_icon(text, 4)

    def test_rejects_unknown_character(self):
        text = self.SOURCE.rsplit("K...\n", 1)[0] + "K.Q.\n"
        with self.assertRaisesRegex(mi.GridError, "line 6: column 2"):
            mi.parse_icon(text, 4)

    def test_rejects_missing_row(self):
        with self.assertRaisesRegex(mi.GridError, "3 rows, expected 4"):
            mi.parse_icon(self.SOURCE.rsplit("K...\n", 2)[0] + "K...\n", 4)

    def test_rejects_bad_colour(self):
        with self.assertRaisesRegex(mi.GridError, "line 2: colour '16'"):
            mi.parse_icon(self.SOURCE.replace("K 0", "K 16"), 4)


if __name__ == "__main__":
    unittest.main()
