"""Pure rules on Japanese terms, for the dictionary builder.

Cleaning Wiktionary debris and fitting terms to code page 932; the
weights of JMdict's priority marks, of EDICT's glosses and spellings; one
term of a word's several forms and spellings; the endings an adjective
takes under an English word and its adverb forms; British and American
spelling twins; the terms of related, lacking and ordinal words; the cap
on a meaning.  Nothing here reads a file.
"""
import collections
import re
import unicodedata

MAX_TERMS = 8          # Japanese terms per meaning
MAX_MEANING_BYTES = 120  # CP932 bytes per meaning field (cut at term edge)

KANA_ONLY = re.compile(r"^[\u3040-\u30ff\u30fc・ー]+$")
KANJI = re.compile(r"[\u3400-\u9fff\uf900-\ufaff\u3005]")
KATA_ONLY = re.compile(r"^[\u30a1-\u30fa\u30fc\u30fb]+$")

# kana written between two kanji of a compound verb: 引き出す, not 引出す
INNER_OKURIGANA = re.compile(r"(?<=[\u3400-\u9fff])[\u3040-\u309f]+(?=[\u3400-\u9fff])")
LAST_PART = re.compile(r"[\u3400-\u9fff][\u3040-\u309f]*$")

# Characters outside CP932 that have a CP932 twin (verified with Python's
# cp932 codec).  U+301C/U+2212/U+2016 are encodable by Python (lossy: they
# decode back as U+FF5E/U+FF0D/U+2225) but are normalised here anyway so
# that the Unicode text we measure equals what the program will read.
CP932_FIX = {
    "\u301c": "\uff5e", "\u2212": "\uff0d", "\u2016": "\u2225",
    "\u2014": "\u2015", "\u00b7": "\u30fb", "\u00a0": " ",
    "\u00a2": "\uffe0", "\u00a3": "\uffe1", "\u00ac": "\uffe2",
    "\u3094": "\u30f4", "\u3095": "\u30f5", "\u3096": "\u30f6",
    # JIS X 0213 / traditional forms -> JIS X 0208 forms
    "頰": "頬", "塡": "填", "剝": "剥", "\U00020b9f": "叱", "嚙": "噛",
    "囊": "嚢", "醬": "醤", "虛": "虚", "吳": "呉", "瀆": "涜", "蠟": "蝋",
    "鷗": "鴎", "摑": "掴", "攢": "攅", "蔣": "蒋", "禱": "祷", "繫": "繋",
    "鹼": "鹸", "莲": "蓮", "麴": "麹", "俱": "倶", "屛": "屏", "幷": "并",
    "搔": "掻", "瘦": "痩", "顚": "顛",
}

VERB_POS = re.compile(r"^(v1|v5|vs|vk|vz|vi|vt|vn|vr|v2|v4|v1-s)")

WIKI_LINK = re.compile(r"\[\[(?:[^\[\]|]*\|)?([^\[\]|]*)\]\]")
ELLIPSIS = re.compile(r"^(?:\.{2,}|…+)")
NUMERAL_PAIR = re.compile(r"(?<=[一二三四五六七八九])[、,]\s*(?=[二三四五六七八九十])")
ROMAJI_NOTE = re.compile(r"\s*[(（][a-z][a-z' .-]*[)）]")
# a full stop left at either end of a Japanese term (俗っぽい., .婚外性交),
# or the hyphen of an affix (-湖, 幾-), which no line marks
STRAY_STOP = re.compile(r"(?<=[\u3040-\u9fff])[.-]$|^[.-](?=[\u3040-\u9fff])")
# an English note before the term (Japanese surname 佐藤)
ENGLISH_NOTE = re.compile(r"^[A-Za-z][A-Za-z ]*[a-z] +(?=[\u3040-\u9fff])")


def term_priority(t, priority, jp_pos=None):
    """priority_of a term, or of its stem when the builder gave it an
    ending (発明する, 静かな, 特有の, 静かに) or it is the stem's
    adjective (衝動的); an adjective's adverb (悲しく) by the adjective,
    when jp_pos says the い form is one and the く form no verb (集く
    is not 集い's)."""
    if t in priority:
        return priority[t]
    for end in ("する", "な", "の", "に", "的"):
        if t.endswith(end) and t[:-len(end)] in priority:
            return priority[t[:-len(end)]]
    adjective = t[:-1] + "い"
    if t.endswith("く") and adjective in priority and jp_pos is not None and \
            "adj-i" in jp_pos.get(adjective, ()) and \
            not any(VERB_POS.match(p) for p in jp_pos.get(t, ())):
        return priority[adjective]
    return 0.0


def commonness_weight(t, priority, jp_pos=None):
    """RARE_TERM for a term JMdict leaves unmarked, rising to 1 for one
    on a first list or in a newspaper frequency band."""
    return RARE_TERM + (1 - RARE_TERM) * min(1.0, term_priority(t, priority, jp_pos) / FIRST_LIST)


def clean_term(t):
    """Wiktionary debris: [[link|text]] -> text; a romanisation in brackets
    (マニュアル読め (manyuaru yome)), a stray full stop or affix hyphen
    (俗っぽい., -湖) and an English note before the term (Japanese surname
    佐藤) dropped; a term with template remains ({{, }}) dropped; a numeral
    pair closed up (二、三の: 二三の)."""
    t = WIKI_LINK.sub(lambda m: m.group(1), t)
    t = ROMAJI_NOTE.sub("", t).strip()
    t = ENGLISH_NOTE.sub("", STRAY_STOP.sub("", t))
    # the slot of a phrase's object: ...の前に, …の代わりに -> ～の前に
    t = ELLIPSIS.sub("～", t)
    # 、 separates a line's terms: two or three is written 二三, not 二、三
    t = NUMERAL_PAIR.sub("", t)
    if re.search(r"[{}\[\]|]", t):
        return ""
    return t


LANGUAGES = {"english": "英語", "japanese": "日本語", "french": "フランス語",
             "german": "ドイツ語", "chinese": "中国語", "spanish": "スペイン語",
             "italian": "イタリア語", "russian": "ロシア語", "korean": "韓国語"}


def other_language(headword, term):
    """Phrasebook entries translated for the other side: 'do you speak
    English' given as 日本語が話せますか.  True when the term names a
    language the English headword does not."""
    words = set(re.findall(r"[a-z]+", headword.lower()))
    if not words & set(LANGUAGES):
        return False
    return any(ja in term for en, ja in LANGUAGES.items() if en not in words)


# Ranking weights, measured on the judged lists as a whole (measure.py):
# a phrasal verb's terms that share a kanji with its verb's first terms; a
# kanji that fewer common EDICT entries use than this counts as rare when
# spellings compete.
HEAD_VERB_KANJI = 2.0
COMMON_KANJI_USE = 20

# terms a frequent word lacking in both sources takes from its synonym
SYNONYM_TERMS = 3

# a verb's term made from the verbal noun of a noun derived from it
DERIVED_VS = 0.7
# how strong the best of them must be for a word the sources lack
LACKING_WORD_NEED = 0.9

# the weight of a word's term that JMdict does not mark as common (家従,
# 仮小屋), against 1 for one on a first list (執事 spec, 小屋 news1)
RARE_TERM = 0.6
FIRST_LIST = 0.4
# an -ly adverb's terms made from its adjective's first two (sad: 悲しい
# -> sadly: 悲しく): a fair gloss, which a strong one of its own still beats
DERIVED_ADVERB = (1.0, 0.6)


def gloss_weight(common, sense_index, gloss_index, gloss_count):
    """Weight of an entry's gloss: the gloss_index-th of its sense's
    gloss_count glosses, of the sense_index-th sense (both from 0)."""
    weight = 3.0 if common else 1.0
    weight /= 1 + 0.5 * sense_index
    weight /= 1 + 0.3 * gloss_index
    if gloss_count > 3:
        weight *= (3.0 / gloss_count) ** 0.5
    return weight


IRREGULAR_SPELLING = {"iK", "io", "oK", "ik", "ok"}


def spelling_preference(kanji, common, senses, kanji_use, common_words=()):
    """Sort key among the spellings of one EDICT entry: a regular one; a
    common one; for a
    verb the one with its kana between the kanji (引き出す, not 引出す) and
    whose last part is spelled as the common verb is (使い果たす like
    果たす, not 使い果す; 行う, not 行なう); fewer kana (綺麗 before
    きれい); common kanji (使い果たす, not 遣い果たす)."""
    nkana = sum(1 for c in kanji if "\u3040" <= c <= "\u30ff")
    rarest = min((kanji_use[c] for c in kanji if KANJI.match(c)), default=0)
    inner = tail = 0
    if any(VERB_POS.match(t) for sn in senses for t in sn[0]):
        inner = len(INNER_OKURIGANA.findall(kanji))
        m = LAST_PART.search(kanji)
        tail = bool(m and m.group(0) in common_words)
    # a spelling EDICT marks irregular (水溜 (io) beside 水溜まり) never
    # stands for the entry: its senses are left out
    irregular = bool(senses and senses[0][1] & IRREGULAR_SPELLING)
    return (irregular, not common, -inner, -tail, nkana, -min(rarest, COMMON_KANJI_USE),
            len(kanji))


def has_common_senses(fd_entries, edict):
    """Do the sources give senses of the lower-case word (a FreeDict entry
    or an EDICT gloss not capitalised)?  Then a name's senses (Cologne:
    ケルン) count less than the word's own (cologne: オーデコロン)."""
    return any(not cap for _, _, cap in fd_entries) or any(
        not fl["cap"] for _, fl in edict.values())


def main_pos(tagged, wn_pos):
    """The part of speech a word mostly has: the one with most tagged senses
    in WordNet, else the only one WordNet gives it (seduce: verb), else
    None."""
    if tagged and max(tagged.values()) > 0:
        return max(tagged, key=lambda p: (tagged[p], p))
    return next(iter(wn_pos)) if len(wn_pos) == 1 else None


def rank_terms(scores, names):
    """Terms best first; a lower-case headword's own senses all come before
    the names among them (cologne: オーデコロン before ケルン; moor: 原野
    before ムーア人)."""
    return sorted(scores.items(), key=lambda x: (x[0] in names, -x[1]))


def merge_forms(scores, origin, noun_word):
    """X and Xする / Xな are one term: the longer form takes both scores,
    except that a word mostly used as a noun keeps the noun (experiment:
    実験, not 実験する); so are Xな and Xの."""
    for t in list(scores):
        for suf in ("する", "な"):
            if t + suf in scores and t in scores:
                keep, drop = (t, t + suf) if suf == "する" and noun_word else (t + suf, t)
                scores[keep] += scores.pop(drop)
                origin[keep] |= origin.pop(drop)
    # one adjective spelled with な by one entry and の by another (一杯)
    # is one term, in the form the stronger gives
    for t in list(scores):
        if t.endswith("な") and t[:-1] + "の" in scores:
            keep, drop = sorted((t, t[:-1] + "の"), key=lambda x: -scores[x])
            scores[keep] += scores.pop(drop)
            origin[keep] |= origin.pop(drop)


def noun_as_adjective(scores, plain, origin):
    """Under a word used mostly as an adjective, X and Xの are one term,
    Xの (hairless: 無毛の, not 無毛), as strong as the stronger of the two:
    a noun's gloss is as often not the adjective's as it is (FreeDict's
    無所属 is an independent candidate), so the two do not add up.  The
    pairs (X, Xの) merged, for what else is known of X to go to Xの."""
    merged = []
    for t in list(scores):
        if t + "の" in scores:
            for d in (scores, plain):
                d[t + "の"] = max(d[t + "の"], d.pop(t))
            origin[t + "の"] |= origin.pop(t)
            merged.append((t, t + "の"))
    return merged


def says_the_opposite(k, t, lemmas, jp_pos):
    """Whether t, a FreeDict term of the adjective k, says the opposite of
    it: k has a negative prefix before a word of its own and t is the plain
    verb of that word (unbelievable: 信じる, indelible: 消す), with no
    negation of its own (食えない)."""
    m = re.match(r"(un|in|im|il|ir|non)(?=[a-z]{4})", k)
    if not m or k[m.end():] not in lemmas or re.search(r"(ない|ず|ぬ)$", t):
        return False
    return t.endswith("する") or any(VERB_POS.match(p) and p != "vs" for p in jp_pos.get(t, ()))


def head_verb_kanji(scores, verb_terms):
    """A phrasal verb's terms that share a kanji with its verb's own first
    terms count more (send back: 送り返す before 帰す; write down:
    書き留める)."""
    vk = {c for t in verb_terms for c in t if KANJI.match(c)}
    for t in scores:
        if vk & set(t):
            scores[t] *= HEAD_VERB_KANJI


def noun_terms(nouns, inv, suffix, weight, jp_pos=None):
    """Terms a word takes from the nouns WordNet relates to it (noun ->
    the terms that may be taken, or None for all): those EDICT noun terms
    with the suffix (invention: 発明 -> 発明する,
    only a verbal noun when jp_pos is given; cosmos: 宇宙 -> 宇宙の),
    weighted; term -> (weight, EDICT spelling)."""
    out = {}
    for n, first in sorted(nouns.items()):
        for t, (score, flags) in inv.get(n, {}).items():
            if "noun" not in flags["epos"] or flags["cap"] or \
                    (first is not None and t not in first):
                continue
            if jp_pos is not None and "vs" not in jp_pos.get(t, ()):
                continue
            score *= weight * (0.5 if KATA_ONLY.match(t) else 1.0) * \
                (0.2 if flags["loan"] else 1.0)
            if score > out.get(t + suffix, (0, ""))[0]:
                out[t + suffix] = (score, flags["kanji"])
    return out


def verbal_nouns(nouns, inv, jp_pos):
    """A verb's terms from the nouns derived from it: their verbal nouns
    with する (invention: 発明 -> 発明する), weighted DERIVED_VS."""
    return noun_terms(nouns, inv, "する", DERIVED_VS, jp_pos)


# EDICT tags of a word that is a noun and nothing else (前, せい, ため)
NOMINAL_TAGS = {"n", "n-adv", "n-t", "adj-no", "n-suf", "n-pref", "suf", "pref", "pn",
                "num", "ctr"}
PREPOSITIONS = set("""of to for from with at by in on about into onto upon than
toward towards""".split())


def prepositional(words, tagcnt):
    """Is a phrase a compound preposition (because of, due to, in front
    of), not a phrasal verb (look for) or a noun phrase?"""
    if words[-1] not in PREPOSITIONS or len(words) < 2:
        return False
    return main_pos(tagcnt.get(words[0]) or {}, ()) != "verb"


def bare_noun(t, jp_pos):
    """A term that is only a noun (前, せい): it cannot stand for a
    compound preposition, which needs its particle (の前に, のせいで)."""
    tags = jp_pos.get(t)
    return bool(tags) and tags <= NOMINAL_TAGS


def adjective_ending(t, adj_na, no_first, adverb, tags, head):
    """The ending an adjectival noun (adj_na) takes under an English word
    used mostly as head ("adj", "adv" or None): 静かな; 特有の where
    EDICT lists adj-no first (no_first); quietly: 静かに, unless the sense
    is an adverb as it stands (adverb: 正直).  No ending for an adj-i
    (tags), a loanword or a term that has its ending."""
    if not adj_na or "adj-i" in tags or KATA_ONLY.match(t) or t.endswith(("な", "の", "に")):
        return ""
    if head == "adv":
        return "" if adverb else "に"
    if head == "adj":
        return "の" if no_first else "な"
    return ""


def as_adverb(t, tags, adverb, head):
    """An adjective (adj-i in tags) under an English word used mostly as an
    adverb is put in its adverb form, unless the term may stand as it is
    (adverb: its sense is an adverb, or the English word is an adjective
    too, as fast: 早い): significantly: 著しく, not 著しい."""
    if head == "adv" and not adverb and "adj-i" in tags and t.endswith("い"):
        return t[:-1] + "く"
    return t


def adjective_form(t, adj_na, no_first, adverb, tags, head, adjective_too):
    """A term as it stands under the English word: adjective_ending added,
    then as_adverb, which leaves the term alone when the English word is
    an adjective too (adjective_too)."""
    t += adjective_ending(t, adj_na, no_first, adverb, tags, head)
    return as_adverb(t, tags, adverb or adjective_too, head)


def ly_bases(w):
    """The words an -ly adverb may be made from: sad (sadly), happy
    (happily), simple (simply), gentle (gently), idle (idly), basic
    (basically), full (fully), true (truly), whole (wholly)."""
    if not w.endswith("ly"):
        return []
    cands = [w[:-2], w[:-3] + "y" if w.endswith("ily") else None,
             w[:-1] + "e" if re.search(r"[^aeiouy]ly$", w) else None,
             w[:-4] if w.endswith("ally") else None,
             w[:-1] if w.endswith("lly") else None,
             w[:-2] + "e" if w.endswith(("uly", "olly")) else None]
    return [b for b in cands if b]


def adverb_terms(adjective_terms, jp_pos):
    """The adverbs of an adjective's terms: 安全な -> 安全に, 無限の ->
    無限に (an adjectival noun EDICT lists with の first), 早い -> 早く;
    other terms have none.  A doubled kana word that is an adverb as it
    stands (ふらふらな, まあまあな) is its own adverb: ふらふら, not ふらふらに."""
    out = []
    for t in adjective_terms:
        if t.endswith("な") and len(t) > 1 or \
                t.endswith("の") and "adj-na" in jp_pos.get(t[:-1], ()):
            stem = t[:-1]
            half = len(stem) // 2
            mimetic = len(stem) % 2 == 0 and stem[:half] == stem[half:] and \
                KANA_ONLY.match(stem) and {"adv", "adv-to"} & set(jp_pos.get(stem, ()))
            out.append(stem if mimetic else stem + "に")
        elif (adverb := as_adverb(t, jp_pos.get(t, ()), False, "adv")) != t:
            out.append(adverb)
    return out


def adverb_scores(adjective_terms, jp_pos, weights=DERIVED_ADVERB):
    """What an -ly adverb takes from its adjective's first terms: the
    adverbs of those, scored by place (sad: 悲しい -> sadly: 悲しく); none
    from a set phrase (故無しとしない) or a verb's potential (信じられない)."""
    out = {}
    for a, score in zip(adjective_terms, weights):
        if "exp" in jp_pos.get(a, ()) or a.endswith("られない"):
            continue
        for t in adverb_terms([a], jp_pos):
            out[t] = out.get(t, 0.0) + score
    return out


# British spellings and their American twins, as regular expressions on
# the British word; the stem before them must be this long so that four,
# filling and rise are not taken for spellings of for, filing and rize
BRITISH_SPELLINGS = [(re.compile(r"(?<=^.{3})(.*)our"), r"\1or"),        # colour, favourite
                     (re.compile(r"(?<=^.{4})(.*)ll(ing|ed|er|ous)$"), r"\1l\2"),
                     (re.compile(r"ellery$"), "elry"),                   # jewellery
                     (re.compile(r"(?<=^.{3})(.*)is(e|ed|es|ing|ation)$"), r"\1iz\2"),
                     (re.compile(r"(?<=^.{2})(.*)ys(e|ed|es|ing)$"), r"\1yz\2"),
                     (re.compile(r"(?<=^.{2})(.*)tre$"), r"\1ter"),             # centre, theatre
                     (re.compile(r"(?<=^.{2})(.*)ence$"), r"\1ense"),           # defence
                     (re.compile(r"(?<=^.{3})(.*)ogue$"), r"\1og"),             # catalogue
                     (re.compile(r"(?<=^.{4})(.*)mme$"), r"\1m"),               # programme
                     (re.compile(r"(?<=^.{3})(.*)eable$"), r"\1able")]          # likeable


def spelling_twins(words):
    """word -> the other spellings of it among words, British and American
    (colour, color; realise, realize; marvellous, marvelous): one word,
    whose senses either spelling's sources give."""
    out = collections.defaultdict(set)
    for w in words:
        for rule, american in BRITISH_SPELLINGS:
            v = rule.sub(american, w, count=1)
            if v != w and v in words:
                out[w].add(v)
                out[v].add(w)
    return out


def relation_adjective(w):
    """Can w be an adjective of relation, "of X"?  Not one that means
    without X (cordless), like or full of X (grubby, loopy, but dietary,
    auditory), or a verb's form (orchestrated, triangulate)."""
    if w.endswith(("less", "ed", "ing", "ate")):
        return False
    return not w.endswith("y") or w.endswith(("ary", "ory"))


def lacking_word_terms(found, need=LACKING_WORD_NEED, n=SYNONYM_TERMS):
    """The terms a word lacking in both sources takes from noun_terms:
    only when one is about as strong as a common entry's first gloss makes
    it, and of the others those at least half as strong, at most n; no
    bare loanword."""
    # a bare loanword with する (オプションする) is no verb one says
    ranked = sorted((t for t in found if not KATA_ONLY.match(t[:-2] if t.endswith("する")
                                                          else t.removesuffix("の"))),
                    key=lambda t: (-found[t][0], t))
    if not ranked or found[ranked[0]][0] < need:
        return []
    return [t for t in ranked if found[t][0] >= found[ranked[0]][0] * 0.5][:n]


def kana_before_twin(chosen, readings, usually_kana):
    """A kana term ranked above its kanji twin (すべて ... 全て) is one term:
    it keeps the kana's place, spelled in kana when EDICT says the word is
    usually written so, otherwise in kanji."""
    def stem(t):
        return t.removesuffix("する").removesuffix("な")
    out = []
    dropped = set()
    for i, t in enumerate(chosen):
        if t in dropped:
            continue
        if KANA_ONLY.match(stem(t)):
            twin = next((c for c in chosen[i + 1:] if c not in dropped and kata2hira(stem(t)) in
                         {kata2hira(r) for r in readings.get(stem(c), ())}), None)
            if twin is not None:
                dropped.add(twin)
                if t not in usually_kana:
                    t = twin
        out.append(t)
    return out


def one_spelling(t, respell, common, unify, irregular=()):
    """FreeDict's term t and EDICT's reading of the same entry are one
    term, with both sources' support, when they differ in kana only
    (日暮, 日暮れ; 物差し, 物差), or when t is a rare spelling of EDICT's
    common one (取り換える: 取り替える); spelled as FreeDict does when that
    is common or EDICT's is not, and EDICT does not mark it irregular
    (狂しい: 狂おしい).  Spellings with kanji of their own that
    are common too stay apart (闘う, 戦う; 昇る, 上る).  Notes EDICT's
    spelling -> the one chosen in unify; returns the one chosen."""
    p = respell.get(t)
    if p is None:
        return t
    same = KANJI.findall(t) == KANJI.findall(p)
    if t in irregular:
        unify[p] = p
    elif t in common or (same and p not in common):
        if not same:
            return t
        unify[p] = t
    elif p in common:
        unify[p] = p
    else:
        return t
    return unify[p]


def unified(t, unify):
    """EDICT's term t as one_spelling chose to spell it, also with する."""
    if t in unify:
        return unify[t]
    if t.endswith("する") and t[:-2] in unify:
        return unify[t[:-2]] + "する"
    return t


class CP932Stats:
    def __init__(self):
        self.fixed = collections.Counter()
        self.dropped_terms = collections.Counter()
        self.bad_chars = collections.Counter()
        self.garbage = 0

    def fix(self, s):
        if re.search("[\uff61-\uff9f]", s):   # half-width katakana
            self.fixed["half-width kana"] += 1
            s = re.sub("[\uff61-\uff9f]+", lambda m: unicodedata.normalize("NFKC", m.group(0)), s)
        out = []
        for c in s:
            if c in CP932_FIX:
                self.fixed[c] += 1
                out.append(CP932_FIX[c])
            else:
                out.append(c)
        return unicodedata.normalize("NFC", "".join(out))

    def term_ok(self, t):
        try:
            t.encode("cp932")
            return True
        except UnicodeEncodeError:
            for c in t:
                try:
                    c.encode("cp932")
                except UnicodeEncodeError:
                    self.bad_chars[c] += 1
            self.dropped_terms[t] += 1
            return False


ORDINALS = dict(zip("""first second third fourth fifth sixth seventh eighth ninth
    tenth eleventh twelfth thirteenth fourteenth fifteenth sixteenth seventeenth
    eighteenth nineteenth""".split(), range(1, 20)))
ORDINALS.update(zip("""twentieth thirtieth fortieth fiftieth sixtieth seventieth
    eightieth ninetieth""".split(), range(20, 100, 10)))
ORDINALS.update(hundredth=100, thousandth=1000, millionth=1000000)
KANJI_DIGITS = "一二三四五六七八九"


def kanji_number(n):
    """A number below 100, or 100, 1000, a million, in kanji (十一, 二十)."""
    big = {100: "百", 1000: "千", 1000000: "百万"}
    if n in big:
        return big[n]
    tens, ones = divmod(n, 10)
    return ((KANJI_DIGITS[tens - 1] if tens > 1 else "") + ("十" if tens else "")
            + (KANJI_DIGITS[ones - 1] if ones else ""))


def ordinal_terms(w):
    """An ordinal number's terms: 第三, 三番目 for third; [] for any other
    word."""
    n = ORDINALS.get(w)
    return ["第" + kanji_number(n), kanji_number(n) + "番目"] if n else []


def capped_meaning(terms):
    """Terms joined with 、, at most MAX_TERMS and MAX_MEANING_BYTES."""
    out = []
    for t in dict.fromkeys(terms):
        if len(out) == MAX_TERMS or len("\u3001".join(out + [t]).encode("cp932")) > \
                MAX_MEANING_BYTES:
            break
        out.append(t)
    return "\u3001".join(out)


def kata2hira(s):
    return "".join(chr(ord(c) - 0x60) if "\u30a1" <= c <= "\u30f6" else c for c in s)


# Derogatory morphemes that also live inside compounds EDICT does not mark
# (東支那海, 北米土人, めくらへび, 癩病, 不具にする): a reviewed list, as no
# source marks the compounds.  Place names write 支那 as シナ today.
DEROGATORY_MORPHEMES = ("支那", "土人", "めくら", "癩", "河原者", "不具")
MORPHEME_MENDS = {"支那": "シナ"}


def derogatory_morpheme(t, common):
    """The derogatory morpheme t holds as a unit, or None.  One that a
    common word crosses is no unit: 本土人 is 本土 + 人, 不具合 不 + 具合.
    Kana morphemes count in katakana too (メクラヘビ)."""
    th = kata2hira(t)
    for m in DEROGATORY_MORPHEMES:
        a = th.find(m)
        while a >= 0:
            b = a + len(m)
            if not any(t[j:k] in common for j in range(len(t)) for k in range(j + 2, len(t) + 1)
                       if j < a < k < b or a < j < b < k):
                return m
            a = th.find(m, a + 1)
    return None


def mended_term(t, readings, common):
    """t, or t without its derogatory morpheme: the katakana reading EDICT
    gives (印度支那: インドシナ), or the mended spelling (東支那海: 東シナ海);
    None when nothing can stand for it (北米土人, 癩病)."""
    if derogatory_morpheme(t, common) is None:
        return t
    for r in sorted(readings.get(t, ())):
        if re.search(r"[\u30a1-\u30fa]", r) and derogatory_morpheme(r, common) is None:
            return r
    for m, new in MORPHEME_MENDS.items():
        t = t.replace(m, new)
    return t if derogatory_morpheme(t, common) is None else None
