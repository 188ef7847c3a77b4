"""Reading and checking the shipped dictionary files (standard library only)."""
import os
import re

import phonetic
from constants import MAX_LINE_BYTES

SEP = "\u3001"             # senses are joined with the ideographic comma

# Characters Python's cp932 codec encodes although they have no cp932 code of
# their own: they come back as other characters, so they must never be written.
LOSSY = {"\u301c": "\uff5e", "\u2212": "\uff0d", "\u2016": "\u2225",
         "\u00a2": "\uffe0", "\u00a3": "\uffe1", "\u00ac": "\uffe2"}


def encode_line(fields):
    """Four fields -> bytes of one line with its CR LF.  Raises ValueError on
    anything the program would misread."""
    if len(fields) != 4:
        raise ValueError(f"need 4 fields: {fields!r}")
    for f in fields:
        if "," in f or "\r" in f or "\n" in f or "\0" in f:
            raise ValueError(f"separator or line end inside a field: {fields!r}")
    text = ",".join(fields)
    raw = text.encode("cp932")
    if raw.decode("cp932") != text:
        raise ValueError(f"does not survive cp932: {fields!r}")
    return raw + b"\r\n"


def split_lines(raw):
    """File bytes -> list of line bytes (without CR LF); ValueError if any
    line end is not CR LF or the last line has none."""
    if raw and not raw.endswith(b"\r\n"):
        raise ValueError("last line has no CR LF")
    lines = raw.split(b"\r\n")[:-1] if raw else []
    for i, line in enumerate(lines, 1):
        if b"\r" in line or b"\n" in line:
            raise ValueError(f"line {i}: lone CR or LF")
    return lines


def read_rows(path):
    """-> list of [headword, meaning, base, pronunciation] (str)."""
    with open(path, "rb") as f:
        lines = split_lines(f.read())
    return [line.decode("cp932").split(",") for line in lines]


def check_file(path, kind):
    """Return (rows, problems) for one file; kind is 'word' or 'phrase'."""
    problems = []

    def bad(msg):
        if len(problems) < 50:
            problems.append(f"{os.path.basename(path)}: {msg}")

    with open(path, "rb") as f:
        raw = f.read()
    try:
        lines = split_lines(raw)
    except ValueError as e:
        return [], [f"{os.path.basename(path)}: {e}"]
    try:
        text = raw.decode("cp932")
    except UnicodeDecodeError as e:
        return [], [f"{os.path.basename(path)}: not cp932: {e}"]
    if text.encode("cp932") != raw:
        bad("decoding and re-encoding cp932 changes the bytes")
    for ch, twin in LOSSY.items():
        if ch in text:
            bad(f"U+{ord(ch):04X} does not round-trip in every cp932 codec")
    if b"\0" in raw:
        bad("NUL byte")
    rows = []
    seen = set()
    for n, line in enumerate(lines, 1):
        if len(line) > MAX_LINE_BYTES:
            bad(f"line {n}: {len(line)} bytes, more than {MAX_LINE_BYTES}")
        fields = line.decode("cp932").split(",")
        if len(fields) != 4:
            bad(f"line {n}: {len(fields)} fields (a stray comma?): {fields[0]!r}")
            continue
        hw, meaning, base, pron = fields
        rows.append(fields)
        if not hw or hw != hw.strip() or "  " in hw:
            bad(f"line {n}: bad headword {hw!r}")
        if hw in seen:
            bad(f"line {n}: headword {hw!r} repeated")
        seen.add(hw)
        if not meaning:
            bad(f"line {n}: {hw!r} has no meaning")
        if not all(0x20 <= ord(c) < 0x7f for c in hw + base + pron):
            bad(f"line {n}: non-ASCII headword, base form or pronunciation: {hw!r}")
        if base == hw:
            bad(f"line {n}: base form equals the headword {hw!r}")
        if kind == "word" and " " in hw:
            bad(f"line {n}: phrase {hw!r} in the word file")
        if kind == "phrase" and " " not in hw:
            bad(f"line {n}: single word {hw!r} in the phrase file")
        if not phonetic.valid_code(pron) or pron != pron.strip() or "  " in pron:
            bad(f"line {n}: pronunciation {pron!r} of {hw!r} has bytes outside the code table")
        elif pron and " " in pron and pron.count(" ") != hw.count(" "):
            bad(f"line {n}: pronunciation {pron!r} does not have one code per word of {hw!r}")
    return rows, problems


def first_term(meaning):
    """The first sense of a meaning (for a form's line, its note such as
    'takeの過去形')."""
    return meaning.split(SEP)[0]


def normalise_term(t):
    """Loose form for comparing terms: no 〜, no notes in brackets, no spaces."""
    t = re.sub(r"[(（][^)）]*[)）]", "", t)
    t = t.replace("～", "").replace("〜", "").replace("~", "")
    return re.sub(r"\s+", "", t)


# an object's slot and its particle (～を探す: 探す)
SLOT_PARTICLE = re.compile(r"^[～〜~](?:を|に|が|と|で|へ|から|の)(?=.)")


def term_readings(t):
    """The loose forms a first term is compared in: as it is, and without
    a leading slot's particle."""
    return {normalise_term(t), normalise_term(SLOT_PARTICLE.sub("", t))}


def load_checked(path, normalise=True):
    """Hand-checked list: headword TAB acceptable first meanings (|-separated),
    normalised as terms unless normalise is false."""
    keep = normalise_term if normalise else (lambda x: x)
    out = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            hw, ok = line.split("\t")[:2]
            out.append((hw, [keep(x) for x in ok.split("|") if x]))
    return out


def check_meanings(rows_by_hw, checked):
    """-> list of (headword, first term or None, acceptable) that fail."""
    fails = []
    for hw, acceptable in checked:
        row = rows_by_hw.get(hw)
        if row is None:
            fails.append((hw, None, acceptable))
            continue
        if not term_readings(first_term(row[1])) & set(acceptable):
            fails.append((hw, first_term(row[1]), acceptable))
    return fails
