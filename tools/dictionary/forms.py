"""Inflections for the dictionary builder.

The regular endings a form may have, WordNet's irregular forms and their
labels, old third persons, when a form is a word of its own, and the
FormLabeller, which finds the line a word is a form of.
"""
import collections
import re

from term_rules import MAX_MEANING_BYTES, main_pos

# frequency rank within which a degree counts as a word in use
DEGREE_RANK = 60000
# ... and an -ed form of a verb with irregular forms (lied, not growed)
IRREGULAR_VERB_ED_RANK = 10000
# an adjective's -er is some times as frequent as its -est (harder,
# hardest); an -er noun used this much more is the noun (lighter, cleaner)
DEGREE_USE = 3.5


def inflection_label(form, base, pos, sibling_forms):
    """Japanese label for an irregular form (heuristic)."""
    if pos == "noun":
        return base + "の複数形"
    if pos in ("adj", "adv"):
        if form.endswith("st"):
            return base + "の最上級"
        return base + "の比較級"
    # verbs
    if form.endswith("ing"):
        return base + "の現在分詞"
    if form in ("has", "does", "goes", "is"):
        return base + "の三人称単数現在形"
    if form in ("am", "are"):
        return base + "の現在形"
    if form in ("was", "were"):
        return base + "の過去形"
    if form == "been":
        return base + "の過去分詞"
    others = [f for f in sibling_forms if f != form and not f.endswith("ing")
              and f not in ("has", "does", "goes", "is", "am", "are")]
    def pp(f):
        return bool(re.search(r"(en|ne|wn|n|un|unk|ung|um)$", f))
    if a_past(form, base):
        return base + "の過去形"
    if participle_only(form, base) or pp(form) and any(a_past(o, base) for o in others):
        return base + "の過去分詞"
    if not others:
        return base + "の過去形・過去分詞"
    if pp(form) and not all(pp(o) for o in others):
        return base + "の過去分詞"
    if not pp(form) and any(pp(o) for o in others):
        return base + "の過去形"
    return base + "の過去形・過去分詞"


def a_past(form, base):
    """A past made by turning one vowel of the base into a (ran, began,
    became, swam) is the past alone: such verbs have a participle of their
    own (begun, swum) or the base (run, become).  One ending in -t or -d
    (sat, spat, had) is the participle too."""
    if form.endswith(("t", "d")) or len(form) != len(base):
        return False
    return any(base[:i] + "a" + base[i + 1:] == form
               for i, c in enumerate(base) if c in "eiou")


def participle_only(form, base):
    """An -n form of a verb whose base has no n at its end (beaten, shown,
    swollen, sewn) is the participle alone; the past is regular or the
    base (showed, beat).  won and spun keep both: win, spin."""
    return bool(re.search(r"[aeiouw]n$", form)) and not re.search(r"ne?$", base)


ES_AFTER = ("s", "x", "z", "ch", "sh", "o")


def archaic_bases(w):
    """Bases w may be the old third person singular of: -eth after a stem
    (leadeth, runneth) or a silent e (cometh, believeth), -th after o
    (doth).  beth and both are no such forms: the base needs three
    letters, or an o before -th."""
    out = []
    if w.endswith("eth"):
        stem = w[:-3]
        if len(stem) >= 2 and stem[-1] == stem[-2] and stem[-1] not in "aeiouls":
            out.append(stem[:-1])           # runneth
        out.append(stem)
        if len(stem) >= 2:
            out.append(stem + "e")          # cometh
    elif re.fullmatch(r"[a-z]*o", w[:-2]) and w.endswith("th"):
        out.append(w[:-2])                  # doth
    return [b for b in out if len(b) >= 3 or b.endswith("o")]


def doubling_stem(stem):
    """A stem ending in one short vowel and one consonant doubles it before
    -ing/-ed/-er/-est (star -> starring), so 'staring' is not star + ing:
    its base has a silent e (stare)."""
    return bool(re.search(r"(^|[^aeiou])[aeiou][b-df-hj-np-tvz]$", stem))


def one_syllable_doubling(stem):
    """A one-syllable stem that doubles its consonant before an ending
    (din: dinned, star: starring) never takes the ending bare: dined and
    staring belong to dine and stare, or to no word."""
    return doubling_stem(stem) and len(re.findall(r"[aeiou]+", stem)) == 1


def regular_bases(w):
    """Candidate (base, kind) for a regularly inflected form.  -es only
    follows s, x, z, ch, sh or o (boxes, goes; not planes -> plan); a
    stem that would double its consonant takes its silent e back
    (staring -> stare, sites -> site, not star, sit)."""
    out = []
    if w.endswith("men") and len(w) > 4:     # women, firemen
        out.append((w[:-3] + "man", "s"))
    if w.endswith("ies") and len(w) > 4:
        out.append((w[:-3] + "y", "s"))
    # a noun in -sis has its plural in -ses (emphases), so emphasises is
    # emphasise's
    if w.endswith("es") and len(w) > 3 and w[:-2].endswith(ES_AFTER) and \
            not w[:-2].endswith("sis"):
        out.append((w[:-2], "s"))
    # a consonant and y take -ies (allies, not allys; but whys)
    if w.endswith("s") and not w.endswith("ss") and len(w) > 2 and \
            not re.search(r"[aeiou][^aeiouy]*[^aeiouy]ys$", w):
        out.append((w[:-1], "s"))
    if w.endswith("ied") and len(w) > 4:
        out.append((w[:-3] + "y", "ed"))

    def stems(stem, kind):
        if doubling_stem(stem):       # stare before star, visit still kept
            out.append((stem + "e", kind))
            out.append((stem, kind))
        else:
            out.append((stem, kind))
            out.append((stem + "e", kind))
        if len(stem) > 2 and stem[-1] == stem[-2]:
            out.append((stem[:-1], kind))
    if w.endswith("ed") and len(w) > 3:
        stems(w[:-2], "ed")
    for suf in ("er", "est"):
        if w.endswith(suf) and len(w) > len(suf) + 2:
            stem = w[:-len(suf)]
            if stem.endswith("i"):
                out.append((stem[:-1] + "y", suf))
            stems(stem, suf)
    if w.endswith("ing") and len(w) > 4:
        stem = w[:-3]
        stems(stem, "ing")
        if stem.endswith("y"):
            out.append((stem[:-1] + "ie", "ing"))
    return out


def gradable(base, known, kind="er"):
    """An adjective with comparison: its other degree is a word too
    (cleaner: cleanest; not butter: buttest, customer: customest)."""
    b = base
    other = "est" if kind == "er" else "er"
    # a one-syllable stem that doubles takes no bare ending: cutest is
    # cute's, not cut's; only a silent e drops the ending's e (nicest)
    forms = set() if one_syllable_doubling(b) else {b + other}
    if b.endswith("e"):
        forms.add(b + other[1:])
    if b.endswith("y"):
        forms.add(b[:-1] + "i" + other)
    if doubling_stem(b):
        forms.add(b + b[-1] + other)
    return bool(forms & known)


KANA_PAST = re.compile(r"^[\u3040-\u309f]+[ただ]$")


def after_label(label, meaning, own_first=False):
    """A form's note, then the senses its spelling has of its own; for a
    word common in its own right (ground, wedding) its senses come first
    and the note after them.  Kana words in the past tense (いらした,
    なすった) only restate the note."""
    terms = [t for t in meaning.split("\u3001") if t and not KANA_PAST.match(t)]
    if own_first and terms:
        terms = terms[:4]
        while len(terms) > 1 and len("\u3001".join(terms + [label]).encode("cp932")) > MAX_MEANING_BYTES:
            terms.pop()
        return "\u3001".join(terms + [label])
    return "\u3001".join([label] + terms)


# kinds of line that give a word's own senses, not a note on its base
OWN_SENSES = {"lemma", "synonym", "verbal-noun", "relation", "derived-ly", "ordinal"}


def base_of_a_form(kind, rec, wn, has_line, verb_tags):
    """May the line rec be the base of a regular form with this ending?  A
    word's own line may; a line that is a form itself only as a noun that
    still has a plural of its own (rose, wound, meeting), or as a verb
    with tagged senses for an -ed or -ing form the sources have no line
    for (flatter: flattering, found: founded; boring keeps its own senses
    alone).  wn: the base's WordNet parts of speech."""
    if rec["kind"] in OWN_SENSES and not rec["base"]:
        return True
    if kind == "s" and "noun" in wn:
        return True
    return kind in ("ed", "ing") and rec["kind"] == "lemma" and not has_line and verb_tags > 0


# auxiliaries: their forms (are, has, did) are grammar before anything else
AUXILIARIES = {"be", "have", "do"}


def own_right(form, base, tagcnt, kind, use=None):
    """Is form a word of its own, whose senses come before its note?  A
    plural WordNet lists as a noun (pants, clothes); a form that is a noun,
    adjective or adverb with tagged senses (ground, wound, bit, wedding).
    use (rank, lemmas, names), where known, finds more: see used_in_own_right."""
    own = tagcnt.get(form)
    if own:
        if kind == "s" and "noun" in own and not tagcnt.get(base, {}).get("noun"):
            return True
        if kind != "s" and any(own.get(p, 0) >= 2 for p in ("noun", "adj", "adv")):
            return True
    return use is not None and used_in_own_right(form, base, tagcnt, kind, *use)


def used_in_own_right(form, base, tagcnt, kind, rank, lemmas, names, fdpos):
    """A form the learner means as a word, with a FreeDict entry of its
    own (fdpos: its parts of speech there, Wiktionary's word of its own;
    rank: frequency ranks; names: words mostly capitalised, whose rank says
    nothing of the lower-case word): a noun degree used far more than its
    other degree (lighter, stranger, cleaner: not closer, cooler); a
    plural of an adjective (goods); a plural WordNet lists, twice as
    frequent as its base (troops, congratulations), or of a name (jeans:
    Jean); an -ing adjective more frequent than its verb (interesting); an
    irregular or -ing form more frequent than its base, a word of one use
    at most (clove: cleave, shilling: shill).  A plural far more frequent
    than its base needs no FreeDict entry (stamina: stamen)."""
    wn = lemmas.get(form, set())
    own = tagcnt.get(form) or {}
    ratio = 0
    if form in rank and base not in AUXILIARIES:
        ratio = 10**9 if base in names else rank.get(base, 10**9) / rank[form]
    if kind == "s" and "noun" in wn and ratio >= 3:
        return True
    if not fdpos & {"n", "adj", "interjection"}:
        return False
    if kind in ("er", "est"):
        other = form[:-len(kind)] + ("est" if kind == "er" else "er")
        return "n" in fdpos and "noun" in wn and form in rank and \
            rank.get(other, 10**9) >= DEGREE_USE * rank[form]
    bt = tagcnt.get(base) or {}
    if kind == "s":
        return main_pos(bt, lemmas.get(base, ())) == "adj" and \
            4 * bt.get("noun", 0) <= bt.get("adj", 0) or \
            "noun" in wn and ratio >= 2 or base in names and ratio > 0
    if kind == "ing" and own.get("adj", 0) > 0 and ratio > 1:
        return True
    return kind in ("ing", "irregular") and bool(wn & {"noun", "adj", "adv"}) and \
        ratio >= 1.4 and sum(bt.values()) <= 1


def rare_base(form, base, tagcnt, pos):
    """A form that is itself a word of that part of speech while its would-be
    base has no tagged sense of it: feed is not fee + d, evening not even +
    ing, species not specie + s, dive not a plural of diva."""
    own = tagcnt.get(form, {})
    if not own:
        return False
    bt = tagcnt.get(base, {})
    return bt.get(pos, 0) == 0 and sum(own.values()) > 0


def s_label(b, wn, tagcnt):
    """-s form: plural and/or 3rd-person singular, dominant POS first."""
    if "verb" in wn and "noun" not in wn:
        return "三人称単数現在形"
    if "verb" in wn and "noun" in wn:
        tc = tagcnt.get(b, {})
        if tc.get("verb", 0) > tc.get("noun", 0):
            return "三人称単数現在形・複数形"
        return "複数形・三人称単数現在形"
    if wn and "noun" not in wn:
        return None
    return "複数形"


POS_ORDER = {"verb": 0, "noun": 1, "adj": 2, "adv": 3}


class FormLabeller:
    """Which line a word is an inflection of, and its label.  The words
    that may have degrees are those known when it is made."""

    def __init__(self, records, src):
        self.records = records
        self.lemmas, self.tagcnt, self.rank = src.lemmas, src.tagcnt, src.rank
        self.known_words = set(src.rank) | set(records)
        self.in_use = {w for w, rk in src.rank.items() if rk <= DEGREE_RANK} | set(records)
        # an old second person (livest, beside liveth) is no superlative
        # that makes liver a comparative
        old_second = {w[:-3] + "est" for w in src.rank if w.endswith("eth") and any(
            "verb" in self.lemmas.get(b, ()) for b in archaic_bases(w))}
        self.in_use_degrees = self.in_use - old_second
        fam = verb_families(src.exc)
        self.irregular_past_and_participle = {
            b for b, fs in fam.items()
            if {inflection_label(f, b, "verb", fs) for f in fs} >= {b + "の過去形", b + "の過去分詞"}}

    def comparable(self, form, b):
        """May form be read as a degree of b?  b must have degrees; a form
        that is a noun itself (cleaner, lighter) also needs b to be an
        adjective with tagged senses (not archer, flier) whose other degree
        is a word in use, not a one-off (tamer: tamest)."""
        deg = "est" if form.endswith("est") else "er"
        noun = "noun" in self.lemmas.get(form, ())
        if not gradable(b, self.in_use_degrees if noun else self.known_words, deg):
            return False
        if "noun" in self.lemmas.get(form, ()):
            tc = self.tagcnt.get(b, {})
            return tc.get("adj", 0) + tc.get("adv", 0) > 0
        return True

    def irregular_bases(self, k, bases):
        """The (base, pos) of WordNet's exception list that have a line and
        that the form k may be of, best first."""
        deg = "est" if k.endswith("est") else "er"
        # archer, coder: WordNet lists them, but arch and cod have no degrees
        # halfways is a spelling of halfway, not a degree of it
        bases = [(b, p) for b, p in bases if not (p in ("adj", "adv") and k == b + "s")]
        good = [(b, p) for b, p in bases if b.lower() in self.records and not (
            p in ("adj", "adv") and (b, deg) in regular_bases(k)
            and (k in self.records or "noun" in self.lemmas.get(k, ()))
            and not self.comparable(k, b))]
        if k in self.records:
            good = [(b, p) for b, p in good
                    if not rare_base(k, b.lower(), self.tagcnt, p)]
        # soles: sole (tagged) before sol, the currency
        good.sort(key=lambda x: (POS_ORDER[x[1]], -self.tagcnt.get(x[0], {}).get(x[1], 0),
                                 self.rank.get(x[0], 10**9)))
        return good

    def reg_label(self, w):
        """The most frequent base that w is a regular form of, and its label.
        The base must be a WordNet word of the part of speech the ending
        needs ('thing' is not the + ing, 'coming' is come + ing, not com)."""
        best = None
        cands = regular_bases(w)
        for b, kind in cands:
            if not self.may_be_base(w, b, kind, cands):
                continue
            r = self.records.get(b)
            if r is None:
                continue
            wn = self.lemmas.get(b, set())
            if not base_of_a_form(kind, r, wn, w in self.records,
                                  self.tagcnt.get(b, {}).get("verb", 0)):
                continue
            lab = self.ending_label(w, b, kind, wn)
            if lab is None or self.own_word(w, b, kind, wn):
                continue
            cand = (self.rank.get(b, 10**9), b, r["hw"] + "の" + lab, kind)
            if best is None or cand < best:
                best = cand
        if best is None:
            return None, None, None
        return self.records[best[1]]["hw"], best[2], best[3]

    def may_be_base(self, w, b, kind, cands):
        """Whether the spelling of w allows b + kind."""
        # staring: stare + ing, not star + ing (that is starring)
        need_pos = "adj" if kind in ("er", "est") else "verb"
        if kind != "s" and doubling_stem(b) and (b + "e", kind) in cands and \
                (b + "e") in self.records and need_pos in self.lemmas.get(b + "e", ()):
            return False
        # dined is not din + ed (that is dinned)
        if kind != "s" and w == b + kind and one_syllable_doubling(b):
            return False
        # a verb with an irregular past and participle (saw, seen) has no
        # -ed form: seed, a word of its own, is not see + d, nor growed or
        # knowed forms; lied, common, is lie's (tell an untruth), not lay's
        if kind == "ed" and b in self.irregular_past_and_participle and (
                any(self.tagcnt.get(w, {}).values())
                or self.rank.get(w, 10**9) > IRREGULAR_VERB_ED_RANK):
            return False
        return not (len(b) < 3 and not (kind == "ing" and len(b) == 2))

    def ending_label(self, w, b, kind, wn):
        """The label of w as b + kind; None when b has no such form."""
        if kind == "s":
            return s_label(b, wn, self.tagcnt) if wn else None
        if kind == "ed":
            return "過去形・過去分詞" if "verb" in wn else None
        if kind in ("er", "est"):
            if "adj" not in wn and "adv" not in wn:
                return None
            # butter is not but + er, customer not custom + er
            if not self.comparable(w, b):
                return None
            return "比較級" if kind == "er" else "最上級"
        return "現在分詞・動名詞" if "verb" in wn else None

    def own_word(self, w, b, kind, wn):
        """Whether w is a word of its own rather than b + kind."""
        if w in self.records and rare_base(w, b, self.tagcnt, {"s": "noun", "er": "adj",
                                                               "est": "adj"}.get(kind, "verb")):
            if not (kind == "s" and "verb" in wn and self.tagcnt.get(b, {}).get("verb")):
                return True
        # a word of its own that is more frequent than its would-be base
        # (matter / matt) is not taken for an inflection
        return kind in ("er", "est") and w in self.lemmas and \
            self.rank.get(b, 10**9) > 3 * self.rank.get(w, 10**9) + 500


def verb_families(exc):
    """Each verb's irregular forms, from WordNet's exception lists."""
    fam = collections.defaultdict(set)
    for form, bases in exc.items():
        for b, p in bases:
            if p == "verb":
                fam[b].add(form)
    return fam
