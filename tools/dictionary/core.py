#!/usr/bin/env python3
"""The project's reviewed core lexicon (core/words-NNN.tsv, core/phrases-NNN.tsv):
reading and checking its files, the review's agreement, and putting its
terms first on the builder's lines.

usage: core.py [FILE_OR_DIR ...]     (default: core/ beside this file)
Checks the core files named (a folder: all its batch files) and exits
non-zero on a problem.

A line is  headword<TAB>pos<TAB>terms[<TAB>label]:  pos from POS joined with
",", 1 to 5 terms joined with 、, a label from LABELS.  pos `form` or `skip`
with terms `-` adds nothing: the builder's line stays as it is.

Review records (core/review/BATCH*.tsv, BATCH the batch file's name without
.tsv) hold the second reader's verdict on each line of the batch:
  headword<TAB>ok
  headword<TAB>fix<TAB>proposed terms<TAB>reason[<TAB>settled]
  headword<TAB>fix<TAB>first terms<TAB>proposed terms<TAB>reason<TAB>settled<TAB>final terms
settled says who a disagreement was settled for: `first` (the writer),
`second` (the second reader) or `both` (a line made from both); the
final terms are what the core line must then hold.
"""
import collections
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import dictfile  # noqa: E402

CORE_DIR = os.path.join(HERE, "core")

POS = set("n v adj adv pron prep conj det aux interj num abbr phv idiom phr form skip".split())
NO_TERMS = ("form", "skip")
LABELS = set("（口語） （俗語） （卑語） （軽蔑語） （古語） （文語） （幼児語） （米） （英）".split())
MAX_CORE_TERMS = 5
MAX_CORE_BYTES = 120
BATCH_FILE = re.compile(r"^(words|phrases)-\d{3}\.tsv$")
REVIEW_FILE = re.compile(r"^((?:words|phrases)-\d{3})(?:[._-].*)?\.tsv$")
SETTLED = ("first", "second", "both")
SEP = "\u3001"

Entry = collections.namedtuple("Entry", "hw pos terms label batch")


def batch_files(folder):
    """The batch files in folder, in name order."""
    if not os.path.isdir(folder):
        return []
    return [os.path.join(folder, n) for n in sorted(os.listdir(folder)) if BATCH_FILE.match(n)]


def line_problems(fields):
    """What is wrong with one core line split at its TABs."""
    if len(fields) not in (3, 4):
        return ["needs 3 or 4 TAB-separated fields"]
    hw, pos, terms = fields[:3]
    label = fields[3] if len(fields) == 4 else ""
    out = []
    if not hw or hw != hw.strip() or "," in hw or "  " in hw or not hw.isascii() or \
            not hw.isprintable():
        out.append("bad headword")
    ps = pos.split(",")
    if not pos or any(p not in POS for p in ps):
        out.append("unknown part of speech")
    if ps[0] in NO_TERMS:
        if terms != "-":
            out.append("form/skip lines take terms '-'")
        return out
    if label and label not in LABELS:
        out.append("unknown label")
    ts = terms.split(SEP)
    if not 1 <= len(ts) <= MAX_CORE_TERMS or any(not t.strip() for t in ts):
        out.append(f"1 to {MAX_CORE_TERMS} non-empty terms joined with 、")
    elif len(set(ts)) != len(ts):
        out.append("a term twice")
    # the program splits lines at ASCII commas
    if re.search(r"[,\"'\t]", terms):
        out.append("ASCII comma or quote in terms")
    # U+301C and its kind read back from code page 932 as other characters
    lossy = [c for c in terms if c in dictfile.LOSSY]
    if lossy:
        out.append(f"{lossy[0]!r} reads back from code page 932 as {dictfile.LOSSY[lossy[0]]!r}")
    if re.search(r"[A-Za-z]{3,}", terms):
        out.append("English in terms")
    if not re.search(r"[\u3040-\u30ff\u4e00-\u9fff]", terms):
        out.append("no Japanese in terms")
    try:
        n = len((label + terms).encode("cp932"))
        if n > MAX_CORE_BYTES:
            out.append(f"terms {n} bytes, over {MAX_CORE_BYTES}")
    except UnicodeEncodeError as e:
        out.append(f"not in code page 932: {e.object[e.start:e.end]!r}")
    return out


def read_batch(path):
    """-> ([(line number, fields)], [problem]) of one batch file."""
    rows, problems = [], []
    seen = set()
    with open(path, encoding="utf-8") as f:
        for n, line in enumerate(f, 1):
            line = line.rstrip("\r\n")
            if not line.strip() or line.startswith("#"):
                continue
            fields = line.split("\t")
            msgs = line_problems(fields)
            if not msgs and fields[0] in seen:
                msgs = ["headword twice"]
            for m in msgs:
                problems.append(f"{path}:{n}: {m}: {line!r}")
            if not msgs:
                seen.add(fields[0])
                rows.append((n, fields))
    return rows, problems


def load_core(paths):
    """-> ({headword: Entry}, [problem]) of the batch files; a bad line, or
    a headword another file already has, is left out and reported."""
    core, problems = {}, []
    for path in paths:
        rows, p = read_batch(path)
        problems += p
        batch = os.path.basename(path)[:-4]
        for n, f in rows:
            hw = f[0]
            if hw in core:
                problems.append(f"{path}:{n}: headword also in {core[hw].batch}: {hw!r}")
                continue
            terms = [] if f[1].split(",")[0] in NO_TERMS else f[2].split(SEP)
            core[hw] = Entry(hw, tuple(f[1].split(",")), tuple(terms),
                             f[3] if len(f) == 4 else "", batch)
    return core, problems


# ------------------------------------------------------------------ review
def read_verdicts(path):
    """-> [fields] of a verdict file, or None when the file is no verdict
    file (a review sheet: headword<TAB>terms)."""
    rows = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\r\n")
            if line.strip() and not line.startswith("#"):
                rows.append(line.split("\t"))
    if not rows or any(len(r) < 2 or r[1] not in ("ok", "fix") for r in rows):
        return None
    return rows


def verdict_shape(r):
    """'ok', 'open' (a fix not settled), 'settled', or None for a row of
    no known shape."""
    if r[1] == "ok":
        return "ok" if len(r) == 2 else None
    if len(r) == 4 and r[2].strip() and "," not in r[2]:
        return "open"
    if len(r) == 5 and r[2].strip() and "," not in r[2] and r[4] in SETTLED:
        return "settled"
    if len(r) == 7 and r[5] in SETTLED and r[6].strip() and "," not in r[3] + r[6]:
        return "settled"
    return None


def final_terms(r):
    """The terms a settled row says the core line holds, or None when it
    does not say (settled for both without the final terms)."""
    if len(r) == 7:
        return r[6]
    if r[4] == "second":
        return r[2]
    return None


def verdict_problems(rows):
    """What is wrong with a verdict file's rows."""
    return [f"verdict {i}: want 'ok', 'fix<TAB>terms<TAB>reason[<TAB>settled]' or "
            f"'fix<TAB>first<TAB>second<TAB>reason<TAB>settled<TAB>final': {r!r}"
            for i, r in enumerate(rows, 1) if verdict_shape(r) is None]


def review_figures(core, review_dir):
    """Per batch with a verdict file: {batch, lines, verdicts, ok, fix,
    settled, unsettled, not_in_core, problems}, in batch order."""
    by_batch = collections.defaultdict(list)
    for e in core.values():
        by_batch[e.batch].append(e)
    files = collections.defaultdict(list)
    if review_dir and os.path.isdir(review_dir):
        for n in sorted(os.listdir(review_dir)):
            m = REVIEW_FILE.match(n)
            if m:
                files[m.group(1)].append(os.path.join(review_dir, n))
    out = []
    for batch in sorted(files):
        rows, problems = [], []
        for path in files[batch]:
            r = read_verdicts(path)
            if r is not None:
                rows += r
                problems += [f"{path}: {p}" for p in verdict_problems(r)]
        if not rows:
            continue
        entries = {e.hw: e for e in by_batch.get(batch, ())}
        shapes = [verdict_shape(r) for r in rows]
        settled = [r for r, sh in zip(rows, shapes) if sh == "settled"]
        # what a disagreement was settled for must be in the core line
        not_in_core = [r[0] for r in settled if r[0] in entries and final_terms(r) is not None
                       and (SEP.join(entries[r[0]].terms) or "-") != final_terms(r)]
        unknown = [r[0] for r in rows if r[0] not in entries]
        if unknown:
            problems.append(f"{batch}: {len(unknown)} verdicts for headwords the batch "
                            f"lacks: {', '.join(unknown[:5])}")
        ok = shapes.count("ok")
        out.append({"batch": batch, "lines": len(entries), "verdicts": len(rows),
                    "ok": ok, "fix": len(rows) - ok, "settled": len(settled),
                    "unsettled": shapes.count("open"), "not_in_core": not_in_core,
                    "problems": problems})
    return out


# ------------------------------------------------------- Japanese known to the sources
PARTICLES = set("""を に が は で と へ の も や か な だ ね よ さ ず ぬ ぞ
から まで より など だけ ほど くらい ぐらい しか こそ でも って ば て""".split())

# endings taken off a word to reach a form a dictionary lists: past, te,
# negative, adverb, potential, passive, causative, masu stem
DEINFLECT = [
    ("かった", "い"), ("くない", "い"), ("くて", "い"), ("く", "い"), ("さ", "い"),
    ("った", "う"), ("った", "つ"), ("った", "る"), ("って", "う"), ("って", "つ"), ("って", "る"),
    ("んだ", "む"), ("んだ", "ぶ"), ("んだ", "ぬ"), ("んで", "む"), ("んで", "ぶ"), ("んで", "ぬ"),
    ("いた", "く"), ("いて", "く"), ("いだ", "ぐ"), ("いで", "ぐ"),
    ("した", "す"), ("して", "す"), ("した", "する"), ("して", "する"),
    ("た", "る"), ("て", "る"), ("ない", "る"), ("ます", "る"),
    ("わない", "う"), ("かない", "く"), ("がない", "ぐ"), ("さない", "す"), ("たない", "つ"),
    ("なない", "ぬ"), ("ばない", "ぶ"), ("まない", "む"), ("らない", "る"), ("しない", "する"),
    ("なかった", "ない"), ("なくて", "ない"), ("なく", "ない"),
    ("られる", "る"), ("させる", "る"), ("される", "する"), ("できる", "する"),
    ("われる", "う"), ("かれる", "く"), ("がれる", "ぐ"), ("される", "す"), ("たれる", "つ"),
    ("ばれる", "ぶ"), ("まれる", "む"), ("られる", "る"),
    ("わせる", "う"), ("かせる", "く"), ("がせる", "ぐ"), ("たせる", "つ"), ("ばせる", "ぶ"),
    ("ませる", "む"), ("らせる", "る"),
    ("える", "う"), ("ける", "く"), ("げる", "ぐ"), ("せる", "す"), ("てる", "つ"),
    ("べる", "ぶ"), ("める", "む"), ("れる", "る"),
    ("い", "う"), ("き", "く"), ("ぎ", "ぐ"), ("し", "す"), ("ち", "つ"), ("び", "ぶ"),
    ("み", "む"), ("り", "る"), ("", "る"),
]
KANJI = re.compile(r"[\u3400-\u9fff\u3005]")
KATAKANA = re.compile(r"[\u30a1-\u30fa\u30fc]")
NUMBER = re.compile(r"^[0-9\uff10-\uff19]+$")
# single kanji that make compounds of known words (狩猟者, 睡眠用の, 大牧場)
AFFIXES = set("""者 的 性 化 用 人 大 小 各 全 非 不 未 無 超 再 初 元 前 後 中 上 下 内 外
式 型 界 家 業 員 長 品 物 地 所 場 側 感 力 率 法 論 学 病 数 名 風 製 産 語 号 目 行 系
制 策 観 士 工 席 金 米 英 雄 雌 男 女
一 二 三 四 五 六 七 八 九 十 百 千 万 億 番 回 度 年 月 日 時 分 個 枚 本 台 匹 頭 冊 杯 着 歳""".split())
CHUNK_SEP = re.compile(r"[（）()～〜・、。？！?!\s「」『』…／/×○]+")
MAX_PIECE = 12


def known_japanese(edict_entries=(), spellings=(), freedict=()):
    """The Japanese words the sources know: EDICT's spellings and readings,
    JMdict's (spellings), and FreeDict's terms."""
    known = set(spellings)
    for e in edict_entries:
        known.add(e[0])
        if e[1]:
            known.add(e[1])
    for entry in freedict:
        for sense in entry["senses"]:
            known.update(sense)
    return known


def base_forms(piece, depth=2):
    """Dictionary forms piece may be an inflection of (itself included)."""
    out = {piece}
    frontier = {piece}
    for _ in range(depth):
        nxt = set()
        for p in frontier:
            for end, base in DEINFLECT:
                # した, できる alone are forms of する
                if p.endswith(end) and (len(p) > len(end) or len(base) > 1):
                    nxt.add(p[:len(p) - len(end)] + base)
        nxt -= out
        out |= nxt
        frontier = nxt
    return out


def inner_cut(s, j):
    """Whether a cut before s[j] falls inside a kanji run (一番|上手) or a
    katakana one."""
    if j in (0, len(s)):
        return None
    for script in (KANJI, KATAKANA):
        if script.match(s[j - 1]) and script.match(s[j]):
            return script
    return None


def piece_known(p, known):
    return p in PARTICLES or p in known or bool(NUMBER.match(p)) or \
        any(b in known for b in base_forms(p))


def chunk_known(s, known):
    """Whether s is a row of known words, particles and their inflections.
    A katakana run is one word; a kanji run is one word or a compound of
    known words of two kanji or more and common affixes (狩猟者, 一番上手),
    so two known kanji do not make any compound known."""
    reach = [False] * (len(s) + 1)
    reach[0] = True
    for i in range(len(s)):
        if not reach[i] or inner_cut(s, i) is KATAKANA:
            continue
        for j in range(i + 1, min(len(s), i + MAX_PIECE) + 1):
            if reach[j] or inner_cut(s, j) is KATAKANA:
                continue
            p = s[i:j]
            if inner_cut(s, i) or inner_cut(s, j):
                ok = p in AFFIXES or (len(p) >= 2 and piece_known(p, known))
            else:
                ok = piece_known(p, known)
            reach[j] = ok
    return reach[-1]


def term_status(t, known):
    """'known' (a source has the term), 'made' (made of known words: a
    する verb, an adjective with な or の, a verb phrase, a ～ slot or a
    bracketed narrowing) or 'unknown'."""
    if t in known:
        return "known"
    chunks = [c for c in CHUNK_SEP.split(t) if c]
    if chunks and all(chunk_known(c, known) for c in chunks):
        return "made"
    return "unknown"


def term_statuses(core, known):
    """-> Counter of statuses and [(headword, term)] of the unknown terms."""
    counts = collections.Counter()
    unknown = []
    for hw in sorted(core):
        for t in core[hw].terms:
            st = term_status(t, known)
            counts[st] += 1
            if st == "unknown":
                unknown.append((hw, t))
    return counts, unknown


# -------------------------------------------------------- terms on the lines
NOTE = re.compile(r"^[A-Za-z][A-Za-z'. -]*の\S*形")
LABEL_PREFIX = re.compile(r"^（[^）]*語）|^（[米英]）")
NARROWING = re.compile(r"（[^）]*）|\([^)]*\)")
ENDINGS = ("する", "な", "の", "に", "だ")


def is_note(t):
    """A form's rule-made note (takeの過去形)."""
    return bool(NOTE.match(t))


def plain(t):
    """t without its label, narrowing, and slot with its particle, to see
    what it says (（～を）取り除く, ～を取り除く: 取り除く)."""
    t = NARROWING.sub("", LABEL_PREFIX.sub("", t)).strip()
    t = dictfile.SLOT_PARTICLE.sub("", t)
    return t.replace("～", "").replace("〜", "").strip()


def stem(t):
    for e in ENDINGS:
        if t.endswith(e) and len(t) > len(e):
            return t[:-len(e)]
    return t


def hiragana(t):
    return "".join(chr(ord(c) - 0x60) if "\u30a1" <= c <= "\u30f6" else c for c in t)


def same_term(a, b, readings=None):
    """Whether a and b say the same: equal but for narrowing and slot, or
    but for する, な, の, に or だ (同意, 同意する; 台無しの, 台無しな), or
    one is the other's reading (すばらしい, 素晴らしい; あきらめる, 諦める)."""
    a, b = plain(a), plain(b)
    sa, sb = stem(a), stem(b)
    if a == b or sa == sb or any(a == b + e or b == a + e for e in ENDINGS):
        return True
    if readings:
        return any(hiragana(x) in {hiragana(r) for r in readings.get(y, ())}
                   for x, y in ((sa, sb), (sb, sa)))
    return False


def merged_terms(entry, old_terms, fits, first_label="", readings=None):
    """The terms of a line with the core entry: its label and terms first,
    then the line's notes, then the builder's terms that say something
    else, while fits(terms) holds."""
    label = entry.label or first_label
    out = list(entry.terms)
    if label and out:
        out[0] = label + out[0]
        # one label, on the first term, speaks for the line
        old_terms = [LABEL_PREFIX.sub("", t) for t in old_terms]
    # a form's note stays whatever the room, as the form rules keep it
    out += [t for t in old_terms if is_note(t)]
    for t in (t for t in old_terms if not is_note(t)):
        if any(same_term(t, c, readings) for c in out):
            continue
        if not fits(out + [t]):
            break
        out.append(t)
    return out


def key_of(hw):
    """The builder's record key: all-capital headwords (TV, IT) as they
    are, others lower case."""
    return hw if (len(hw) > 1 and hw.isupper()) else hw.lower()


def shares_a_term(terms, meaning):
    """Whether a line's meaning has a term one of terms holds or is held
    in (月曜日, 月曜): then both are the same word."""
    mine = [plain(t) for t in terms]
    return any(len(p) >= 2 and len(m) >= 2 and (p in m or m in p)
               for p in (plain(t) for t in meaning.split(SEP) if not is_note(t)) for m in mine)


def record_key(hw, terms, records):
    """The records key a core headword's line lives under.  A capitalised
    headword (Jerry, Cooper) has a line of its own beside a lower-case
    word's (jerry: 肥壺, cooper: 桶屋), unless that line says what the
    core does (monday: 月曜)."""
    k = key_of(hw)
    if hw == k:
        return k
    r = records.get(k)
    if r is not None and (r["hw"] == hw or (r["hw"] == k and shares_a_term(terms, r["meaning"]))):
        return k
    return hw


def order(core):
    """Lower-case headwords first, so a capitalised line they displace
    (Sat, Lent) has moved to its own key before that key is looked up."""
    return sorted(core, key=lambda hw: (hw != key_of(hw), hw))


def apply_core(records, core, make_record, fits, form_of=None, slurs=(), stats=None,
               readings=None):
    """Put the core's terms first on the lines, adding a line for a core
    headword that has none.  make_record(key, hw, meaning) makes a new
    line; fits(terms) says whether terms fit on a line; form_of(key), if
    given, -> (base, note) of a new line that is a form; readings, if
    given, {spelling: its kana readings}.
    -> {key: old first term} of the lines the core changed."""
    stats = stats if stats is not None else {}
    counts = collections.Counter()
    changed = {}
    for hw in order(core):
        e = core[hw]
        if not e.terms:
            counts["form_or_skip"] += 1
            continue
        k = record_key(hw, e.terms, records)
        r = records.get(k)
        if r is not None and hw == k and r["hw"] != hw and r["hw"] not in records:
            # a capitalised line (Sat, Lent) hid the lower-case word: both stay
            records[r["hw"]] = r
            r = None
            counts["moved_capitalised"] += 1
        label = "（軽蔑語）" if k.lower() in slurs and not e.label else ""
        if r is None:
            base_note = form_of(k) if form_of and hw == k and " " not in hw else None
            r = records[k] = make_record(k, hw, "")
            counts["added"] += 1
            old = []
            if base_note:
                r["base"] = base_note[0]
                old = [base_note[1]]
        else:
            old = r["meaning"].split(SEP) if r["meaning"] else []
            changed[k] = old[0] if old else ""
            counts["merged"] += 1
        r["hw"] = hw
        r["meaning"] = SEP.join(merged_terms(e, old, fits, label, readings))
        r["core"] = True
    stats.update({f"core_{k}": v for k, v in sorted(counts.items())})
    return changed


def main(argv):
    targets = argv[1:] or [CORE_DIR]
    paths = []
    for t in targets:
        paths += batch_files(t) if os.path.isdir(t) else [t]
    core, problems = load_core(paths)
    review = os.path.join(targets[0], "review") if os.path.isdir(targets[0]) else None
    for fig in review_figures(core, review) if review else []:
        problems += fig["problems"]
    for p in problems:
        print(p)
    print(f"{len(core)} core lines in {len(paths)} files: "
          f"{'OK' if not problems else str(len(problems)) + ' problems'}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
