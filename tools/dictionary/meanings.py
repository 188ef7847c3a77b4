"""Scoring and choosing a headword's terms, for the dictionary builder.

The Meanings class, its weights, and the helpers it chooses terms with.
"""
import collections
import re
import types

from term_rules import (KANA_ONLY, KATA_ONLY, MAX_MEANING_BYTES, MAX_TERMS, adjective_form,
                        mended_term,
                        adverb_scores, bare_noun, commonness_weight, has_common_senses,
                        head_verb_kanji, kana_before_twin, kata2hira, ly_bases, main_pos,
                        merge_forms, noun_as_adjective, noun_terms, one_spelling, other_language,
                        prepositional, rank_terms, relation_adjective, says_the_opposite,
                        spelling_twins, unified, verbal_nouns)
from sources import (NO_BEFORE_NA, OFFENSIVE_JA, log)

KANJI_END = re.compile(r"[\u3400-\u9fff\uf900-\ufaff\u3005]$")

# English headwords that are slurs themselves: they keep such a term, labelled
SLUR_HEADWORDS = set("""nigger nigga chink jap gook kike spic wetback faggot fag
tranny coon darkie paki redskin squaw raghead towelhead honky wop dago kraut
yid""".split())
SLUR_LABEL = "（軽蔑語）"
# -ly adverbs whose meaning has drifted from their adjective's (lately is
# not 遅く, nor shortly 短く, greatly 偉大に or flatly 平らに): a reviewed
# list, for no source says so
DRIFTED_ADVERBS = set("""barely bluntly fairly flatly greatly hardly highly horribly largely
lately mostly nearly practically presently roundly scarcely shortly simply squarely
virtually""".split())

# Ranking weights, measured on the judged lists as a whole (measure.py):
# a proper name's senses under a lower-case headword.
NAME_SENSE = 0.3
# a term both sources give
AGREEMENT = 1.5

# FreeDict translates a phrase as a whole; EDICT only has it as one of
# many glosses of a word
FD_PHRASE = 2.0

# an adjective's term made from the noun it pertains to, when the sources
# give only a loanword
PERTAINYM = 0.7

# a bare noun's weight under a compound preposition
PREPOSITION_NOUN = 0.5

# the weight of what EDICT gives the other spelling of a word (color for
# colour)
TWIN_SPELLING = 0.6

GARBAGE = re.compile(r"[+=<>]|[A-Za-z]{2,}\.|\d\s*\+")
FD_POS = {"n": "noun", "v": "verb", "adj": "adj", "adv": "adv"}


def marked(t, terms):
    """Whether t, or t less a final する, な, の or だ, is one of terms."""
    return t in terms or re.sub(r"(する|な|の|だ)$", "", t) in terms


def new_spelling(t, src_kanji, readings, seen):
    """False for a kana duplicate of a term already chosen; else True, and
    t's spellings are noted in seen (its kana and kanji sets)."""
    # kana duplicates: きれい / キレイ / reading of 綺麗な
    stem = t.removesuffix("する").removesuffix("な")
    kh = kata2hira(stem)
    if KANA_ONLY.match(stem) and kh in seen.kana:
        return False
    # two kana spellings of one EDICT kanji (めがね / がんきょう)
    sk = src_kanji.get(t, set()) if KANA_ONLY.match(stem) else set()
    if sk and sk & seen.kanji:
        return False
    seen.kana.add(kh)
    for r in readings.get(stem, ()):
        seen.kana.add(kata2hira(r))
    seen.kanji.update(sk)
    seen.kanji.add(stem)
    return True


def byte_capped(terms):
    """The first terms whose meaning fits MAX_MEANING_BYTES (the first
    term always)."""
    out = []
    nbytes = 0
    for t in terms:
        b = len(t.encode("cp932")) + (2 if out else 0)
        if out and nbytes + b > MAX_MEANING_BYTES:
            break
        out.append(t)
        nbytes += b
    return out


class Meanings:
    """The meaning of each headword: its candidate terms from both sources
    and from related words, scored, then chosen.  A headword's first terms
    are cached for the words that borrow them."""

    def __init__(self, src, evidence, args):
        self.src = src
        self.evidence = evidence
        self.args = args
        self.twins = spelling_twins({k for k in evidence if re.fullmatch(r"[a-z]+", k)})
        self.head_cache = {}

    def pos_weights(self, k):
        """Weights of k's parts of speech, and the parts it has."""
        tagged = self.src.tagcnt.get(k)
        fd_pos = {FD_POS.get(p, "other") for p in self.evidence[k]["fdpos"]} \
            if k in self.evidence else set()
        weights = {"noun": 1.0, "verb": 1.0, "adj": 1.0, "adv": 1.0, "other": 1.0}
        if tagged:
            weights["other"] = 0.6
            smoothed = {p: c + 0.5 for p, c in tagged.items()}
            most = max(smoothed.values())
            for p in ("noun", "verb", "adj", "adv"):
                weights[p] = 0.3 + 0.7 * smoothed.get(p, 0.0) / most
        return weights, set(tagged or ()) | fd_pos

    def head_terms(self, v, n=2):
        """The first n terms of v's own meaning."""
        if v not in self.head_cache:
            self.head_cache[v] = []          # a word that leads back to itself
            self.head_cache[v] = self.meaning_for(v)[0].split("\u3001")
        return self.head_cache[v][:n]

    def own_terms(self, nouns):
        """The first three terms each noun has as a headword of its own."""
        return {n: set(self.head_terms(n, 3)) for n in nouns if n in self.evidence}

    def meaning_for(self, k, case=None):
        """k's terms joined by 、 and the sources ("fd", "ed") of those;
        "" when none is fit to show.  case "lower" takes only the senses
        the sources give the lower-case word, "name" only a name's."""
        h = self.scored(k, case)
        ranked = rank_terms(h.scores, {t for t, n in h.as_name.items() if n and h.lower_hw})
        if k in self.args.explain:
            log(f"{k}: dom={h.dom} weights={h.weights} " + "  ".join(
                f"{t}={score:.2f}{sorted(h.origin[t])}" for t, score in ranked[:14]))
        if not ranked:
            return "", set()
        out = byte_capped(self.choose(h, ranked))
        src = set()
        for t in out:
            src |= h.origin[t]
        return "\u3001".join(out), src

    def scored(self, k, case=None):
        """k's candidate terms, scored, with what is known of each."""
        h = self.headword(k)
        if case:
            h.edict = {t: v for t, v in h.edict.items() if v[1]["cap"] == (case == "name")}
            h.fd_entries = [e for e in h.fd_entries if e[2] == (case == "name")]
            h.lower = h.lower_hw = case == "lower"
        self.freedict_terms(h)
        self.edict_terms(h)
        self.related_terms(h)
        self.weigh(h)
        return h

    def headword(self, k):
        """What scoring k's terms starts from."""
        weights, epos = self.pos_weights(k)
        tagged = self.src.tagcnt.get(k) or {}
        h = types.SimpleNamespace(
            k=k, weights=weights, adj_word="adj" in epos,
            dom=main_pos(tagged, self.src.lemmas.get(k, ())),
            scores=collections.defaultdict(float), origin=collections.defaultdict(set),
            src_kanji={},
            as_name={},         # a term both sources give only as a name's
            unify={},           # EDICT spelling -> FreeDict's of the same entry
            narrowed_by={})     # how much narrowing took from a term
        h.edict, h.fd_entries = self.twin_senses(k)
        # a lower-case word's senses before a name's (cologne: オーデコロン,
        # not ケルン), when the sources give both
        h.lower = has_common_senses(h.fd_entries, h.edict)
        # a name's own line (Japan, not japan: 漆) keeps the name first
        h.lower_hw = h.lower and any(f == f.lower() for f in self.evidence[k]["forms"])
        return h

    def twin_senses(self, k):
        """k's EDICT senses and FreeDict entries, with its twin spelling's."""
        # a word spelled two ways has the senses both are given (colour,
        # color); FreeDict's entries of the other only when it has none
        edict = dict(self.src.inv.get(k, {}))
        fd_entries = self.evidence[k]["fd"]
        for twin in sorted(self.twins.get(k, ())):
            for t, (score, flags) in self.src.inv.get(twin, {}).items():
                # the other spelling's own senses count less (meter is
                # also a gauge, metre never)
                if t not in edict or edict[t][0] < score * TWIN_SPELLING:
                    edict[t] = (score * TWIN_SPELLING, flags)
            fd_entries = fd_entries or self.evidence[twin]["fd"]
        return edict, fd_entries

    def freedict_terms(self, h):
        """FreeDict evidence: POS blocks in file order, senses in order."""
        for pos, senses, cap in h.fd_entries:
            english_pos = FD_POS.get(pos, "other")
            pos_weight = 0.5 if pos == "pn" else h.weights.get(english_pos, 1.0)
            if cap and h.lower:
                pos_weight *= NAME_SENSE
            for sense_index, terms in enumerate(senses):
                for term_index, t in enumerate(terms):
                    t = self.freedict_term(t, pos, english_pos, h)
                    if t is None or pos == "adj" and says_the_opposite(
                            h.k, t, self.src.lemmas, self.src.jp_pos):
                        continue
                    score = pos_weight * 1.2 / (1 + 0.25 * sense_index) / (1 + 0.15 * term_index)
                    if " " in h.k:
                        score *= FD_PHRASE
                    if KATA_ONLY.match(t):
                        score *= 0.5
                    h.scores[t] += score
                    h.origin[t].add("fd")
                    h.as_name[t] = h.as_name.get(t, True) and cap and h.lower

    def freedict_term(self, t, pos, english_pos, h):
        """One FreeDict term in the form h's headword wants; None for garbage."""
        src = self.src
        t = one_spelling(src.cp.fix(t.strip()), src.respell, src.jp_common, h.unify,
                         src.irregular)
        if GARBAGE.search(t) or len(t) > 25:
            src.cp.garbage += 1
            return None
        if pos == "v" and KANJI_END.search(t) and "vs" in src.jp_pos.get(t, ()):
            t += "する"
        jpp = src.jp_pos.get(t, ())
        head = "adv" if english_pos == h.dom == "adv" else "adj" if pos == "adj" else None
        return adjective_form(t, "adj-na" in jpp, NO_BEFORE_NA in jpp, "adv" in jpp,
                              jpp, head, h.adj_word)

    def edict_terms(self, h):
        """EDICT evidence."""
        for t, (score, flags) in h.edict.items():
            term = unified(self.src.cp.fix(t), h.unify)
            if score:
                h.narrowed_by[term] = max(h.narrowed_by.get(term, 1.0), flags["raw"] / score)
            term = self.edict_form(term, flags, h)
            h.scores[term] += self.edict_score(score, term, flags, h)
            h.origin[term].add("ed")
            h.as_name[term] = h.as_name.get(term, True) and flags["cap"] and h.lower
            h.src_kanji.setdefault(term, set()).add(flags["kanji"])

    def edict_form(self, term, flags, h):
        """One EDICT term in the form h's headword wants."""
        head = "adv" if h.dom == "adv" else "adj" if h.adj_word else None
        term = adjective_form(term, flags["adjna"], flags["no_first"], "adv" in flags["epos"],
                              self.src.jp_pos.get(term, ()), head, h.adj_word)
        if flags["adjno"] and h.dom == "adj" and not term.endswith("の") and \
                not KATA_ONLY.match(term):
            term += "の"          # everlasting: 不朽の, not 不朽
        return term

    @staticmethod
    def edict_score(score, term, flags, h):
        """An EDICT gloss's score, weighed for h's headword."""
        if flags["cap"] and h.lower:
            score *= NAME_SENSE
        score *= max(h.weights.get(p, 1.0) for p in flags["epos"])
        # the part of speech the word mostly has: an adjective wants an
        # adjective (defensive: not 守勢), a noun not a bare verb
        if h.dom == "adj" and "adj" not in flags["epos"]:
            score *= 0.5
        elif h.dom == "noun" and flags["epos"] == {"verb"}:
            score *= 0.6
        if flags["loan"]:
            score *= 0.2
        if KATA_ONLY.match(term):
            score *= 0.5
        elif len(term) == 1 and not flags["common"]:
            score *= 0.5          # a rare one-kanji word (惨)
        return score

    def related_terms(self, h):
        """Terms from related words: a verb's verbal nouns, an adjective of
        relation's noun, an -ly adverb's adjective."""
        src = self.src
        k = h.k
        if h.dom == "verb":
            # a verb is often put as the verbal noun of a noun derived from
            # it (invent: invention 発明 -> 発明する); the noun spelled as the
            # verb is left out, its terms are already the noun's (fight: 戦闘)
            nouns = src.derived.get(k, set()) - {k}
            self.add_related(h, verbal_nouns(dict.fromkeys(nouns), src.inv, src.jp_pos),
                             h.weights["verb"])
        if (h.dom == "adj" or (h.dom is None and src.lemmas.get(k) == {"adj"})) and all(
                KATA_ONLY.match(t) for t in h.scores) and relation_adjective(k) \
                and any(f == f.lower() for f in self.evidence[k]["forms"]):
            # an adjective of relation the sources give only as a loanword
            # (cosmic: コズミック) is put as its noun and の (cosmos 宇宙 ->
            # 宇宙の), of the noun's first terms only (star is 星, not 名優,
            # in astral); a name (Nazi) is no adjective of relation
            nouns = src.pertains.get(k, set()) - {k}
            self.add_related(h, noun_terms(self.own_terms(nouns), src.inv, "の", PERTAINYM),
                             h.weights["adj"])
        if h.dom == "adv":
            self.ly_adverb_terms(h)

    def add_related(self, h, found, weight):
        """Add the terms found from a related word, their scores times weight."""
        for t, (score, kanji) in found.items():
            term = self.src.cp.fix(t)
            # one more gloss of a term the headword may have already: the
            # stronger of the two counts
            h.scores[term] = max(h.scores[term], score * weight)
            h.origin[term].add("ed")
            h.src_kanji.setdefault(term, set()).add(kanji)

    def ly_adverb_terms(self, h):
        """An -ly adverb of an adjective says what the adjective says
        (officially: 正式に, not 晴れて), unless its meaning has drifted
        (lately: 最近, not 遅く)."""
        src = self.src
        if h.k in DRIFTED_ADVERBS:
            return
        base = next((b for b in ly_bases(h.k) if b in self.evidence and
                     main_pos(src.tagcnt.get(b) or {}, src.lemmas.get(b, ())) == "adj"), None)
        if base:
            for t, score in adverb_scores(self.head_terms(base), src.jp_pos).items():
                h.scores[t] += score
                h.origin[t].add("ed")

    def weigh(self, h):
        """Weigh the scored terms as wholes; h.plain is each score before
        rare terms ranked lower."""
        src, scores, origin = self.src, h.scores, h.origin
        merge_forms(scores, origin, h.dom == "noun")
        words = h.k.split()
        if prepositional(words, src.tagcnt):
            for t in scores:
                if bare_noun(t, src.jp_pos):
                    scores[t] *= PREPOSITION_NOUN
        if len(words) > 1 and "verb" in src.lemmas.get(words[0], ()) and words[0] in self.evidence:
            head_verb_kanji(scores, self.head_terms(words[0]))
        # rare terms rank lower, but whether a term is shown at all is
        # decided on its score before (a phrase's terms are mostly
        # phrases, which JMdict does not mark)
        h.plain = plain = dict(scores)
        if " " not in h.k:
            for t in scores:
                scores[t] *= commonness_weight(t, src.priority, src.jp_pos)
        for t in list(scores):
            if len(origin[t]) == 2:
                scores[t] += AGREEMENT
                plain[t] += AGREEMENT
        if h.dom == "adj":
            self.nouns_as_adjectives(h)

    @staticmethod
    def nouns_as_adjectives(h):
        """Under an adjective, a noun term and its form with の are one
        term, with all that is known of both: the kanji a kana term stands
        for, how narrowed its gloss is, whether it is a name's."""
        for t, adjective in noun_as_adjective(h.scores, h.plain, h.origin):
            h.src_kanji.setdefault(adjective, set()).update(h.src_kanji.pop(t, ()))
            h.narrowed_by[adjective] = max(h.narrowed_by.get(adjective, 1.0),
                                           h.narrowed_by.pop(t, 1.0))
            h.as_name[adjective] = h.as_name.get(adjective, True) and h.as_name.pop(t, True)

    def choose(self, h, ranked):
        """The terms to show of the ranked ones, in the order to show them."""
        k, cp, plain = h.k, self.src.cp, h.plain
        top = max(plain.values())
        chosen = []
        seen = types.SimpleNamespace(kana=set(), kanji=set())
        slur = k.lower() in SLUR_HEADWORDS
        labelled = False
        # a headword all of whose terms EDICT marks vulgar (dickhead: 糞垂れ,
        # kick the bucket: くたばる) is not neutral and keeps them
        vulgar_hw = all(marked(t, self.src.offensive) and not marked(t, OFFENSIVE_JA)
                        for t, _ in ranked)
        for t, score in ranked:
            before = plain[t]       # the score before rare terms ranked lower
            if not vulgar_hw and self.is_offensive(h, t):
                if not slur or labelled:
                    continue
                t = SLUR_LABEL + t
                labelled = True
            if " " in k and other_language(k, t):
                continue
            if self.too_weak(h, t, before, chosen, top):
                continue
            if not slur:
                t = mended_term(t, self.src.readings, self.src.jp_common)
                if t is None:
                    continue
            t = t.replace(",", "\u3001").replace("\t", " ").strip()
            if not t or t in chosen or not cp.term_ok(t):
                continue
            if not new_spelling(t, h.src_kanji, self.src.readings, seen):
                continue
            chosen.append(t)
            if len(chosen) >= MAX_TERMS:
                break
        if slur and chosen and not labelled:
            chosen[0] = SLUR_LABEL + chosen[0]
        return kana_before_twin(chosen, self.src.readings,
                                {t for t in chosen if h.src_kanji.get(t)})

    def is_offensive(self, h, t):
        """Whether EDICT marks t offensive."""
        offensive = self.src.offensive
        # the kana spelling of such a term (ろう from 聾) goes with it
        return marked(t, offensive) or (
            h.src_kanji.get(t) and h.src_kanji[t] <= offensive and "fd" not in h.origin[t])

    def too_weak(self, h, t, before, chosen, top):
        """Whether t's score before is too weak beside the terms chosen."""
        # EDICT-only noise control (the best candidate is always kept)
        # (a narrowed gloss ranks lower but is as good a term: get
        # through (a difficult period): 乗り切る)
        if chosen and h.origin[t] == {"ed"} and \
                before * h.narrowed_by.get(t, 1.0) < max(0.9, top * 0.25):
            return True
        # any source: weak tail candidates once two terms are chosen
        return len(chosen) >= 2 and before < top * self.args.tail
