"""Shared helpers for Pelmio's pixel-art tools: the 16-colour palette and
byte-exact BMP / PNG writers.  Python standard library only, so the art can
be rebuilt on any machine without extra packages."""

import struct
import zlib
from pathlib import Path

# Repository root, so the tools work from any current directory.
REPO_ROOT = Path(__file__).resolve().parents[2]

# The standard 16-colour VGA/Windows palette, as (R, G, B), in index order.
PALETTE = [
    (0x00, 0x00, 0x00),  # 0 black
    (0x80, 0x00, 0x00),  # 1 maroon
    (0x00, 0x80, 0x00),  # 2 green
    (0x80, 0x80, 0x00),  # 3 olive
    (0x00, 0x00, 0x80),  # 4 navy
    (0x80, 0x00, 0x80),  # 5 purple
    (0x00, 0x80, 0x80),  # 6 teal
    (0xC0, 0xC0, 0xC0),  # 7 silver
    (0x80, 0x80, 0x80),  # 8 gray
    (0xFF, 0x00, 0x00),  # 9 red
    (0x00, 0xFF, 0x00),  # 10 lime
    (0xFF, 0xFF, 0x00),  # 11 yellow
    (0x00, 0x00, 0xFF),  # 12 blue
    (0xFF, 0x00, 0xFF),  # 13 fuchsia
    (0x00, 0xFF, 0xFF),  # 14 aqua
    (0xFF, 0xFF, 0xFF),  # 15 white
]

COLOUR_NAMES = [
    "black", "maroon", "green", "olive", "navy", "purple", "teal", "silver",
    "gray", "red", "lime", "yellow", "blue", "fuchsia", "aqua", "white",
]


def palette_rgbquads():
    """The palette as BMP RGBQUADs (blue, green, red, reserved)."""
    return b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)


def pack_4bpp(rows):
    """Pack rows of palette indices into 4-bit BMP scan lines, bottom row
    first, each padded to a multiple of 4 bytes as BMP requires."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for x in range(0, len(row), 2):
            hi = row[x]
            lo = row[x + 1] if x + 1 < len(row) else 0
            line.append((hi << 4) | lo)
        line.extend(b"\0" * (-len(line) % 4))
        out += line
    return bytes(out)


def pack_1bpp(rows):
    """Pack rows of 0/1 into 1-bit scan lines (bottom row first, MSB is the
    leftmost pixel, padded to 4 bytes): the AND mask of an icon."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for x in range(0, len(row), 8):
            byte = 0
            for bit, v in enumerate(row[x:x + 8]):
                if v:
                    byte |= 0x80 >> bit
            line.append(byte)
        line.extend(b"\0" * (-len(line) % 4))
        out += line
    return bytes(out)


def bitmapinfoheader(width, height, bit_count, image_size, colours_used):
    return struct.pack(
        "<IiiHHIIiiII",
        40,           # biSize
        width,
        height,
        1,            # biPlanes
        bit_count,
        0,            # biCompression: BI_RGB
        image_size,
        0, 0,         # no resolution: keeps the output free of DPI guesses
        colours_used,
        0,            # biClrImportant: all
    )


def bmp_4bpp(rows):
    """A complete 4-bit uncompressed .bmp file for rows of palette indices."""
    height = len(rows)
    width = len(rows[0])
    pixels = pack_4bpp(rows)
    info = bitmapinfoheader(width, height, 4, len(pixels), 16)
    palette = palette_rgbquads()
    offset = 14 + len(info) + len(palette)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return file_header + info + palette + pixels


def _png_chunk(kind, data):
    crc = zlib.crc32(kind + data) & 0xFFFFFFFF
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc)


def png_rgba(rows):
    """An 8-bit RGBA PNG from rows of (r, g, b, a) tuples.  No filtering and
    a fixed compression level, so the same pixels give the same bytes."""
    height = len(rows)
    width = len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter type: none
        for px in row:
            raw += bytes(px)
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n"
            + _png_chunk(b"IHDR", ihdr)
            + _png_chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + _png_chunk(b"IEND", b""))


def write_if_changed(path, data):
    """Write data to path; leave the file (and its timestamp) alone when it
    already holds exactly these bytes, so rebuilds do not touch it."""
    path = Path(path)
    if path.exists() and path.read_bytes() == data:
        return False
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)
    return True
