#!/usr/bin/env python3
"""Build Pelmio's program icon (group icon 128) from the text grids in
res/icon/: res/pelmio.ico with the 32 and 16 pixel images, PNG copies of
both for the desktop and the About box, and a 256 pixel PNG (the 32 pixel
art enlarged 8x) for launchers that want a big icon.

Grid files: comment lines start with ';'.  "legend C INDEX [name]" maps the
character C to a palette index 0-15, or "legend C transparent".  Every other
non-blank line is one row of pixels, one character per pixel.

Usage: make_icon.py [--src-dir DIR] [--out-dir DIR]
"""

import argparse
import struct
import sys
from pathlib import Path

from artlib import (PALETTE, REPO_ROOT, bitmapinfoheader,
                    pack_1bpp, pack_4bpp, palette_rgbquads, png_rgba,
                    write_if_changed)

SIZES = (32, 16)
BIG_SCALE = 8  # 32 px art -> 256 px PNG
TRANSPARENT = None

DEFAULT_SRC_DIR = REPO_ROOT / "res" / "icon"
DEFAULT_OUT_DIR = REPO_ROOT / "res"


class GridError(ValueError):
    def __init__(self, line_no, message):
        super().__init__(f"line {line_no}: {message}")
        self.line_no = line_no


def parse_icon(text, size):
    """Parse one grid file into size rows of palette indices (None for a
    transparent pixel)."""
    legend = {}
    rows = []
    for no, raw in enumerate(text.splitlines(), 1):
        line = raw.rstrip()
        if not line or line.startswith(";"):
            continue
        words = line.split()
        if words[0] == "legend":
            if len(words) < 3 or len(words[1]) != 1:
                raise GridError(no, "expected 'legend C INDEX' or 'legend C transparent'")
            ch, value = words[1], words[2]
            if ch == ";":
                raise GridError(no, "';' starts a comment and cannot be a pixel")
            if ch in legend:
                raise GridError(no, f"{ch!r} is already in the legend")
            if value == "transparent":
                legend[ch] = TRANSPARENT
            elif value.isdigit() and int(value) < len(PALETTE):
                legend[ch] = int(value)
            else:
                raise GridError(no, f"colour {value!r} is not 0-15 or 'transparent'")
            continue
        if len(line) != size:
            raise GridError(no, f"row is {len(line)} pixels wide, expected {size}")
        for x, ch in enumerate(line):
            if ch not in legend:
                raise GridError(no, f"column {x}: {ch!r} is not in the legend")
        if len(rows) == size:
            raise GridError(no, f"more than {size} rows")
        rows.append([legend[ch] for ch in line])
    if len(rows) != size:
        raise GridError(len(text.splitlines()), f"{len(rows)} rows, expected {size}")
    return rows


def ico_image(rows):
    """One icon image: BITMAPINFOHEADER (double height: XOR + AND), palette,
    4-bit colour bits, then the 1-bit AND mask (1 = transparent)."""
    size = len(rows)
    xor = pack_4bpp([[0 if v is None else v for v in row] for row in rows])
    mask = pack_1bpp([[1 if v is None else 0 for v in row] for row in rows])
    header = bitmapinfoheader(size, size * 2, 4, len(xor) + len(mask), 16)
    return header + palette_rgbquads() + xor + mask


def build_ico(images):
    """images: list of pixel grids, largest first."""
    blobs = [ico_image(rows) for rows in images]
    out = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for rows, blob in zip(images, blobs):
        size = len(rows)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 16, 0, 1, 4,
                           len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


def rgba(rows, scale=1):
    out = []
    for row in rows:
        line = []
        for v in row:
            px = (0, 0, 0, 0) if v is None else PALETTE[v] + (255,)
            line.extend([px] * scale)
        out.extend([line] * scale)
    return out


def build(grids):
    """grids: {32: rows, 16: rows} -> {file name: bytes}."""
    return {
        "pelmio.ico": build_ico([grids[s] for s in SIZES]),
        "pelmio-32.png": png_rgba(rgba(grids[32])),
        "pelmio-16.png": png_rgba(rgba(grids[16])),
        "pelmio-256.png": png_rgba(rgba(grids[32], BIG_SCALE)),
    }


def load_grids(src_dir):
    grids = {}
    for size in SIZES:
        path = Path(src_dir) / f"icon{size}.txt"
        try:
            grids[size] = parse_icon(path.read_text(encoding="utf-8"), size)
        except GridError as e:
            e.path = path
            raise
    return grids


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--src-dir", default=str(DEFAULT_SRC_DIR))
    ap.add_argument("--out-dir", default=str(DEFAULT_OUT_DIR))
    args = ap.parse_args(argv)
    try:
        grids = load_grids(args.src_dir)
    except GridError as e:
        print(f"{e.path}: {e}", file=sys.stderr)
        return 1
    for name, data in build(grids).items():
        path = Path(args.out_dir) / name
        changed = write_if_changed(path, data)
        print(f"{path}: {'written' if changed else 'unchanged'} ({len(data)} bytes)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
