#!/usr/bin/env python3
"""Check the shipped dictionary files: format, encoding, limits, the
hand-checked list of first meanings, the reviewed core's files, and the
line counts the documents quote.  Standard library only, no network.

usage: check_data.py [DATA_DIR]      (default: data/ of this repository)
Exits non-zero when a check fails.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import constants  # noqa: E402
import core  # noqa: E402
import dictfile  # noqa: E402
import doc_counts  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
CHECKED = os.path.join(HERE, "checked_meanings.tsv")
MIN_LINES = 60_000
MIN_CHECKED = 300
MIN_PASS = 0.97


def main(argv):
    data = argv[1] if len(argv) > 1 else os.path.join(HERE, "..", "..", "data")
    problems = []
    rows = {}
    for name, kind in ((constants.WORD_FILE, "word"), (constants.PHRASE_FILE, "phrase")):
        path = os.path.join(data, name)
        if not os.path.exists(path):
            problems.append(f"{name}: missing")
            rows[kind] = []
            continue
        rows[kind], p = dictfile.check_file(path, kind)
        problems += p
    total = len(rows["word"]) + len(rows["phrase"])
    if total > constants.MAX_LINES:
        problems.append(f"{total} lines, more than the {constants.MAX_LINES} the program holds")
    if total < MIN_LINES:
        problems.append(f"{total} lines, fewer than {MIN_LINES}")

    by_hw = {}
    for r in rows["phrase"] + rows["word"]:
        by_hw.setdefault(r[0], r)
    checked = dictfile.load_checked(CHECKED)
    fails = dictfile.check_meanings(by_hw, checked)
    passed = len(checked) - len(fails)
    rate = passed / len(checked) if checked else 0.0
    if len(checked) < MIN_CHECKED:
        problems.append(f"hand-checked list has {len(checked)} words, fewer than {MIN_CHECKED}")
    if rate < MIN_PASS:
        problems.append(f"hand-checked first meanings: {rate:.1%} pass, below {MIN_PASS:.0%}")

    entries, core_problems = core.load_core(core.batch_files(core.CORE_DIR))
    for f in core.review_figures(entries, os.path.join(core.CORE_DIR, "review")):
        core_problems += f["problems"]
    problems += [f"core: {p}" for p in core_problems]
    # the documents quote the shipped files' counts, not another build's
    if os.path.realpath(data) == os.path.realpath(os.path.join(doc_counts.ROOT, "data")) and \
            not problems:
        problems += [f"{rel}: {p} (run tools/dictionary/doc_counts.py)"
                     for rel, p in doc_counts.stale(doc_counts.ROOT, len(rows["word"]),
                                                    len(rows["phrase"]))]

    print(f"word lines {len(rows['word'])}, phrase lines {len(rows['phrase'])}, total {total}")
    print(f"core lines {len(entries)}, {len(core_problems)} problems in the core files")
    print(f"hand-checked first meanings: {passed}/{len(checked)} pass ({rate:.1%})")
    for hw, got, ok in fails:
        print(f"  {hw}: first meaning {got!r}, acceptable {'|'.join(ok)}")
    for p in problems:
        print("FAIL:", p)
    print("dictionary data: OK" if not problems else "dictionary data: FAILED")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
