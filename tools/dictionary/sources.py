"""Reading the dictionary builder's inputs.

FreeDict's dictd files, EDICT (parsed and inverted to English keys, with
its spellings and register marks), JMdict's priority marks, WordNet's
exception lists, lemmas, synonyms and derived words, CMUdict, the word
frequencies and the names among them; load_sources() loads them all.
"""
import collections
import gzip
import json
import os
import re
import sys
import time
import types

import inputs
import wordnet_index

from term_rules import (CP932Stats, IRREGULAR_SPELLING, KANA_ONLY, KANJI, VERB_POS, clean_term,
                        gloss_weight, spelling_preference)

B64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"
JP_RE = re.compile(r"[\u3040-\u30ff\u3400-\u9fff\uf900-\ufaff\uff66-\uff9f\u3005\u3006\u30fc]")

# EDICT sense tags that make a sense unsuitable as a default translation
BAD_MISC = {"arch", "obs", "obsc", "rare", "X", "vulg", "sl", "net-sl",
            "derog", "sens", "joc", "male", "fem", "chn", "poet", "dated",
            "hist", "ok", "oK", "iK", "ik", "io", "proverb", "yoji", "id",
            "m-sl", "MA", "hanaf", "mahj", "shogi", "Buddh", "Shinto",
            "Christn", "litf", "fam"}
DOMAIN = {"comp", "food", "med", "sumo", "baseb", "law", "math", "ling",
          "physics", "chem", "biol", "astron", "music", "sports", "anat",
          "geol", "mil", "bot", "zool", "finc", "econ", "engr", "archit",
          "golf", "tradem", "on-mim", "abbr", "col", "hon", "hum", "pol"}
GRAM_ONLY = {"suf", "pref", "prt", "ctr", "n-suf", "n-pref", "aux", "aux-v",
             "aux-adj", "cop", "unc"}

EDICT_TAG = re.compile(r"^\(([^()]*)\)\s*")
WORD_POS = {"n", "adj-i", "adj-na", "adj-no", "adj-pn", "adj-t", "adj-f", "adv",
            "adv-to", "exp", "int", "conj", "pn", "num", "n-adv", "n-t", "adj-ix",
            "adj-ku", "adj-shiku", "adj-nari", "n-pr"} | GRAM_ONLY
VERB_TAG = re.compile(r"v(1|1-s|2[a-z]-[ks]|4[a-z]|5[a-z]{1,3}(-[is])?|s|s-[cis]|[iktnrz])")
# EDICT's other tags (register, field, a name's kind, dialect as "ksb:");
# any other word in an entry's leading brackets is gloss text that narrows
# the sense ("(necessary) personnel", "(wedding) cake")
MISC_TAGS = BAD_MISC | DOMAIN | set("""abbr ateji gikun uk uK eK quote aphorism
    male-sl person art Buddh agric audvid aviat biochem cryst ecol electr embryo
    ent fish gardn genet geogr geom gramm mech met ornith paleo pathol pharm
    phil photo physiol print psych rail stat telec vidg""".split())
DIALECT_TAG = re.compile(r"[a-z]{2,4}:")


def edict_tag(t):
    """Is t one of EDICT's own tags, not a word of a gloss?"""
    return t.isdigit() or t in WORD_POS or t in MISC_TAGS or bool(
        VERB_TAG.fullmatch(t) or DIALECT_TAG.fullmatch(t))


def log(*a):
    print(*a, file=sys.stderr)


# ---------------------------------------------------------------- FreeDict
def b64(s):
    n = 0
    for c in s:
        n = n * 64 + B64.index(c)
    return n


def load_freedict(index_path, dict_path):
    """-> list of dicts {hw, pos, senses:[[terms...], ...], ipa}"""
    with open(dict_path, "rb") as f:
        raw = f.read()
    data = gzip.decompress(raw) if dict_path.endswith(".dz") else raw
    out = []
    seen = set()
    with open(index_path, encoding="utf-8") as f:
        for line in f:
            hw, off, ln = line.rstrip("\n").split("\t")
            if hw.startswith("00database"):
                continue
            key = (off, ln)
            if key in seen:
                continue
            seen.add(key)
            body = data[b64(off):b64(off) + b64(ln)].decode("utf-8")
            lines = body.split("\n")
            first = lines[0]
            m = re.search(r"<([^>]*)>\s*$", first)
            pos = m.group(1) if m else ""
            head = re.split(r"\s+/", first, 1)[0].strip()
            if m and "/" not in first:
                head = first[:m.start()].strip()
            ipa = re.findall(r"/+([^/]+)/+", first)
            senses = []
            for ln_ in lines[1:]:
                if not JP_RE.search(ln_):
                    continue  # English gloss / note / bare sense number
                t = re.sub(r"^\s*\d+\.\s*", "", ln_)
                t = re.sub(r"\s+\d+\.\s*$", "", t)
                # "失った (うしなった)": the reading in brackets is dropped
                t = re.sub(r"\s*[(（][\u3040-\u30ff・ー]+[)）]?", "", t)
                terms = [x.strip() for x in t.split(", ") if x.strip()]
                terms = [x for x in terms
                         if x.count("(") == x.count(")") and x.count("（") == x.count("）")]
                terms = [clean_term(x) for x in terms]
                terms = [x for x in terms if x and JP_RE.search(x)]
                if terms:
                    senses.append(terms)
            out.append({"hw": head, "pos": pos, "senses": senses, "ipa": ipa})
    return out


# the first line of an entry: its spellings, each with its marks and a
# transcription between slashes
HEADWORD_LINE = re.compile(r"^\s*(?:\[\w+\]\s*|\(\)\s*)*[^\s/,()\[\]]+ /[^/]*/(?:,|$)")
PRIORITY_TAG = re.compile(r"\[(news|ichi|spec|gai)([12])\]|\[nf(\d\d)\]")


def priority_of(tags):
    """How common JMdict's frequency marks say a word is, 0 to 1: by its
    band of 500 words in newspaper text (nf01: 1, nf48: 0.02), but at
    least 0.4 for a word on a first list (ichi1, news1, spec1, gai1) and
    0.2 on a second; 0 without marks."""
    bands = [int(nf) for _, _, nf in tags if nf]
    lists = [int(n) for src, n, _ in tags if src]
    listed = {1: 0.4, 2: 0.2}[min(lists)] if lists else 0.0
    return max(1 - (min(bands) - 1) / 48 if bands else 0.0, listed)


def load_priority(dict_path):
    """Japanese spelling -> priority_of its entry's marks, from the headword
    lines of FreeDict's JMdict (" [ichi1]  [nf01]  職員 /.../,  [ichi1]
    [nf01] しょくいん /.../"); every spelling of an entry takes the entry's
    highest, a spelling of several entries the highest of theirs; a kana
    reading of written words the lowest of theirs."""
    with open(dict_path, "rb") as f:
        raw = f.read()
    text = (gzip.decompress(raw) if dict_path.endswith(".dz") else raw).decode("utf-8")
    out = {}
    readings = collections.defaultdict(list)
    for line in text.split("\n"):
        if not HEADWORD_LINE.match(line):
            continue
        spellings = []
        best = 0.0
        for seg in re.sub(r"/[^/]*/", "", line).split(","):
            tags = PRIORITY_TAG.findall(seg)
            word = PRIORITY_TAG.sub("", seg).replace("()", "").strip()
            if word and " " not in word:
                spellings.append(word)
            best = max(best, priority_of(tags) if tags else 0.0)
        written = [w for w in spellings if not KANA_ONLY.match(w)]
        for w in written or spellings:
            out[w] = max(out.get(w, 0.0), best)
        if written:
            for w in spellings:
                if KANA_ONLY.match(w):
                    readings[w].append(best)
    # the reading of words written in kanji says how common the word is
    # only when one word has it (いぼ: 疣), not よう (様, 用, 癰...)
    for w, values in readings.items():
        if w not in out:
            out[w] = values[0] if len(values) == 1 else min(values)
    return out


# Derogatory or discriminatory terms EDICT does not mark (or marks only as
# "sensitive", which it also puts on neutral words such as 婦人 and 漁師);
# reviewed by hand.  A neutral headword never gets them.
OFFENSIVE_JA = set("""土人 盲 聾 唖 めくら つんぼ おし 気違い きちがい キチガイ 気狂い
気違いじみる びっこ ちんば 跛 かたわ 片輪 不具 不具者 白痴 毛唐 支那人 シナ人 チャンコロ
ちゃんころ 第三国人 三国人 鮮人 チョン 穢多 非人 黒ん坊 黒んぼ くろんぼ 黒奴 ニガー ジャップ
低能 知恵遅れ 精薄 精神薄弱 めくらうなぎ 傴僂 せむし オカマ おかま ホモ レズ 文盲 乞食 ポコペン
おなべ 尻もどき 盲人 盲目的""".split())


# ------------------------------------------------------------------ EDICT
def parse_edict_line(line):
    """-> (kanji, reading, common, senses) with senses = [(pos, misc, glosses)]"""
    try:
        head, rest = line.rstrip("\n").split(" /", 1)
    except ValueError:
        return None
    m = re.match(r"^(\S+)(?: \[(\S+)\])?\s*$", head)
    if not m:
        return None
    kanji, reading = m.group(1), m.group(2)
    fields = [x for x in rest.split("/") if x]
    common = False
    senses = []
    cur = None
    pos = set()
    for fld in fields:
        if fld == "(P)":
            common = True
            continue
        if fld.startswith("EntL"):
            continue
        tags = []
        s = fld
        while True:
            mm = EDICT_TAG.match(s)
            if not mm:
                break
            inner = mm.group(1)
            # stop at a parenthesis that is gloss text, e.g. "(tree) trunk"
            if not re.fullmatch(r"[A-Za-z0-9,:-]+", inner) or \
                    not all(edict_tag(t) for t in inner.split(",")):
                break
            tags.extend(inner.split(","))
            s = s[mm.end():]
        nums = [t for t in tags if t.isdigit()]
        postags = {t for t in tags if not t.isdigit() and
                   (VERB_TAG.fullmatch(t) or t in WORD_POS)}
        misc = {t for t in tags if not t.isdigit() and t not in postags}
        if postags:
            pos = postags
            # the adjective EDICT lists first is the usual one: 特有
            # (adj-no,adj-na) is 特有の, 特殊 (adj-na,adj-no) 特殊な
            if "adj-no" in tags and "adj-na" in tags and \
                    tags.index("adj-no") < tags.index("adj-na"):
                pos.add(NO_BEFORE_NA)
        if cur is None or nums:
            cur = (set(pos), set(misc), [])
            senses.append(cur)
        else:
            cur[1].update(misc)
        cur[2].append(s.strip())
    return kanji, reading, common, senses


def gloss_key(g, is_verb):
    g = re.sub(r"\([^()]*\)", " ", g)     # drop (e.g. ...), (something)
    g = re.sub(r"\([^()]*\)", " ", g)
    g = g.replace("\u2019", "'").strip()
    g = re.sub(r"\s+", " ", g).strip(" .!?;:")
    # acronyms / letter names ("IT", "A", "US") would hijack "it", "a", "us"
    if re.fullmatch(r"[A-Z][A-Z.'-]*", g) and g not in ("I", "OK"):
        return None, False
    low = g.lower()
    if is_verb and low.startswith("to ") and len(low) > 3:
        low = low[3:]
        verbish = True
    else:
        verbish = False
    if not re.fullmatch(r"[a-z][a-z' -]*[a-z.]|[a-z]", low):
        return None, False
    if len(low) > 40 or low.count(" ") > 4:
        return None, False
    return low, verbish


# words a gloss's brackets may hold without narrowing its sense: the slot of
# an object ("to take care of (someone)") or a particle ("to depend (on)")
SLOT_WORDS = set("""someone something somebody someone's something's one's oneself
person people a an the to of with on for from at by in into up out off over
about as that doing do sth s""".split())


def name_gloss(g):
    """Is the gloss a name ("Japan", "(ancient) Japan"), its brackets aside?"""
    g = re.sub(r"^(\([^()]*\)\s*)+", "", g)
    return g[:1].isupper() and g[:2] != "I "


def narrowed(g):
    """Does the gloss name what its sense is restricted to ("to put on
    (lower-body clothing)", "(of the tide) to come in")?  Such a sense is
    one use of the Japanese word, not a translation of the English one."""
    for inner in re.findall(r"\(([^()]*)\)", g):
        words = re.findall(r"[a-z']+", inner.lower())
        if not words or any(w not in SLOT_WORDS for w in words):
            return True
    return False


ROMA = {}
for _row in ("あa いi うu えe おo かka きki くku けke こko さsa しshi すsu せse そso "
             "たta ちchi つtsu てte とto なna にni ぬnu ねne のno はha ひhi ふfu へhe "
             "ほho まma みmi むmu めme もmo やya ゆyu よyo らra りri るru れre ろro "
             "わwa をo んn がga ぎgi ぐgu げge ごgo ざza じji ずzu ぜze ぞzo だda "
             "ぢji づzu でde どdo ばba びbi ぶbu べbe ぼbo ぱpa ぴpi ぷpu ぺpe ぽpo "
             "ぁa ぃi ぅu ぇe ぉo").split():
    ROMA[_row[0]] = _row[1:]


def romaji(kana):
    """Very small Hepburn romaniser, only used to spot loanwords FROM
    Japanese (gloss 'go' on 碁 ご) that must not outrank real senses."""
    s = "".join(chr(ord(c) - 0x60) if "\u30a1" <= c <= "\u30f6" else c
                for c in kana)
    out = ""
    i = 0
    while i < len(s):
        c = s[i]
        nx = s[i + 1] if i + 1 < len(s) else ""
        if nx and nx in "ゃゅょ" and c in ROMA:
            base = ROMA[c][:-1]
            if base in ("sh", "ch", "j"):
                out += base + {"ゃ": "a", "ゅ": "u", "ょ": "o"}[nx]
            else:
                out += base + {"ゃ": "ya", "ゅ": "yu", "ょ": "yo"}[nx]
            i += 2
            continue
        if c == "っ":
            r = ROMA.get(nx, "")
            out += r[:1]
        elif c == "ー":
            pass
        else:
            out += ROMA.get(c, "")
        i += 1
    collapsed = re.sub(r"ou|oo", "o", out)
    collapsed = re.sub(r"uu", "u", collapsed)
    return {out, collapsed}


ADJ_TAGS = {"adj-i", "adj-na", "adj-pn", "adj-t", "adj-f", "adj-ix", "adj-ku",
            "adj-shiku", "adj-nari"}
# marks a sense tagged adj-no before adj-na
NO_BEFORE_NA = "adj-no<adj-na"

# senses of a verb whose derived nouns count (the commonest come first)
DERIVED_SENSES = 3

# of how many of an adjective's first senses the noun it pertains to is
# taken, when the sources give only a loanword
PERTAINYM_SENSES = 2
# a gloss restricted by its brackets to one use
NARROW_GLOSS = 0.6


def load_edict(path):
    raw = open(path, "rb").read()
    text = raw.decode("euc_jp", errors="replace")
    entries = []
    for line in text.split("\n")[1:]:
        if not line.strip():
            continue
        r = parse_edict_line(line)
        if r:
            entries.append(r)
    return entries


def invert_edict(entries, spelled_as=None):
    """English key -> {jp_surface: (score, flags)}; plus jp info tables.
    spelled_as, when given, is filled with the spelling an entry is read in
    for each of its other spellings (日暮 -> 日暮れ)."""
    readings = collections.defaultdict(set)   # surface -> readings
    jp_pos = collections.defaultdict(set)     # surface -> pos tags
    jp_pos_p = set()
    jp_common = set()
    # variant de-duplication: same reading and same gloss text = 1 entry
    groups = collections.defaultdict(list)
    for kanji, reading, common, senses in entries:
        bad_kanji = re.search(r"\((iK|oK|ik|ok|io)\)", kanji)
        kanji = re.sub(r"\([^)]*\)", "", kanji)
        reading = re.sub(r"\([^)]*\)", "", reading) if reading else None
        if reading:
            readings[kanji].add(reading)
        for pos, misc, glosses in senses:
            # POS of a surface: from its (P) lines only, when it has any
            # (初 [はつ] (P) adj-no must not inherit adj-na from 初 [うぶ])
            for sf in filter(None, (kanji, reading)):
                if common and sf not in jp_pos_p:
                    jp_pos_p.add(sf)
                    jp_pos[sf] = set()
                if common or sf not in jp_pos_p:
                    jp_pos[sf].update(pos)
        if common:
            jp_common.add(kanji)
            if reading:
                jp_common.add(reading)
        if bad_kanji:
            continue
        sig = (reading or kanji, "/".join("/".join(s[2]) for s in senses))
        groups[sig].append((kanji, reading, common, senses))
    # how many common entries use each kanji: 使い果たす before 遣い果たす
    kanji_use = collections.Counter(c for kanji, _, common, _ in entries if common
                                    for c in set(kanji) if KANJI.match(c))
    inv = collections.defaultdict(dict)
    for sig, variants in groups.items():
        variants.sort(key=lambda v: spelling_preference(v[0], v[2], v[3], kanji_use, jp_common))
        kanji, reading, common, senses = variants[0]
        if spelled_as is not None:
            for v in variants:
                spelled_as[v[0]].add(kanji)
        rom = romaji(reading or kanji)
        for sense_index, (pos, misc, glosses) in enumerate(senses):
            if misc & BAD_MISC:
                continue
            if pos and pos <= GRAM_ONLY:
                continue
            surface = reading if ("uk" in misc and reading) else kanji
            is_verb = any(VERB_POS.match(t) for t in pos)
            gloss_count = len(glosses)
            for gloss_index, gloss in enumerate(glosses):
                key, verbish = gloss_key(gloss, is_verb)
                if not key:
                    continue
                score = gloss_weight(common, sense_index, gloss_index, gloss_count)
                if misc & DOMAIN:
                    score *= 0.5
                raw = score         # how strong a gloss it is, for admission
                if narrowed(gloss):
                    score *= NARROW_GLOSS
                loan = key.replace(" ", "").replace("-", "") in rom
                out = surface
                if verbish and "vs" in pos and not any(
                        re.match(r"^(v1|v5|vk|vz)", t) for t in pos):
                    out = surface + "する"
                if verbish:
                    epos = {"verb"}
                else:
                    epos = set()
                    if pos & ADJ_TAGS or "adj-no" in pos:
                        epos.add("adj")
                    if pos & {"adv", "adv-to", "n-adv"}:
                        epos.add("adv")
                    if pos & {"n", "n-t", "n-adv", "pn", "adj-no", "n-pr", "num"}:
                        epos.add("noun")
                    if not epos:
                        epos.add("other")
                flags = {"common": common, "adjna": "adj-na" in pos and not verbish,
                         "adjno": "adj-no" in pos and not pos & ADJ_TAGS and not verbish,
                         "no_first": NO_BEFORE_NA in pos,
                         "epos": epos, "loan": loan, "reading": reading,
                         "kanji": kanji, "cap": name_gloss(gloss)}
                prev = inv[key].get(out)
                if prev is not None:
                    raw = max(raw, prev[1]["raw"])
                    # a name only when every such gloss is one (バイブル:
                    # Bible, and bible, the authoritative book)
                    flags["cap"] = prev[1]["cap"] = flags["cap"] and prev[1]["cap"]
                flags["raw"] = raw
                if prev is None or prev[0] < score:
                    inv[key][out] = (score, flags)
                else:
                    prev[1]["raw"] = raw
    return inv, readings, jp_pos, jp_common


def edict_spelling(spelled_as):
    """Spelling -> the one EDICT reads its entry in, for the spellings that
    are another's variant only (日暮 -> 日暮れ); a spelling read in its own
    right, or for entries read in different spellings, is left out."""
    return {v: next(iter(ks)) for v, ks in spelled_as.items()
            if len(ks) == 1 and v not in ks}


def irregular_spellings(entries):
    """Spellings EDICT marks irregular in every entry that has them."""
    marks = collections.defaultdict(set)
    for kanji, _, _, senses in entries:
        marks[re.sub(r"\([^)]*\)", "", kanji)].add(
            bool(senses and senses[0][1] & IRREGULAR_SPELLING))
    return {k for k, m in marks.items() if m == {True}}


def edict_derogatory(entries):
    """Surfaces EDICT marks derogatory or vulgar in every entry they have
    (on the first sense, or on all senses): ジャップ, 黒んぼ, 知恵遅れ."""
    status = collections.defaultdict(list)
    marks = {"derog", "vulg"}
    for kanji, reading, common, senses in entries:
        if not senses:
            continue
        f = bool(senses[0][1] & marks) or all(sn[1] & marks for sn in senses)
        k = re.sub(r"\([^)]*\)", "", kanji)
        r = re.sub(r"\([^)]*\)", "", reading) if reading else None
        for sf in {k, r} - {None}:
            status[sf].append(f)
    return {sf for sf, v in status.items() if all(v)}


# ---------------------------------------------------------------- CMUdict
def load_cmu_npm(path, variants=None):
    """word -> first pronunciation; variants (if given) gets every one."""
    d = {}
    rx = re.compile(r'^\s*"((?:[^"\\]|\\.)*)":\s*"([^"]*)"')
    with open(path, encoding="utf-8") as f:
        for line in f:
            m = rx.match(line)
            if not m:
                continue
            w, ph = m.group(1), m.group(2)
            ph = ph.split("#", 1)[0]          # "AO1 L B AO0 R G # place, danish"
            mm = re.match(r"^(.*)\((\d+)\)$", w)
            if variants is not None:
                variants.setdefault((mm.group(1) if mm else w).lower(), []).append(ph.split())
            if mm:
                continue  # alternate pronunciations: the first is the default
            d.setdefault(w.lower(), ph.split())
    return d


# ---------------------------------------------------------------- WordNet
def load_wordnet(wndir):
    exc = collections.defaultdict(list)  # form -> [(base, pos)]
    for pos in ("verb", "noun", "adj", "adv"):
        p = os.path.join(wndir, pos + ".exc")
        with open(p, encoding="latin-1") as f:
            for line in f:
                parts = line.split()
                if len(parts) < 2:
                    continue
                form = parts[0].replace("_", " ")
                for base in parts[1:]:
                    base = base.replace("_", " ")
                    if base != form:
                        exc[form].append((base, pos))
    lemmas = collections.defaultdict(set)   # lemma -> {pos}
    tagcnt = collections.defaultdict(dict)  # lemma -> {pos: tagsense_cnt}
    for pos, w, parts in wordnet_index.entries(wndir):
        lemmas[w].add(pos)
        # lemma pos synset_cnt p_cnt [ptr...] sense_cnt tagsense_cnt
        p_cnt = int(parts[3])
        tagcnt[w][pos] = int(parts[5 + p_cnt])
    return exc, lemmas, tagcnt


def wordnet_synonyms(wndir, words, tagcnt):
    """word -> its synonyms that have one sense only in WordNet (rhino:
    rhinoceros; barf: vomit), from the first two synsets of the word's
    part of speech with the most tagged senses.  A synonym with other
    senses too would bring them along (weenie: frank, 率直な; afire:
    alight, 下りる)."""
    offsets = {}
    senses = collections.Counter()
    for pos, w, parts in wordnet_index.entries(wndir):
        n = int(parts[2])
        offsets[(w, pos)] = parts[-n:]
        senses[w] += n
    out = {}
    files = {}
    try:
        for w in sorted(words):
            tc = tagcnt.get(w, {})
            syns = []
            pos = max(("noun", "verb", "adj", "adv"),
                      key=lambda p: ((w, p) in offsets, tc.get(p, 0)))
            for off in offsets.get((w, pos), ())[:2]:
                if pos not in files:
                    files[pos] = open(os.path.join(wndir, "data." + pos), "rb")
                files[pos].seek(int(off))
                d = files[pos].readline().decode("latin-1").split()
                for i in range(int(d[3], 16)):
                    s = re.sub(r"\(.*\)$", "", d[4 + 2 * i]).replace("_", " ")
                    if s.lower() != w and senses[s.lower()] == 1:
                        syns.append(s.lower())
            if syns:
                out[w] = list(dict.fromkeys(syns))
    finally:
        for f in files.values():
            f.close()
    return out


def derived_nouns(wndir, senses=DERIVED_SENSES, pos="verb", symbol="+"):
    """word -> the nouns WordNet relates to its first senses by the pointer
    symbol: for a verb "+" (invent: invention; extend: extension), for an
    adjective "\\" (cosmic: cosmos; anal: anus).  A later sense's noun is
    another meaning (proceed: procedure)."""
    first = {}
    for p, w, fields in wordnet_index.entries(wndir):
        if p == pos:
            n = int(fields[2])
            for off in fields[-n:][:senses]:
                first.setdefault(int(off), set()).add(w)
    links = []
    with open(os.path.join(wndir, "data." + pos), "rb") as f:
        for off in sorted(first):
            f.seek(off)
            p = f.readline().decode("latin-1").split()
            n = int(p[3], 16)
            # adjectives may carry a marker: galore(ip)
            words = [re.sub(r"\(.*\)$", "", p[4 + 2 * i]).lower().replace("_", " ")
                     for i in range(n)]
            i = 4 + 2 * n
            for j in range(int(p[i])):
                sym, toff, tpos, st = p[i + 1 + 4 * j:i + 5 + 4 * j]
                src = int(st[:2], 16)
                if sym == symbol and tpos == "n" and src and words[src - 1] in first[off]:
                    links.append((words[src - 1], int(toff), int(st[2:], 16)))
    out = collections.defaultdict(set)
    with open(os.path.join(wndir, "data.noun"), "rb") as f:
        for word, off, tgt in sorted(links, key=lambda x: x[1]):
            f.seek(off)
            d = f.readline().decode("latin-1").split()
            out[word].add(d[4 + 2 * (tgt - 1)].lower().replace("_", " "))
    return out


def wordnet_lexfiles(wndir, phrases):
    """phrase -> the lexicographer file ("05": noun.animal) of its first
    noun synset in WordNet."""
    want = set(phrases)
    first = {w: fields[-int(fields[2])]
             for pos, w, fields in wordnet_index.entries(wndir)
             if pos == "noun" and w in want}
    out = {}
    with open(os.path.join(wndir, "data.noun"), "rb") as f:
        for p, off in sorted(first.items()):
            f.seek(int(off))
            out[p] = f.readline().decode("latin-1").split()[1]
    return out


# ------------------------------------------------------------ frequencies
CLITIC = {"s", "t", "m", "re", "ll", "ve", "d", "don", "didn", "doesn", "isn",
          "wasn", "aren", "weren", "couldn", "wouldn", "shouldn", "haven",
          "hasn", "hadn", "ain", "mustn", "needn"}


def load_freq(path):
    if not path or not os.path.exists(path):
        return {}
    data = json.load(open(path, encoding="utf-8"))
    cnt = collections.Counter()
    for e in data:
        w = e["word"].lower()
        if w in CLITIC:
            continue
        cnt[w] += e.get("count", e.get("value", 0))
    rank = {}
    for i, (w, _) in enumerate(cnt.most_common()):
        rank[w] = i + 1
    return rank


def load_names(path):
    """Words nine in ten of whose occurrences are capitalised (maxwell,
    marseille): names, not words to give a synonym's senses."""
    if not path or not os.path.exists(path):
        return set()
    low, cap = collections.Counter(), collections.Counter()
    with open(path, encoding="utf-8") as f:
        data = json.load(f)
    for e in data:
        w = e["word"]
        (low if w == w.lower() else cap)[w.lower()] += e.get("count", 0)
    return {w for w, c in cap.items() if c > 0.9 * (c + low[w])}


def edict_sources(path):
    """EDICT, inverted to English keys, with its spellings and marks."""
    ed = load_edict(path)
    spelled_as = collections.defaultdict(set)
    inv, readings, jp_pos, jp_common = invert_edict(ed, spelled_as)
    return {"ed": ed, "inv": inv, "readings": readings, "jp_pos": jp_pos,
            "jp_common": jp_common, "respell": edict_spelling(spelled_as),
            "irregular": irregular_spellings(ed),
            "offensive": OFFENSIVE_JA | edict_derogatory(ed)}


def wordnet_sources(wndir):
    """WordNet's exception lists, lemmas, tagged sense counts and derived words."""
    exc, lemmas, tagcnt = load_wordnet(wndir)
    return {"exc": exc, "lemmas": lemmas, "tagcnt": tagcnt,
            "derived": derived_nouns(wndir),
            "pertains": derived_nouns(wndir, PERTAINYM_SENSES, "adj", "\\")}


def load_sources(args, t0):
    """Fetch the inputs and load them all; args gets the input paths."""
    paths = inputs.unpacked(args.inputs) if args.inputs else inputs.fetch(args.cache)
    log(f"inputs ready in {args.cache}  {time.time()-t0:.1f}s")
    args.freedict_index = paths["freedict_index"]
    args.freedict_dict = paths["freedict_dict"]
    args.edict = paths["edict"]
    args.cmu_npm = paths["cmu"]
    args.wordnet = paths["wordnet"]
    args.freq = paths["freq"]
    src = types.SimpleNamespace(paths=paths)
    src.fd = load_freedict(args.freedict_index, args.freedict_dict)
    log(f"freedict entries {len(src.fd)}  {time.time()-t0:.1f}s")
    vars(src).update(edict_sources(args.edict))
    log(f"edict lines {len(src.ed)} keys {len(src.inv)}  {time.time()-t0:.1f}s")
    src.priority = load_priority(paths["jmdict_priority"])
    log(f"jmdict frequency marks {len(src.priority)}  {time.time()-t0:.1f}s")
    src.cmu_variants = {}
    src.cmu = load_cmu_npm(args.cmu_npm, src.cmu_variants) if args.cmu_npm else {}
    vars(src).update(wordnet_sources(args.wordnet))
    src.rank = load_freq(args.freq)
    log(f"cmu {len(src.cmu)} wn-exc {len(src.exc)} "
        f"wn-lemmas {len(src.lemmas)} freq {len(src.rank)}  {time.time()-t0:.1f}s")
    src.cp = CP932Stats()
    return src


def source_sizes(src):
    """How much each source holds, for the stats."""
    return {"freedict_entries": len(src.fd), "edict_lines": len(src.ed),
            "edict_english_keys": len(src.inv), "cmu_npm": len(src.cmu),
            "wordnet_exc_forms": len(src.exc),
            "wordnet_lemmas": len(src.lemmas), "freq_words": len(src.rank)}
