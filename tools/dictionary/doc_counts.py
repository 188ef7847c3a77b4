#!/usr/bin/env python3
"""Write the dictionary's line counts into the documents that quote them,
from the data files, so that the two cannot drift apart.

usage: doc_counts.py [--check] [DATA_DIR]     (default: data/ of this repository)
Without --check the documents are rewritten; with it nothing is written
and the exit status is non-zero when a document quotes other counts.
"""
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, HERE)
import constants  # noqa: E402
import dictfile  # noqa: E402

# the exact figure in the data's own README, a rounded one elsewhere
EXACT = re.compile(r"\| lines \| [\d,]+: [\d,]+ words, [\d,]+ phrases \|")
ABOUT = re.compile(r"about [\d,]+ words and [\d,]+ phrases")
DOCUMENTS = {
    "data/README.md": EXACT,
    "packaging/pelmio.1": ABOUT,
    "packaging/pelmio.metainfo.xml.in": ABOUT,
    "packaging/CMakeLists.txt": ABOUT,      # the package description
}


def counts(data):
    """-> (word lines, phrase lines) of the files in data."""
    return tuple(len(dictfile.split_lines(open(os.path.join(data, name), "rb").read()))
                 for name in (constants.WORD_FILE, constants.PHRASE_FILE))


def quote(pattern, words, phrases):
    """The words a document uses for the counts."""
    if pattern is EXACT:
        return f"| lines | {words + phrases:,}: {words:,} words, {phrases:,} phrases |"
    return f"about {round(words, -3):,} words and {round(phrases, -3):,} phrases"


def rewritten(text, pattern, words, phrases):
    """-> (text with the counts quoted anew, how many quotes it has)."""
    return pattern.subn(quote(pattern, words, phrases), text)


def stale(root, words, phrases):
    """-> [(document, problem)] for the documents that quote other counts."""
    out = []
    for rel, pattern in DOCUMENTS.items():
        with open(os.path.join(root, rel), encoding="utf-8") as f:
            text = f.read()
        new, n = rewritten(text, pattern, words, phrases)
        if n == 0:
            out.append((rel, "quotes no line counts"))
        elif new != text:
            found = ", ".join(sorted(set(pattern.findall(text))))
            out.append((rel, f"says {found!r}, the data {quote(pattern, words, phrases)!r}"))
    return out


def rewrite(root, words, phrases):
    """Rewrite the documents whose counts differ; -> their names."""
    done = []
    for rel, pattern in DOCUMENTS.items():
        path = os.path.join(root, rel)
        with open(path, encoding="utf-8") as f:
            text = f.read()
        new, _ = rewritten(text, pattern, words, phrases)
        if new != text:
            with open(path, "w", encoding="utf-8") as f:
                f.write(new)
            done.append(rel)
    return done


def main(argv):
    check = "--check" in argv[1:]
    rest = [a for a in argv[1:] if a != "--check"]
    data = rest[0] if rest else os.path.join(ROOT, "data")
    words, phrases = counts(data)
    if check:
        problems = stale(ROOT, words, phrases)
        for rel, p in problems:
            print(f"{rel}: {p}")
        return 1 if problems else 0
    for rel in rewrite(ROOT, words, phrases):
        print(f"rewrote {rel}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
