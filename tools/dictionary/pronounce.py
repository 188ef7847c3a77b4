"""Phonetic codes for the dictionary builder.

The Pronouncer (CMUdict, rules built on it, then eSpeak NG), the choice
of a heteronym's variant by its meaning, and a regular form's code made
from its base's.
"""
import collections
import re
import time

import inputs
import phonetic

from term_rules import VERB_POS
from sources import (log, wordnet_lexfiles)
from forms import regular_bases

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
    """Part of speech of a Japanese term: verb, adj, adv or noun.  A form's
    note is read by its first label (houseの複数形・三人称単数現在形: noun)."""
    notes = sorted((m.start(), p) for rx, p in NOTE_POS for m in [rx.search(term)] if m)
    if notes:
        return notes[0][1]
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


PUNCTUATION = ".,!?;:…\""


def spoken_words(phrase):
    """The words of a phrase as they are looked up: "king!" is king.  The
    file wants one code per word, so a phrase with "..." (the slot of an
    object: what does ... mean) has an empty word and gets no code."""
    return [w.strip(PUNCTUATION).lower() for w in phrase.split()]


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
            codes.append(phonetic.arpabet_to_code(pp, i == len(parts) - 1))
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
        if not paths["espeak"]:
            raise SystemExit("no espeak-ng among the inputs to pronounce "
                             + ", ".join(sorted(self.espeak_pending)))
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


def schwa_blind(code):
    """A code with unstressed i and schwa alike (axes: "ksiz, "ks1z)."""
    return code.replace("i", "1")


def form_variant(w, b, base_code, variants, other_bases):
    """The CMUdict variant of w, a form of b, that reads b as b's line
    does (putting: put + ing, not the golf word; bows: the bow of bow's
    first meaning), or else that is no other word's form (axes of axis:
    not axe + s); None to leave w as it is.  other_bases: the code of each
    other word w may be a regular form of, that CMUdict reads one way."""
    codes = [c for c in (phonetic.arpabet_to_code(v) for v in variants) if c]
    own = {schwa_blind(with_ending(base_code, kind)) for bb, kind in regular_bases(w) if bb == b}
    for c in codes:
        if schwa_blind(c) in own:
            return c
    others = {schwa_blind(with_ending(other_bases[bb], kind))
              for bb, kind in regular_bases(w) if bb != b and bb in other_bases}
    left = [c for c in codes if schwa_blind(c) not in others]
    return left[0] if left and len(left) < len(codes) else None


def base_reading(b, br, pos, src):
    """The code of base b as its form reads it: the CMUdict variant that
    fits the part of speech of the form's note (uses: use, the noun;
    records: REcord) and the first meaning of b's line (bows: bow, 弓)."""
    vs = src.cmu_variants.get(b)
    if not vs or len(vs) < 2:
        return br["pron"]
    wn = src.lemmas.get(b, set())
    v = choose_variant(b, vs, pos, br["meaning"].split("\u3001")[0],
                       "verb" in wn and bool(wn & {"noun", "adj"}))
    return phonetic.arpabet_to_code(v) if v else br["pron"]


def forms_read_as_base(recs, src):
    """A form whose line opens with its note reads as its base's line
    (putting, bows, axes); how many lines changed."""
    by_hw = {r["hw"]: r for r in recs}
    changed = 0
    for r in recs:
        w = r["hw"]
        vs = src.cmu_variants.get(w)
        br = by_hw.get(r["base"])
        if not vs or len(vs) < 2 or not br or not br["pron"] or " " in w or \
                w in HETERONYM_SENSES or not r["meaning"].startswith(r["base"] + "の"):
            continue
        pos = ja_pos(r["meaning"].split("\u3001")[0], src.jp_pos)
        # the other words w may be a form of, that CMUdict reads one way
        others = {bb: phonetic.arpabet_to_code(src.cmu[bb]) for bb, _ in regular_bases(w)
                  if len(bb) >= 3 and bb in src.cmu and len(src.cmu_variants.get(bb, ())) == 1}
        code = form_variant(w, r["base"], base_reading(r["base"].lower(), br, pos, src), vs,
                            {b: c for b, c in others.items() if c})
        if code and code != r["pron"]:
            r["pron"] = code
            changed += 1
    return changed


def pron_sources(recs):
    """Check every code; where the single words' codes came from."""
    for r in recs:
        assert phonetic.valid_code(r["pron"]), r
    return dict(collections.Counter(str(r["pron_src"]) for r in recs
                                    if " " not in r["hw"]))
