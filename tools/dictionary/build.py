#!/usr/bin/env python3
"""Build Pelmio's English->Japanese dictionary files.

usage: build.py [--cache DIR] [--out DIR] [--inputs DIR]

Fetches the pinned inputs into the cache (see inputs.py), then writes
  settei_tango.txt    single words (hyphenated words included)
  settei_jyukugo.txt  phrases (headwords with a space)
in code page 932 with CR LF line ends.  Fields: headword, meaning (senses
joined by 、), base form (empty for a base word), pronunciation (one-byte
phonetic code, see phonetic.py).

Sources: FreeDict eng-jpn (dictd), EDICT (EUC-JP, inverted), WordNet 3.0
(irregular forms, parts of speech), CMUdict, eSpeak NG for words CMUdict
lacks, and overrides.tsv (our own meanings).  A subtitle word-frequency
list ranks candidates; nothing of it is written out.  The same inputs give
the same bytes.  Python 3 standard library only.

This file holds the stages that add or change lines, build() and main();
the modules beside it hold the rest, each importing only those before it:
  term_rules.py  pure rules on Japanese terms (cleaning, weights, spellings)
  sources.py     reading the inputs (FreeDict, EDICT, JMdict marks,
                 WordNet, CMUdict, word frequencies)
  forms.py       inflection rules and the FormLabeller
  meanings.py    the Meanings class: scoring and choosing terms
  pronounce.py   the Pronouncer, heteronyms, codes from a base
"""
import argparse
import collections
import json
import os
import re
import sys
import time
import unicodedata

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import constants  # noqa: E402
import core  # noqa: E402
import dictfile  # noqa: E402
import inputs  # noqa: E402
from term_rules import (  # noqa: E402
    KATA_ONLY, MAX_MEANING_BYTES, MAX_TERMS, ORDINALS, SYNONYM_TERMS, adverb_terms, capped_meaning,
    lacking_word_terms, ly_bases, noun_terms, ordinal_terms, relation_adjective, verbal_nouns)
from sources import (  # noqa: E402
    load_names, load_sources, log, source_sizes, wordnet_synonyms)
from forms import (  # noqa: E402
    FormLabeller, after_label, archaic_bases, inflection_label, own_right, verb_families)
from meanings import (  # noqa: E402
    Meanings, PERTAINYM, SLUR_HEADWORDS)
from pronounce import (  # noqa: E402
    Pronouncer, choose_heteronyms, codes_from_base, forms_read_as_base, pron_sources)

PARTICLE_WORDS = set("""up down off out on in back away over through around about
apart along across after at by for from into of to with without together forward
ahead behind under upon""".split())


def ascii_headword(h):
    h = h.replace("\u2019", "'").replace("\u2013", "-").replace("\u2010", "-")
    h = unicodedata.normalize("NFKD", h)
    h = "".join(c for c in h if not unicodedata.combining(c))
    h = re.sub(r"\s*,\s*", " ", h)       # "easy come, easy go": comma is the field separator
    h = re.sub(r"\s+", " ", h).strip()
    if not h or any(ord(c) > 126 or ord(c) < 32 for c in h) or "," in h:
        return None
    return h


def new_evidence():
    """Per headword (case-folded): its spellings, FreeDict entries and
    FreeDict parts of speech."""
    return collections.defaultdict(lambda: {"forms": collections.Counter(),
                                            "fd": [], "fdpos": set()})


def freedict_evidence(fd, stats):
    """Collect per headword (case-folded) evidence of FreeDict's entries."""
    evidence = new_evidence()
    skipped_pos = collections.Counter()
    nonascii_hw = 0
    for e in fd:
        if e["pos"] in ("suffix", "prefix", "symbol"):
            skipped_pos[e["pos"]] += 1
            continue
        hw = ascii_headword(e["hw"])
        if hw is not None and hw.startswith("Unsupported titles"):
            hw = None
        if hw is None:
            nonascii_hw += 1
            continue
        if not e["senses"]:
            continue
        # ALLCAPS acronyms (IT, US) stay separate from the ordinary word
        k = hw if (len(hw) > 1 and hw.isupper()) else hw.lower()
        evidence[k]["forms"][hw] += 1
        evidence[k]["fd"].append((e["pos"], e["senses"], hw[:1].isupper()))
        evidence[k]["fdpos"].add(e["pos"])
    stats["freedict_skipped_pos"] = dict(skipped_pos)
    stats["freedict_nonascii_headwords_dropped"] = nonascii_hw
    return evidence


def phrasal_verb(key, best, lemmas):
    """A phrasal verb EDICT glosses well: a verb and particles (run out
    of, put up with), or a verb, one word and a particle (take part
    in, get used to) with a strong common gloss."""
    words = key.split()
    if len(words) > 4 or "verb" not in lemmas.get(words[0], ()):
        return False
    if all(w in PARTICLE_WORDS for w in words[1:]) and best >= 0.5:
        return True
    return len(words) == 3 and words[2] in PARTICLE_WORDS and best >= 1.0 and \
        words[1] not in ("a", "an", "the", "one's", "oneself")


def admit_edict_headwords(evidence, src, args, stats):
    """EDICT keys admitted as headwords: real English lexical items only."""
    ed_admit = collections.Counter()
    n_phrasal = 0
    for key, cands in src.inv.items():
        if key in evidence:
            continue
        best = max(c[1]["raw"] for c in cands.values())
        if " " in key:
            phrasal = key not in src.lemmas and phrasal_verb(key, best, src.lemmas)
            n_phrasal += phrasal
            ok = key in src.lemmas or phrasal
            if not ok and args.edict_phrases == "loose":
                ok = best >= 2.0 and key.count(" ") <= 3
        else:
            ok = key in src.lemmas or key in src.cmu or key in src.rank
        need = 0.3 if src.rank.get(key, 10**9) <= args.freq_admit else 0.9
        if ok and best >= need:       # at least a reasonably strong gloss
            evidence[key]["forms"][key] += 1
            ed_admit["phrase" if " " in key else "word"] += 1
    stats["edict_only_headwords_admitted"] = dict(ed_admit)
    stats["edict_phrasal_verbs_admitted"] = n_phrasal


def new_record(pron, key, hw, meaning, kind, base=""):
    """A line for key: headword hw, its meaning and base, pronounced."""
    code, ps = pron.pron_for(key)
    return {"hw": hw, "meaning": meaning, "base": base, "pron": code,
            "kind": kind, "pron_src": ps}


def headword_spelling(forms):
    """The spelling a line shows: its first lower-case one, else the most
    common one."""
    lower_forms = [f for f in forms if f == f.lower()]
    return lower_forms[0] if lower_forms else forms.most_common(1)[0][0]


def common_word(k, hw, rank, names):
    """Whether a headword the sources spell only capitalised (Sat, Lent,
    Kings, Centre) is also a common lower-case word: the frequency list
    meets it, mostly in lower case."""
    return hw[:1].isupper() and not (len(hw) > 1 and hw.isupper()) and \
        k in rank and k not in names


def split_name(records, k, hw, meanings, pron):
    """A capitalised headword that is also a common word: the lower-case
    senses make the word's line (centre; pan: 手鍋), a name's senses the
    name's line, keyed by its spelling (Pan: 牧神); True if the word had
    senses of its own."""
    low, sources = meanings.meaning_for(k, "lower")
    if not low:
        return False
    # a name's terms in Japanese script only (Twitter: not Ｔｗｉｔｔｅｒ)
    name = [t for t in meanings.meaning_for(k, "name")[0].split("\u3001")
            if t and t not in low.split("\u3001") and re.search(r"[\u3040-\u9fff]", t)]
    records[k] = new_record(pron, k, k, low, "lemma")
    records[k]["both"] = sources == {"ed", "fd"}
    if name:
        records[hw] = new_record(pron, hw, hw, "\u3001".join(name), "lemma")
    return True


def lemma_records(evidence, meanings, pron, stats, src):
    """A line for each headword that has a meaning to show."""
    records = {}
    src_counter = collections.Counter()
    for k, ev in evidence.items():
        hw = headword_spelling(ev["forms"])
        if common_word(k, hw, src.rank, src.names) and split_name(records, k, hw, meanings, pron):
            src_counter["(lower-case word split from a name)"] += 1
            records[k]["fdpos"] = ev["fdpos"]
            continue
        meaning, sources = meanings.meaning_for(k)
        if not meaning:
            src_counter["(no encodable meaning: dropped)"] += 1
            continue
        records[k] = new_record(pron, k, hw, meaning, "lemma")
        src_counter["+".join(sorted(sources))] += 1
        records[k]["both"] = sources == {"ed", "fd"}
        records[k]["fdpos"] = ev["fdpos"]
    stats["meaning_sources"] = dict(src_counter)
    return records


def in_use(src, r):
    """What own_right weighs the form of line r by: frequency, WordNet,
    names, and the form's FreeDict entries."""
    return src.rank, src.lemmas, src.names, r.get("fdpos", set())


def label_irregular_lemma(r, k, b, p, label, src, args):
    """Give a line of its own the base b it is an irregular form of; 1 if
    it had no base yet, else 0."""
    if r["base"]:
        return 0
    r["base"] = b
    if not args.no_label_lemmas:
        r["meaning"] = after_label(label, r["meaning"], own_right(
            k, b, src.tagcnt, "s" if p == "noun" else "irregular", in_use(src, r)))
        # keep the byte cap
        parts = r["meaning"].split("\u3001")
        while len("\u3001".join(parts).encode("cp932")) > MAX_MEANING_BYTES + 30:
            parts.pop()
        r["meaning"] = "\u3001".join(parts)
    return 1


def irregular_of_unused(k, good, labeller, rank):
    """Whether k, a frequent irregular form only of words the frequency
    list never meets (imagines: imago, syringes: syrinx), is the regular
    form of a word it does meet (imagine, syringe); the regular stages
    label it."""
    if k not in rank or any(b.lower() in rank for b, _ in good):
        return False
    b, _, _ = labeller.reg_label(k)
    return bool(b) and b.lower() in rank


def add_irregular_forms(records, src, labeller, pron, args, stats):
    """Base forms from WordNet exception lists (irregular forms): a line
    for each form, or the base on the form's own line."""
    fam = verb_families(src.exc)
    infl_added = 0
    base_set_on_lemma = 0
    for form, bases in src.exc.items():
        if " " in form:
            continue
        k = form.lower()
        if k in records and records[k]["hw"][:1].isupper() and not common_word(
                k, records[k]["hw"], src.rank, src.names):
            continue        # Wales, Mars, Ares: names, not forms
        good = labeller.irregular_bases(k, bases)
        if not good or irregular_of_unused(k, good, labeller, src.rank):
            continue
        name_aside(records, k)
        b, p = good[0]
        same = [x for x, q in good if q == p]
        bases_txt = "・".join(dict.fromkeys(same))
        label = inflection_label(form, bases_txt, p, fam.get(b, ()))
        if k in records:
            base_set_on_lemma += label_irregular_lemma(records[k], k, b, p, label, src, args)
            continue
        records[k] = new_record(pron, k, form, label, "irregular", b)
        infl_added += 1
    stats["irregular_inflection_lines_added"] = infl_added
    stats["existing_lines_given_base_form"] = base_set_on_lemma


def label_regular_lemmas(records, src, labeller):
    """Existing single-word lines that are regular inflections of another
    line (EDICT admits 'taking', 'books', 'glasses' as glosses) get their
    base and label; how many."""
    reg_lab = 0
    for k, r in list(records.items()):
        if r["kind"] != "lemma" or r["base"] or not re.fullmatch(r"[a-z]+", k):
            continue
        if k in src.lemmas and k not in src.rank:
            continue
        if r["hw"][:1].isupper():
            continue        # Easter is not a form of east
        b, lab, kind = labeller.reg_label(k)
        if b and b != k:
            r["base"] = b
            r["meaning"] = after_label(lab, r["meaning"], own_right(k, b, src.tagcnt, kind,
                                                               in_use(src, r)))
            reg_lab += 1
    return reg_lab


def add_ordinals(records, rank, pron, args):
    """Ordinal numbers: 第三, 三番目 first (the sources give third as
    三度, a musical interval, and eleventh only as イレブンス); how many."""
    n_ordinal = 0
    for w in ORDINALS:
        if w not in records and rank.get(w, 10**9) > args.regular_inflections:
            continue
        old = records[w]["meaning"].split("\u3001") if w in records else []
        if w not in records:
            records[w] = new_record(pron, w, w, "", "ordinal")
        records[w]["meaning"] = capped_meaning(ordinal_terms(w) + [
            t for t in old if t not in ordinal_terms(w) and not KATA_ONLY.match(t)])
        n_ordinal += 1
    return n_ordinal


def apply_overrides(records, path, pron):
    """Hand-written overrides (function words the sources handle badly);
    how many lines."""
    n_over = 0
    if not (path and os.path.exists(path)):
        return n_over
    for line in open(path, encoding="utf-8"):
        if not line.strip() or line.startswith("#"):
            continue
        cols = line.rstrip("\n").split("\t")
        hw, meaning = cols[0], cols[1]
        base = cols[2] if len(cols) > 2 else None
        k = hw if (len(hw) > 1 and hw.isupper()) else hw.lower()
        if k in records:
            records[k]["meaning"] = meaning
            records[k]["hw"] = hw
        else:
            records[k] = new_record(pron, k, hw, meaning, "lemma")
        if base is not None:
            records[k]["base"] = base
        records[k]["kind"] = "lemma"
        n_over += 1
    return n_over


def apply_core_lines(records, src, labeller, pron, args, stats):
    """The reviewed core's terms first on its headwords' lines, a line for
    each core headword that has none; the core terms no source knows go to
    core_unknown_terms.tsv in the cache for a second look."""
    entries, problems = core.load_core(core.batch_files(args.core))
    for p in problems:
        log("core:", p)

    def make_record(k, hw, meaning):
        return new_record(pron, core.key_of(hw), hw, meaning, "lemma")

    def fits(terms):
        return len(terms) <= MAX_TERMS and \
            len("\u3001".join(terms).encode("cp932")) <= MAX_MEANING_BYTES

    fam = verb_families(src.exc)

    def form_of(k):
        # a new line's base and note by the form rules (sat: sit; hallucinating)
        good = labeller.irregular_bases(k, src.exc.get(k, ()))
        if good:
            b, p = good[0]
            same = "・".join(dict.fromkeys(x for x, q in good if q == p))
            return b, inflection_label(k, same, p, fam.get(b, ()))
        b, lab, _ = labeller.reg_label(k)
        return (b, lab) if b and b != k else None

    core.apply_core(records, entries, make_record, fits, form_of, SLUR_HEADWORDS, stats,
                    src.readings)
    stats["core_lines"] = len(entries)
    stats["core_problems"] = len(problems)
    known = core.known_japanese(src.ed, src.priority, src.fd)
    counts, unknown = core.term_statuses(entries, known)
    stats["core_term_status"] = dict(sorted(counts.items()))
    path = os.path.join(args.cache, "core_unknown_terms.tsv")
    with open(path, "w", encoding="utf-8") as f:
        f.writelines(f"{hw}\t{t}\n" for hw, t in unknown)
    log(f"core: {len(entries)} lines, {len(problems)} problems; {len(unknown)} terms no "
        f"source knows nor makes up, listed in {path}")


def inflecting(args, rank):
    """Whether lines are added for frequent words: their forms, and words
    neither source has."""
    return bool(args.regular_inflections and rank)


def ranked_within(rank, limit):
    """The words ranked at most limit, most frequent first."""
    for w, rk in sorted(rank.items(), key=lambda x: x[1]):
        if rk > limit:
            break
        yield w


FORM_ENDINGS = ("s", "ed", "ing", "er", "est")


def form_candidates(rank, cmu):
    """Words that may be regular forms of a headword: every word of the
    frequency list, most frequent first, then the forms CMUdict spells
    (the headwords' forms the subtitles never meet: communicates is a word
    of both)."""
    yield from ranked_within(rank, float("inf"))
    yield from sorted(w for w in cmu if w not in rank and w.endswith(FORM_ENDINGS))


def name_aside(records, k):
    """Key a name's line hiding the common word k by its own spelling
    (Sat, Kings), so that k can have a line as a form (sat: sit)."""
    r = records.get(k)
    if r is not None and r["hw"][:1].isupper():
        records[r["hw"]] = records.pop(k)


def add_regular_forms(records, rank, labeller, pron, args, reg_added, cmu=(), names=()):
    """Regular inflections of every headword; reg_added counts them by label."""
    if not inflecting(args, rank):
        return
    for w in form_candidates(rank, cmu):
        if not re.fullmatch(r"[a-z]+", w) or w in records and not common_word(
                w, records[w]["hw"], rank, names):
            continue
        b, lab, _ = labeller.reg_label(w)
        # a rare or unranked form of a name is a name (Walters, Englands)
        if not b or b[:1].isupper() and rank.get(w, 10**9) > args.regular_inflections:
            continue
        name_aside(records, w)
        records[w] = new_record(pron, w, w, lab, "regular", b)
        reg_added[lab.split("の", 1)[1]] += 1


def add_archaic_forms(records, src, names, pron, args):
    """The old third person of frequent verbs (doth, cometh, runneth);
    how many lines."""
    eth_added = 0
    if not inflecting(args, src.rank):
        return eth_added
    for w in ranked_within(src.rank, args.regular_inflections):
        if w in records or w in names:
            continue
        for b in archaic_bases(w):
            r = records.get(b)
            if r and r["kind"] == "lemma" and not r["base"] and src.tagcnt.get(b, {}).get("verb"):
                records[w] = new_record(pron, w, w, r["hw"] + "の三人称単数現在形（古語）",
                                        "archaic", b)
                eth_added += 1
                break
    return eth_added


def derived_adverb_terms(w, records, src):
    """The adverb terms of the first adjective line w is the -ly adverb of."""
    for b in ly_bases(w):
        r = records.get(b)
        if not r or r["kind"] != "lemma" or "adj" not in src.lemmas.get(b, ()):
            continue
        conv = adverb_terms(r["meaning"].split("\u3001"), src.jp_pos)
        if conv:
            return conv
    return None


def add_derived_adverbs(records, src, pron, args):
    """Derived -ly adverbs of frequent words: 安全な -> 安全に, 早い -> 早く;
    how many lines."""
    ly_added = 0
    if not inflecting(args, src.rank):
        return ly_added
    for w, rk in src.rank.items():
        if rk > args.regular_inflections or w in records or not w.endswith("ly"):
            continue
        conv = derived_adverb_terms(w, records, src)
        if conv:
            records[w] = new_record(pron, w, w, "\u3001".join(dict.fromkeys(conv[:6])),
                                    "derived-ly")
            ly_added += 1
    return ly_added


def lacking_words(records, src, names, args):
    """Frequent WordNet words that have no line yet, names and slurs aside."""
    if not inflecting(args, src.rank):
        return set()
    return {w for w, rk in src.rank.items() if rk <= args.regular_inflections
            and w not in records and w in src.lemmas and re.fullmatch(r"[a-z]+", w)
            and w not in names and w not in SLUR_HEADWORDS}


def add_synonym_lines(records, lacking, src, pron, args):
    """Frequent words neither source has: the senses of a synonym with
    one sense only (rhino: rhinoceros 犀); how many lines."""
    syn_added = 0
    if not inflecting(args, src.rank):
        return syn_added
    for w, syns in sorted(wordnet_synonyms(args.wordnet, lacking, src.tagcnt).items()):
        for sy in syns:
            r = records.get(sy)
            # both sources agree on the synonym's senses
            if r and r.get("both") and not r["base"] and sy not in SLUR_HEADWORDS:
                terms = r["meaning"].split("\u3001")[:SYNONYM_TERMS]
                records[w] = new_record(pron, w, w, "\u3001".join(terms), "synonym")
                syn_added += 1
                break
    return syn_added


def add_lacking_lines(records, lacking, kind, fits, terms_of, cp, pron):
    """Lines for frequent words neither source has, of the words that
    fit, from terms_of(word); how many were added."""
    added = 0
    for w in sorted(lacking):
        if w in records or not fits(w):
            continue
        terms = lacking_word_terms(terms_of(w))
        terms = [t for t in (cp.fix(t) for t in terms) if cp.term_ok(t)]
        if terms:
            records[w] = new_record(pron, w, w, "\u3001".join(terms), kind)
            added += 1
    return added


def add_lacking_word_lines(records, lacking, src, meanings, pron, stats):
    """Lines for frequent verbs and adjectives of relation neither source
    has, from the words they are made from."""
    lemmas, derived, pertains = src.lemmas, src.derived, src.pertains
    # frequent verbs neither source has, EDICT glossing only their
    # nouns: the verbal nouns of those (dine: 食事する; specify: 明記する)
    stats["verbal_noun_lines_added"] = add_lacking_lines(
        records, lacking, "verbal-noun", lambda w: "verb" in lemmas.get(w, ()),
        lambda w: verbal_nouns(dict.fromkeys(derived.get(w, set()) - {w}), src.inv, src.jp_pos),
        src.cp, pron)
    # frequent adjectives of relation neither source has: their noun's
    # first terms with の (naval: 海軍の; cardiac: 心臓の)
    stats["relational_adjective_lines_added"] = add_lacking_lines(
        records, lacking, "relation",
        lambda w: "adj" in lemmas.get(w, ()) and relation_adjective(w),
        lambda w: noun_terms(meanings.own_terms(pertains.get(w, set()) - {w}), src.inv, "の",
                             PERTAINYM),
        src.cp, pron)


def cap_priority(r, rank):
    """Sort key of the cap: frequency, lemmas before inflections, length."""
    k = r["hw"].lower()
    return (rank.get(k, 10**9), 0 if r["kind"] == "lemma" else 1, len(k))


def capped_records(records, rank, max_lines, stats):
    """Cap at max_lines: rank by frequency, lemmas before inflections."""
    recs = list(records.values())
    stats["candidates_before_cap"] = len(recs)
    if len(recs) > max_lines:
        recs.sort(key=lambda r: cap_priority(r, rank))
        recs = recs[:max_lines]
    stats["lines_written"] = len(recs)
    return recs


def write_file(path, rs, base_self):
    """Write the lines rs, sorted by headword; their numbers."""
    rs.sort(key=lambda r: (r["hw"].lower(), r["hw"]))
    with open(path, "wb") as f:
        for r in rs:
            base = r["base"] if not base_self or r["base"] else r["hw"]
            f.write(dictfile.encode_line([r["hw"], r["meaning"], base, r["pron"]]))
    return {"lines": len(rs), "bytes": os.path.getsize(path),
            "kinds": dict(collections.Counter(r["kind"] for r in rs))}


def write_files(recs, args):
    """Write the words' and the phrases' files; their numbers."""
    words = [r for r in recs if " " not in r["hw"]]
    phrases = [r for r in recs if " " in r["hw"]]
    os.makedirs(args.out, exist_ok=True)
    sizes = {}
    for name, rs in ((constants.WORD_FILE, words), (constants.PHRASE_FILE, phrases)):
        sizes[name] = write_file(os.path.join(args.out, name), rs, args.base_self)
    return sizes


def cp932_stats(cp):
    """What fitting the terms to CP932 fixed and dropped."""
    return {
        "cp932_fixed_chars": {(f"U+{ord(c):04X} {c}" if len(c) == 1 else c): n
                              for c, n in cp.fixed.most_common()},
        "cp932_unencodable_chars_total": sum(cp.bad_chars.values()),
        "cp932_unencodable_distinct": len(cp.bad_chars),
        "cp932_unencodable_top": {f"U+{ord(c):04X} {c}": n
                                  for c, n in cp.bad_chars.most_common(20)},
        "cp932_dropped_terms": len(cp.dropped_terms),
        "cp932_dropped_term_examples": list(cp.dropped_terms)[:15],
        "garbage_terms_dropped": cp.garbage}


def write_stats(stats, args, t0):
    """Write build_stats.json into the cache, with the build time."""
    stats["build_seconds"] = round(time.time() - t0, 2)
    with open(os.path.join(args.cache, "build_stats.json"), "w", encoding="utf-8") as f:
        json.dump(stats, f, ensure_ascii=False, indent=1)
    log(f"built {stats['files']} in {stats['build_seconds']} s; "
        f"details in {os.path.join(args.cache, 'build_stats.json')}")


def build(args):
    """Load the inputs, make the lines, and write the two files and the stats."""
    t0 = time.time()
    stats = collections.OrderedDict()
    os.makedirs(args.cache, exist_ok=True)      # its logs go there, whatever the inputs
    src = load_sources(args, t0)
    src.names = load_names(args.freq) if inflecting(args, src.rank) else set()
    stats["source_sizes"] = source_sizes(src)
    evidence = freedict_evidence(src.fd, stats)
    admit_edict_headwords(evidence, src, args, stats)
    meanings = Meanings(src, evidence, args)
    pron = Pronouncer(src.cmu)
    records = lemma_records(evidence, meanings, pron, stats, src)
    labeller = FormLabeller(records, src)
    add_irregular_forms(records, src, labeller, pron, args, stats)
    stats["existing_lines_labelled_regular_inflection"] = label_regular_lemmas(
        records, src, labeller)
    stats["ordinal_lines"] = add_ordinals(records, src.rank, pron, args)
    stats["override_lines"] = apply_overrides(records, args.overrides, pron)
    apply_core_lines(records, src, labeller, pron, args, stats)
    reg_added = collections.Counter()
    add_regular_forms(records, src.rank, labeller, pron, args, reg_added, src.cmu,
                      src.names)
    names = src.names
    stats["archaic_third_person_lines_added"] = add_archaic_forms(records, src, names, pron, args)
    stats["derived_ly_adverb_lines_added"] = add_derived_adverbs(records, src, pron, args)
    lacking = lacking_words(records, src, names, args)
    stats["synonym_lines_added"] = add_synonym_lines(records, lacking, src, pron, args)
    add_lacking_word_lines(records, lacking, src, meanings, pron, stats)
    # and the forms of the words just added (adjourn: adjourned)
    add_regular_forms(records, src.rank, labeller, pron, args, reg_added, src.cmu,
                      src.names)
    stats["regular_inflection_lines_added"] = dict(reg_added)
    recs = capped_records(records, src.rank, args.max_lines, stats)
    pron.run_espeak(recs, src.paths, stats)
    stats["heteronym_codes_changed"] = choose_heteronyms(recs, src, args)
    stats["forms_read_as_base"] = forms_read_as_base(recs, src)
    stats["codes_from_base"] = codes_from_base(recs)
    stats["pron_source"] = pron_sources(recs)
    stats["files"] = write_files(recs, args)
    stats.update(cp932_stats(src.cp))
    write_stats(stats, args, t0)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--cache", default=inputs.DEFAULT_CACHE,
                    help="where the inputs are fetched and unpacked (default %(default)s)")
    ap.add_argument("--out", default=os.path.join(here, "..", "..", "data"),
                    help="where the two dictionary files are written (default: data/)")
    ap.add_argument("--overrides", default=os.path.join(here, "overrides.tsv"))
    ap.add_argument("--core", default=core.CORE_DIR,
                    help="folder of the reviewed core's batch files (default %(default)s)")
    ap.add_argument("--inputs", default="", metavar="DIR",
                    help="take the inputs from DIR as they are, fetching nothing "
                         "(the small set in testdata/build/inputs)")
    ap.add_argument("--explain", default="", metavar="WORDS",
                    help="comma-separated headwords whose scored terms are logged")
    args = ap.parse_args()
    args.explain = set(filter(None, args.explain.split(",")))
    args.max_lines = constants.MAX_LINES
    args.regular_inflections = 30000
    args.freq_admit = 30000
    args.tail = 0.12
    args.edict_phrases = "strict"
    args.no_label_lemmas = False
    args.base_self = False
    args.cache = os.path.abspath(args.cache)
    args.out = os.path.normpath(os.path.abspath(args.out))
    args.core = os.path.abspath(args.core)
    build(args)


if __name__ == "__main__":
    # set iteration order must not depend on the interpreter's random hash seed
    if os.environ.get("PYTHONHASHSEED") != "0":
        os.environ["PYTHONHASHSEED"] = "0"
        os.execv(sys.executable, [sys.executable] + sys.argv)
    main()
