#!/usr/bin/env python3
"""Build res/glyph_strip.bmp (bitmap resource 129) from res/glyphs/strip.txt.

The strip holds the 50 phonetic symbols the entry view draws pronunciations
with: 7 x 15 pixel cells side by side, black on white, stress accents and the
length mark in red.  The text source is the thing to edit; the .bmp is
generated and checked in so the resource build needs no Python.

Usage: make_glyph_strip.py [--src FILE] [--out FILE]
"""

import argparse
import sys

from artlib import REPO_ROOT, bmp_4bpp, write_if_changed

CELL_W = 7
CELL_H = 15
CELL_COUNT = 50
ACCENT_ROWS = 3  # rows 0-2: stress accents only

BLACK, RED, WHITE = 0, 9, 15
INK = {".": WHITE, "#": BLACK, "r": RED}

LENGTH_MARK = 30
# Cells that carry a red stress accent above the letter.
ACCENTED = frozenset({35, 36, 37, 38, 39, 40, 41, 42, 43, 45, 49})

DEFAULT_SRC = REPO_ROOT / "res" / "glyphs" / "strip.txt"
DEFAULT_OUT = REPO_ROOT / "res" / "glyph_strip.bmp"


class GridError(ValueError):
    """A problem in the source text, reported with its line number."""

    def __init__(self, line_no, message):
        super().__init__(f"line {line_no}: {message}")
        self.line_no = line_no


def _read_rows(lines, pos, count, header_no):
    rows = []
    while len(rows) < count:
        if pos >= len(lines):
            raise GridError(header_no, f"cell needs {count} rows, file ends after {len(rows)}")
        line_no, text = lines[pos]
        if len(text) != CELL_W or any(c not in INK for c in text):
            raise GridError(
                line_no,
                f"expected a row of {CELL_W} characters from '.#r', got {text!r}"
                f" (row {len(rows) + (CELL_H - count)} of the cell on line {header_no})")
        rows.append((line_no, text))
        pos += 1
    return rows, pos


def parse_strip(text):
    """Parse the source text into 50 cells, each a list of 15 row strings.
    Raises GridError for anything malformed."""
    lines = []
    for no, raw in enumerate(text.splitlines(), 1):
        s = raw.rstrip()
        if s and not s.startswith(";"):
            lines.append((no, s))

    cells = {}
    rows_of = {}  # cell -> [(line_no, row)] for error messages
    pos = 0
    while pos < len(lines):
        header_no, header = lines[pos]
        words = header.split()
        if not words or words[0] != "cell" or len(words) < 3:
            raise GridError(header_no, f"expected 'cell N SYMBOL [on M]', got {header!r}")
        try:
            k = int(words[1])
        except ValueError:
            raise GridError(header_no, f"cell number {words[1]!r} is not a number") from None
        if k != len(cells):
            raise GridError(header_no, f"expected cell {len(cells)} next, got cell {k}")
        if k >= CELL_COUNT:
            raise GridError(header_no, f"only {CELL_COUNT} cells (0-{CELL_COUNT - 1}) fit the strip")
        pos += 1

        if len(words) >= 5 and words[-2] == "on":
            if k not in ACCENTED:
                raise GridError(header_no, f"'on' is for accented cells; cell {k} has no accent")
            try:
                base = int(words[-1])
            except ValueError:
                raise GridError(header_no, f"base cell {words[-1]!r} is not a number") from None
            if base not in cells:
                raise GridError(header_no, f"base cell {base} must come before cell {k}")
            accent, pos = _read_rows(lines, pos, ACCENT_ROWS, header_no)
            rows = accent + rows_of[base][ACCENT_ROWS:]
        else:
            rows, pos = _read_rows(lines, pos, CELL_H, header_no)
        _check_colours(k, rows, header_no)
        rows_of[k] = rows
        cells[k] = [r for _, r in rows]

    if len(cells) != CELL_COUNT:
        raise GridError(lines[-1][0] if lines else 0,
                        f"expected {CELL_COUNT} cells, found {len(cells)}")
    return [cells[k] for k in range(CELL_COUNT)]


def _check_colours(k, rows, header_no):
    """Red is reserved for stress accents and the length mark; rows 0-2 are
    reserved for accents.  Catching slips here keeps the strip consistent."""
    has_accent = False
    has_ink = False
    for y, (line_no, row) in enumerate(rows):
        for x, c in enumerate(row):
            if c == ".":
                continue
            has_ink = True
            if y < ACCENT_ROWS:
                if k not in ACCENTED:
                    raise GridError(line_no, f"cell {k}: rows 0-2 are for stress accents only")
                if c != "r":
                    raise GridError(line_no, f"cell {k}: the stress accent must be red ('r')")
                has_accent = True
            elif k == LENGTH_MARK:
                if c != "r":
                    raise GridError(line_no, f"cell {k}: the length mark must be red ('r')")
            elif c == "r":
                raise GridError(line_no, f"cell {k}: red is only for accents (rows 0-2) and the length mark")
    if not has_ink:
        raise GridError(header_no, f"cell {k} is empty")
    if k in ACCENTED and not has_accent:
        raise GridError(header_no, f"cell {k} needs a red accent in rows 0-2")


def strip_rows(cells):
    """The 15 pixel rows (palette indices) of the whole 350-pixel strip."""
    return [[INK[c] for cell in cells for c in cell[y]] for y in range(CELL_H)]


def build(text):
    return bmp_4bpp(strip_rows(parse_strip(text)))


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--src", default=str(DEFAULT_SRC))
    ap.add_argument("--out", default=str(DEFAULT_OUT))
    args = ap.parse_args(argv)
    try:
        with open(args.src, encoding="utf-8") as f:
            data = build(f.read())
    except GridError as e:
        print(f"{args.src}: {e}", file=sys.stderr)
        return 1
    changed = write_if_changed(args.out, data)
    print(f"{args.out}: {'written' if changed else 'unchanged'} ({len(data)} bytes)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
