"""Checks for the desktop theme's icons."""

import tempfile
import unittest
from pathlib import Path

import make_hicolor_icons as mh
import make_icon as mi
from test_make_icon import png_pixels


class HicolorIconsTest(unittest.TestCase):
    def test_every_theme_size_is_the_art_enlarged_by_whole_steps(self):
        grids = mi.load_grids(mi.DEFAULT_SRC_DIR)
        with tempfile.TemporaryDirectory() as out:
            self.assertEqual(mh.main(["--out-dir", out, "--name", "org.example.App"]), 0)
            written = sorted(str(p.relative_to(out)) for p in Path(out).rglob("*.png"))
            self.assertEqual(written, sorted(f"{s}x{s}/apps/org.example.App.png"
                                             for s in (16, 32, 48, 64, 128, 256)))
            for size, (grid, scale) in mh.SIZES.items():
                data = (Path(out) / f"{size}x{size}/apps/org.example.App.png").read_bytes()
                (w, h, _, _), rows = png_pixels(data)
                self.assertEqual((w, h), (size, size))
                # Each pixel of the art is a scale x scale block of one colour.
                small = png_pixels(mi.png_rgba(mi.rgba(grids[grid])))[1]
                for y in range(size):
                    for x in range(size):
                        self.assertEqual(rows[y][x], small[y // scale][x // scale])

    def test_a_broken_grid_is_reported_and_nothing_is_written(self):
        with tempfile.TemporaryDirectory() as src, tempfile.TemporaryDirectory() as out:
            (Path(src) / "icon16.txt").write_text("legend . transparent\n...\n")
            (Path(src) / "icon32.txt").write_text("")
            self.assertEqual(mh.main(["--src-dir", src, "--out-dir", out, "--name", "x"]), 1)
            self.assertEqual(list(Path(out).iterdir()), [])


if __name__ == "__main__":
    unittest.main()
