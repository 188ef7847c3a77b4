#!/usr/bin/env python3
"""Build the desktop theme's icons from the text grids in res/icon/: one PNG
for each size of the hicolor theme, enlarged from the pixel art by whole
steps only (16 from the 16 pixel grid, 48 = 16 x 3, the others from the 32
pixel grid), so every edge stays sharp.  The build runs this into its own
tree; nothing is written into the source tree.

Usage: make_hicolor_icons.py --out-dir DIR --name NAME [--src-dir DIR]
Writes DIR/<size>x<size>/apps/NAME.png for each size.
"""

import argparse
import sys
from pathlib import Path

import make_icon
from artlib import png_rgba, write_if_changed

# size: (grid, scale)
SIZES = {16: (16, 1), 32: (32, 1), 48: (16, 3), 64: (32, 2), 128: (32, 4), 256: (32, 8)}


def build(grids, name):
    """grids: {32: rows, 16: rows} -> {relative path: PNG bytes}."""
    return {
        f"{size}x{size}/apps/{name}.png": png_rgba(make_icon.rgba(grids[grid], scale))
        for size, (grid, scale) in SIZES.items()
    }


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--src-dir", default=str(make_icon.DEFAULT_SRC_DIR))
    ap.add_argument("--out-dir", required=True)
    ap.add_argument("--name", required=True)
    args = ap.parse_args(argv)
    try:
        grids = make_icon.load_grids(args.src_dir)
    except make_icon.GridError as e:
        print(f"{e.path}: {e}", file=sys.stderr)
        return 1
    for path, data in build(grids, args.name).items():
        write_if_changed(Path(args.out_dir) / path, data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
