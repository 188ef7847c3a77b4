#!/usr/bin/env python3
"""Build Pelmio's English->Japanese dictionary files.

usage: build.py [--cache DIR] [--out DIR]

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
import dictfile  # noqa: E402
import inputs  # noqa: E402
import phonetic  # noqa: E402
from term_rules import (  # noqa: E402
    KATA_ONLY, MAX_MEANING_BYTES, ORDINALS, SYNONYM_TERMS, VERB_POS, adverb_terms, capped_meaning,
    lacking_word_terms, ly_bases, noun_terms, ordinal_terms, relation_adjective, verbal_nouns)
from sources import (  # noqa: E402
    load_names, load_sources, log, source_sizes, wordnet_lexfiles, wordnet_synonyms)
from forms import (  # noqa: E402
    FormLabeller, after_label, archaic_bases, inflection_label, own_right, regular_bases,
    verb_families)
from meanings import (  # noqa: E402
    Meanings, PERTAINYM, SLUR_HEADWORDS)

MAX_LINES = 100_000

PARTICLE_WORDS = set("""up down off out on in back away over through around about
apart along across after at by for from into of to with without together forward
ahead behind under upon""".split())

# ------------------------------------------------------------- heteronyms
# Words whose CMUdict variants differ in sound, not only in stress: the
# variant for a sense, chosen by the part of speech of the first meaning
# ("verb", "adj", "adv", "noun") or by a word in it; "*" is the rest.
# Reviewed by hand.
HETERONYM_SENSES = {
    # the headword is the present tense, but not where the meaning is
    # "already read" (leave someone on read: 既読スルー)
    "read": [("R EH1 D", "既読 読了"), ("R IY1 D", "*")],
    "live": [("L IH1 V", "verb"), ("L AY1 V", "*")],
    "lives": [("L IH1 V Z", "verb liveの"), ("L AY1 V Z", "*")],
    "lead": [("L EH1 D", "鉛"), ("L IY1 D", "*")],
    "use": [("Y UW1 Z", "verb"), ("Y UW1 S", "*")],
    "close": [("K L OW1 Z", "verb"), ("K L OW1 S", "*")],
    "excuse": [("IH0 K S K Y UW1 Z", "verb"), ("IH0 K S K Y UW1 S", "*")],
    "abuse": [("AH0 B Y UW1 Z", "verb"), ("AH0 B Y UW1 S", "*")],
    "wind": [("W AY1 N D", "verb"), ("W IH1 N D", "*")],
    "bass": [("B AE1 S", "魚 スズキ 鱸"), ("B EY1 S", "*")],
    # a noun inside a phrase is the drop (crocodile tear, Job's tears),
    # unless its meaning is a rip or wear (wear and tear: 磨損)
    "tear": [("T IH1 R", "涙"), ("T EH1 R", "verb 裂 破 磨 摩 損"), ("T IH1 R", "noun"),
             ("T EH1 R", "*")],
    "tears": [("T IH1 R Z", "涙"), ("T EH1 R Z", "verb 裂 破 磨 摩 損"), ("T IH1 R Z", "noun"),
              ("T EH1 R Z", "*")],
    "wound": [("W AW1 N D", "windの"), ("W UW1 N D", "*")],
    "bow": [("B OW1", "弓 蝶結び ちょう結び リボン ネクタイ ボウ"), ("B AW1", "*")],
    "minute": [("M AY0 N UW1 T", "adj"), ("M IH1 N AH0 T", "*")],
    "dove": [("D OW1 V", "diveの"), ("D AH1 V", "*")],
    "does": [("D AH1 Z", "*")],
    "content": [("K AH0 N T EH1 N T", "adj verb 満足 存分 心ゆく"), ("K AA1 N T EH0 N T", "*")],
    "upset": [("AH1 P S EH2 T", "番狂わせ"), ("AH0 P S EH1 T", "*")],
    "invalid": [("IH2 N V AE1 L AH0 D", "adj 無効"), ("IH1 N V AH0 L AH0 D", "*")],
}
# A compound WordNet files among animals or foods has the fish in it
# (black bass, largemouth bass), one among artifacts the bow that shoots or
# ties (mouth bow), one among states the shape of that bow (bow legs);
# numbers are WordNet's lexicographer files.
LEXFILE_SENSES = {
    "bass": [("B AE1 S", "05 13")],        # noun.animal, noun.food
    "bow": [("B OW1", "06 26")],           # noun.artifact, noun.state (bow legs)
}
NOTE_POS = [(re.compile(r"の(過去形|過去分詞|現在分詞|三人称)"), "verb"),
            (re.compile(r"の複数形"), "noun"), (re.compile(r"の(比較級|最上級)"), "adj")]
VERB_END = re.compile(r"[\u3400-\u9fff][\u3040-\u309f]*[うくぐすつぬぶむる]$")
# a word after these is a verb (to live, you live, can use, long live) ...
VERB_BEFORE = set("""to i you we they he she who do does did can could will would
shall should may might must not don't let's please long""".split())
# ... and so is a word before an object (excuse me, use it)
OBJECT_AFTER = set("me you him her us them it yourself myself one's someone something".split())
PARTICLES = set("up down off out on in back away over through around apart".split())
VERB_PARTICLES = PARTICLES | set("with without for into upon".split())


def ja_pos(term, jp_pos):
    """Part of speech of a Japanese term: verb, adj, adv or noun."""
    for rx, p in NOTE_POS:
        if rx.search(term):
            return p
    term = re.sub(r"^（[^）]*）", "", term)
    if re.search(r"(する|できる|させる|される)$", term):
        return "verb"
    tags = jp_pos.get(term, set())
    # a verbal noun (進歩 vs, 実写 vs) is a noun until it takes する
    if any(VERB_POS.match(t) and t != "vs" for t in tags):
        return "verb"
    if tags & {"adj-i", "adj-na", "adj-no", "adj-pn", "adj-t", "adj-f"} or \
            re.search(r"[^の]の$|な$", term) or "adj-na" in jp_pos.get(term[:-1], ()):
        return "adj"
    if tags & {"adv", "adv-to"} or re.search(r"[\u3400-\u9fff](に|く)$", term):
        return "adv"
    if not tags and VERB_END.search(term):
        return "verb"
    return "noun"


def stress_index(ph):
    vowels = [p for p in ph if p[-1].isdigit()]
    for i, p in enumerate(vowels):
        if p.endswith("1"):
            return i
    return 0


def choose_variant(word, variants, pos, meaning_first, verb_and_other):
    """The CMUdict variant of word that fits pos and the first meaning;
    None to keep the first variant."""
    table = HETERONYM_SENSES.get(word)
    if table:
        have = {" ".join(v): v for v in variants}
        for arpa, sel in table:
            keys = sel.split()
            if "*" in keys or pos in keys or any(
                    k in meaning_first for k in keys if k not in ("verb", "adj", "adv", "noun")):
                return have.get(arpa)
        return None
    if not verb_and_other or len(variants) < 2:
        return None
    # noun / verb pairs: REcord, reCORD; SEParate (adj), SEPARATE (verb)
    def key(v):
        ey = any(p == "EY2" for p in v[-3:])
        if pos == "verb":
            return (-stress_index(v), not ey, v[-1] != "Z")
        return (stress_index(v), ey, v[-1] == "Z")
    keys = [key(v) for v in variants]
    if len(set(keys)) == 1:
        return None
    return min(variants, key=key)


def phrase_word_pos(words, i, phrase_pos):
    """Role of words[i] inside a phrase: verb or noun."""
    if i > 0 and words[i - 1] in VERB_BEFORE:
        return "verb"
    if i + 1 < len(words) and words[i + 1] in OBJECT_AFTER:
        return "verb"
    if i == 0 and phrase_pos == "verb":
        return "verb"
    # ... and so is a phrase's first word before a particle or a
    # preposition (live with one's wife's family, tear down); not at or to,
    # which follow adjectives too (close at hand, close to)
    if i == 0 and len(words) > 1 and words[1] in VERB_PARTICLES:
        return "verb"
    return "noun"


def ascii_headword(h):
    h = h.replace("\u2019", "'").replace("\u2013", "-").replace("\u2010", "-")
    h = unicodedata.normalize("NFKD", h)
    h = "".join(c for c in h if not unicodedata.combining(c))
    h = re.sub(r"\s*,\s*", " ", h)       # "easy come, easy go": comma is the field separator
    h = re.sub(r"\s+", " ", h).strip()
    if not h or any(ord(c) > 126 or ord(c) < 32 for c in h) or "," in h:
        return None
    return h


PUNCTUATION = ".,!?;:…\""


def spoken_words(phrase):
    """The words of a phrase as they are looked up: "king!" is king.  The
    file wants one code per word, so a phrase with "..." (the slot of an
    object: what does ... mean) has an empty word and gets no code."""
    return [w.strip(PUNCTUATION).lower() for w in phrase.split()]


def new_evidence():
    """Per headword (case-folded): its spellings, FreeDict entries and
    FreeDict parts of speech."""
    return collections.defaultdict(lambda: {"forms": collections.Counter(),
                                            "fd": [], "fdpos": set()})


def freedict_evidence(fd, stats):
    """Collect per headword (case-folded) evidence of FreeDict's entries."""
    E = new_evidence()
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
        E[k]["forms"][hw] += 1
        E[k]["fd"].append((e["pos"], e["senses"], hw[:1].isupper()))
        E[k]["fdpos"].add(e["pos"])
    stats["freedict_skipped_pos"] = dict(skipped_pos)
    stats["freedict_nonascii_headwords_dropped"] = nonascii_hw
    return E


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


def admit_edict_headwords(E, src, args, stats):
    """EDICT keys admitted as headwords: real English lexical items only."""
    ed_admit = collections.Counter()
    n_phrasal = 0
    for key, cands in src.inv.items():
        if key in E:
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
            E[key]["forms"][key] += 1
            ed_admit["phrase" if " " in key else "word"] += 1
    stats["edict_only_headwords_admitted"] = dict(ed_admit)
    stats["edict_phrasal_verbs_admitted"] = n_phrasal


def spelling_variants(k):
    """British -> American spellings, only to find a CMUdict entry."""
    v = []
    for a, b in (("our", "or"), ("isation", "ization"), ("ise", "ize"),
                 ("ised", "ized"), ("ising", "izing"), ("yse", "yze"),
                 ("tre", "ter"), ("lled", "led"), ("lling", "ling"),
                 ("ller", "ler"), ("ae", "e"), ("oe", "e"), ("ogue", "og"),
                 ("ence", "ense"), ("eable", "able"), ("mme", "m")):
        if a in k and not (a == "oe" and k.endswith("oes")):   # dingoes
            v.append(k.replace(a, b))
    return v


VOICELESS = set("ptkf57")
SIBIL = set("sz78")


def with_ending(c, kind):
    """The code of a regular form from its base's code."""
    last = c[-1]
    if kind == "s":
        end = "1z" if last in SIBIL else ("s" if last in VOICELESS else "z")
    elif kind == "ed":
        end = "1d" if last in "td" else ("t" if last in VOICELESS else "d")
    elif kind == "ing":
        end = "i4"
    elif kind == "er":
        end = "1r"
    else:
        end = "1st"
    return c + end


class Pronouncer:
    """Phonetic codes of headwords: CMUdict, rules built on it, and one
    batch of the words left through eSpeak NG."""

    def __init__(self, cmu):
        self.cmu = cmu
        self.espeak_pending = set()
        self.espeak_codes = {}

    def cmu_get(self, k):
        ph = self.cmu.get(k)
        if ph is not None:
            return ph, "cmu"
        return None, None

    def cmu_code(self, k):
        """CMUdict's code of k or of its American spelling; None if none."""
        ph, src = self.cmu_get(k)
        if ph is None:
            for v in spelling_variants(k):
                ph, src = self.cmu_get(v)
                if ph is not None:
                    src = "cmu-spelling-variant"
                    break
        if ph is not None:
            c = phonetic.arpabet_to_code(ph)
            if c:
                return c, src
        return None

    def hyphen_code(self, k):
        """The code of a hyphenated word whose parts CMUdict all knows."""
        parts = [p for p in k.split("-") if p]
        codes = []
        for i, p in enumerate(parts):
            pp, _ = self.cmu_get(p)
            if pp is None:
                return None
            if i < len(parts) - 1:   # the last part carries the stress
                pp = [x[:-1] + "2" if x.endswith("1") else x for x in pp]
            codes.append(phonetic.arpabet_to_code(pp))
        if codes and all(codes):
            return "".join(codes), "hyphen-compound"
        return None

    def suffix_code(self, k):
        """Regular inflection of a word CMUdict knows: add the ending."""
        for b, kind in regular_bases(k):
            if len(b) < 3:
                continue
            bp, _ = self.cmu_get(b)
            if bp is None:
                continue
            c = phonetic.arpabet_to_code(bp)
            if not c:
                continue
            return with_ending(c, kind), "cmu+suffix-rule"
        return None

    def word_code(self, k):
        """Code for one word (no spaces): CMUdict first, then rules built on
        CMUdict, then espeak-ng.  '' when nothing is known yet."""
        found = self.cmu_code(k)
        if found is None and "-" in k:
            found = self.hyphen_code(k)
        if found is None and re.fullmatch(r"[a-z]+", k):
            found = self.suffix_code(k)
        if found is not None:
            return found
        if k in self.espeak_codes:
            return self.espeak_codes[k], "espeak-ng"
        if re.fullmatch(r"[a-z][a-z'.-]*", k.lower()):
            self.espeak_pending.add(k)
        return "", None

    def pron_for(self, k):
        """The code of a headword and where it came from."""
        words = k.split()
        if len(words) == 1:
            return self.word_code(k.lower())
        codes = []
        srcs = set()
        for w in spoken_words(k):
            c, s = self.word_code(w)
            codes.append(c)
            srcs.add(s)
        if not all(codes):      # every word is still looked up, for espeak-ng
            return "", None
        return phonetic.WORD_SEPARATOR.join(codes), "+".join(sorted(srcs))

    def run_espeak(self, recs, paths, stats):
        """Pronunciations CMUdict cannot give: one batch through espeak-ng."""
        for r in recs:
            if not r["pron"]:
                self.pron_for(r["hw"])
        if not self.espeak_pending:
            return
        t1 = time.time()
        ipa = inputs.espeak_ipa(paths, sorted(self.espeak_pending))
        bad = 0
        for w, text in sorted(ipa.items()):
            c = phonetic.ipa_to_code(text, w)
            if c:
                self.espeak_codes[w] = c
            else:
                bad += 1
        stats["espeak_words"] = len(ipa)
        stats["espeak_unconverted"] = bad
        log(f"espeak-ng: {len(ipa)} words, {time.time() - t1:.1f}s")
        for r in recs:
            if not r["pron"]:
                r["pron"], r["pron_src"] = self.pron_for(r["hw"])


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


def lemma_records(E, meanings, pron, stats):
    """A line for each headword that has a meaning to show."""
    records = {}
    src_counter = collections.Counter()
    for k, ev in E.items():
        hw = headword_spelling(ev["forms"])
        meaning, sources = meanings.meaning_for(k)
        if not meaning:
            src_counter["(no encodable meaning: dropped)"] += 1
            continue
        records[k] = new_record(pron, k, hw, meaning, "lemma")
        src_counter["+".join(sorted(sources))] += 1
        records[k]["both"] = sources == {"ed", "fd"}
    stats["meaning_sources"] = dict(src_counter)
    return records


def label_irregular_lemma(r, k, b, p, label, tagcnt, args):
    """Give a line of its own the base b it is an irregular form of; 1 if
    it had no base yet, else 0."""
    if r["base"]:
        return 0
    r["base"] = b
    if not args.no_label_lemmas:
        r["meaning"] = after_label(label, r["meaning"], own_right(
            k, b, tagcnt, "s" if p == "noun" else "irregular"))
        # keep the byte cap
        parts = r["meaning"].split("\u3001")
        while len("\u3001".join(parts).encode("cp932")) > MAX_MEANING_BYTES + 30:
            parts.pop()
        r["meaning"] = "\u3001".join(parts)
    return 1


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
        if k in records and records[k]["hw"][:1].isupper():
            continue        # Wales, Mars, Ares: names, not forms
        good = labeller.irregular_bases(k, bases)
        if not good:
            continue
        b, p = good[0]
        same = [x for x, q in good if q == p]
        bases_txt = "・".join(dict.fromkeys(same))
        label = inflection_label(form, bases_txt, p, fam.get(b, ()))
        if k in records:
            base_set_on_lemma += label_irregular_lemma(records[k], k, b, p, label,
                                                       src.tagcnt, args)
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
            r["meaning"] = after_label(lab, r["meaning"], own_right(k, b, src.tagcnt, kind))
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


def add_regular_forms(records, rank, labeller, pron, args, reg_added):
    """Regular inflections of frequent words; reg_added counts them by label."""
    if not inflecting(args, rank):
        return
    for w in ranked_within(rank, args.regular_inflections):
        if w in records or not re.fullmatch(r"[a-z]+", w):
            continue
        b, lab, _ = labeller.reg_label(w)
        if not b:
            continue
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


def variant_code(w, code, pos, first, lf, src):
    """The code of the variant of heteronym w that fits the first
    meaning; None when w is no heteronym read as its first variant."""
    vs = src.cmu_variants.get(w)
    if not vs or len(vs) < 2 or code != phonetic.arpabet_to_code(vs[0]):
        return None
    wn = src.lemmas.get(w, set())
    v = choose_variant(w, vs, pos, first, "verb" in wn and bool(wn & {"noun", "adj"}))
    for arpa, files in LEXFILE_SENSES.get(w, ()):
        if lf in files.split() and arpa.split() in vs:
            v = arpa.split()
    return phonetic.arpabet_to_code(v) if v else ""


def heteronym_pron(r, src, lexfile):
    """r's code with each heteronym read as its meaning wants; None when
    nothing changes."""
    words = spoken_words(r["hw"])
    if not r["pron"]:
        return None
    codes = r["pron"].split(phonetic.WORD_SEPARATOR) if len(words) > 1 else [r["pron"]]
    if len(codes) != len(words):
        return None
    first = r["meaning"].split("\u3001")[0]
    mpos = ja_pos(first, src.jp_pos)
    lf = lexfile.get(r["hw"].lower())
    changed = False
    for i, w in enumerate(words):
        pos = mpos if len(words) == 1 else phrase_word_pos(words, i, mpos)
        c = variant_code(w, codes[i], pos, first, lf, src)
        if c and c != codes[i]:
            codes[i] = c
            changed = True
    return phonetic.WORD_SEPARATOR.join(codes) if changed else None


def choose_heteronyms(recs, src, args):
    """Heteronyms: the variant that fits the first meaning, word by word;
    how many lines changed."""
    het_changed = 0
    lexfile = wordnet_lexfiles(args.wordnet, {
        r["hw"].lower() for r in recs if " " in r["hw"] and r["hw"].lower() in src.lemmas
        and LEXFILE_SENSES.keys() & set(r["hw"].lower().split())})
    for r in recs:
        pron = heteronym_pron(r, src, lexfile)
        if pron is not None:
            r["pron"] = pron
            het_changed += 1
    return het_changed


def ending_code(r, base_code):
    """r's code as its base's code plus the ending; None if r's ending
    is none that is known."""
    w, b = r["hw"].lower(), r["base"].lower()
    for bb, kind in regular_bases(w):
        if bb == b:
            return with_ending(base_code, kind)
    if r["kind"] == "archaic":      # liveth: live + ɪθ
        return base_code + "15"
    return None


def codes_from_base(recs):
    """A regular form eSpeak NG had to read: its base's code plus the
    ending (dingoes from dingo, not dInd8iz); how many."""
    by_key = {r["hw"].lower(): r for r in recs}
    from_base = 0
    for r in recs:
        if r["pron_src"] != "espeak-ng" or not r["base"] or " " in r["hw"]:
            continue
        b = r["base"].lower()
        br = by_key.get(b)
        if not br or not br["pron"] or " " in b:
            continue
        code = ending_code(r, br["pron"])
        if code is not None:
            r["pron"] = code
            r["pron_src"] = "base+ending"
            from_base += 1
    return from_base


def pron_sources(recs):
    """Check every code; where the single words' codes came from."""
    for r in recs:
        assert phonetic.valid_code(r["pron"]), r
    return dict(collections.Counter(str(r["pron_src"]) for r in recs
                                    if " " not in r["hw"]))


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
    for name, rs in (("settei_tango.txt", words), ("settei_jyukugo.txt", phrases)):
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
    src = load_sources(args, t0)
    stats["source_sizes"] = source_sizes(src)
    E = freedict_evidence(src.fd, stats)
    admit_edict_headwords(E, src, args, stats)
    meanings = Meanings(src, E, args)
    pron = Pronouncer(src.cmu)
    records = lemma_records(E, meanings, pron, stats)
    labeller = FormLabeller(records, src)
    add_irregular_forms(records, src, labeller, pron, args, stats)
    stats["existing_lines_labelled_regular_inflection"] = label_regular_lemmas(
        records, src, labeller)
    stats["ordinal_lines"] = add_ordinals(records, src.rank, pron, args)
    stats["override_lines"] = apply_overrides(records, args.overrides, pron)
    reg_added = collections.Counter()
    add_regular_forms(records, src.rank, labeller, pron, args, reg_added)
    names = load_names(args.freq) if inflecting(args, src.rank) else set()
    stats["archaic_third_person_lines_added"] = add_archaic_forms(records, src, names, pron, args)
    stats["derived_ly_adverb_lines_added"] = add_derived_adverbs(records, src, pron, args)
    lacking = lacking_words(records, src, names, args)
    stats["synonym_lines_added"] = add_synonym_lines(records, lacking, src, pron, args)
    add_lacking_word_lines(records, lacking, src, meanings, pron, stats)
    # and the forms of the words just added (adjourn: adjourned)
    add_regular_forms(records, src.rank, labeller, pron, args, reg_added)
    stats["regular_inflection_lines_added"] = dict(reg_added)
    recs = capped_records(records, src.rank, args.max_lines, stats)
    pron.run_espeak(recs, src.paths, stats)
    stats["heteronym_codes_changed"] = choose_heteronyms(recs, src, args)
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
    ap.add_argument("--explain", default="", metavar="WORDS",
                    help="comma-separated headwords whose scored terms are logged")
    args = ap.parse_args()
    args.explain = set(filter(None, args.explain.split(",")))
    args.max_lines = MAX_LINES
    args.regular_inflections = 30000
    args.freq_admit = 30000
    args.tail = 0.12
    args.edict_phrases = "strict"
    args.no_label_lemmas = False
    args.base_self = False
    args.cache = os.path.abspath(args.cache)
    args.out = os.path.normpath(os.path.abspath(args.out))
    build(args)


if __name__ == "__main__":
    # set iteration order must not depend on the interpreter's random hash seed
    if os.environ.get("PYTHONHASHSEED") != "0":
        os.environ["PYTHONHASHSEED"] = "0"
        os.execv(sys.executable, [sys.executable] + sys.argv)
    main()
