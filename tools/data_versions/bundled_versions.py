#!/usr/bin/env python3
"""Writes desktop/bundled_versions.inc: the size and 64-bit FNV-1a hash of
every version of the bundled dictionary files in this repository's history.

Earlier versions of Pelmio copied the installed dictionary into the user's
data folder. A copy that still matches one of these versions was made by
Pelmio and never edited, so a newer Pelmio may drop it in favour of the
installed file. Run from the repository's root after the dictionary changes:
    python3 tools/data_versions/bundled_versions.py > desktop/bundled_versions.inc
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "dictionary"))
import constants  # noqa: E402


def fnv1a64(data: bytes) -> int:
    value = 0xCBF29CE484222325
    for byte in data:
        value ^= byte
        value = (value * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return value


def versions(name):
    commits = subprocess.run(
        ["git", "log", "--format=%H", "--", "data/" + name],
        check=True, capture_output=True, text=True).stdout.split()
    seen = set()
    for commit in commits:
        shown = subprocess.run(["git", "show", commit + ":data/" + name], capture_output=True)
        if shown.returncode != 0:
            continue  # the commit removed it
        key = (len(shown.stdout), fnv1a64(shown.stdout))
        if key not in seen:
            seen.add(key)
            yield key


def main():
    out = sys.stdout
    out.write("// Written by tools/data_versions/bundled_versions.py; do not edit.\n")
    out.write("// {file name, size in bytes, 64-bit FNV-1a hash} of every bundled version.\n")
    for name in constants.FILES:
        for size, value in sorted(versions(name)):
            out.write('{"%s", %d, 0x%016XULL},\n' % (name, size, value))


if __name__ == "__main__":
    main()
