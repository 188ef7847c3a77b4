"""Tests of the reviewed core: its checker, the review figures, the check
against the sources' Japanese, and putting its terms on the lines."""
import os
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import core  # noqa: E402

SAMPLE = os.path.join(HERE, "testdata", "core")


def entry(hw, terms, label="", pos=("n",)):
    return core.Entry(hw, pos, tuple(terms), label, "words-001")


class CheckerTest(unittest.TestCase):
    def test_good_lines_pass(self):
        for line in ("agree\tv\t同意する、賛成する", "gonna\taux\t～するつもり\t（口語）",
                     "is\tform\t-", "ve\tskip\t-", "give up\tphv\t諦める",
                     "bat\tn\t（野球の）バット"):
            self.assertEqual(core.line_problems(line.split("\t")), [], line)

    def test_bad_lines_are_named(self):
        cases = {
            "agree\tv": "3 or 4",
            "bad,word\tn\t悪い": "bad headword",
            "give  up\tphv\t諦める": "bad headword",
            "café\tn\t喫茶店": "bad headword",
            "agree\tverb\t同意する": "part of speech",
            "is\tform\tである": "form/skip",
            "a\tn\t一、二、三、四、五、六": "1 to 5",
            "a\tn\t一、一": "twice",
            "colour\tn\t色,色彩": "ASCII comma",
            "wave\tn\t波\u301c": "reads back",
            "minus\tn\t\u2212": "reads back",
            "word\tn\tword語": "English",
            "x\tn\t123": "no Japanese",
            "x\tn\t\U0001f600あ": "code page 932",
            "x\tn\tあ\t（俗）": "unknown label",
            "x\tn\t" + "、".join(f"長い名前の言葉のその{i}つ目" for i in "一二三四五") + "\t（口語）":
                "bytes",
        }
        for line, want in cases.items():
            problems = core.line_problems(line.split("\t"))
            self.assertTrue(any(want in p for p in problems), (line, problems))

    def test_sample_files(self):
        entries, problems = core.load_core(core.batch_files(SAMPLE))
        self.assertEqual(sorted(entries), ["Monday", "agree", "give up", "gonna", "sat", "ve",
                                           "what", "what's up"])
        joined = "\n".join(problems)
        for want in ("words-001.tsv:5: headword twice", "words-001.tsv:8: bad headword",
                     "words-001.tsv:9: ASCII comma", "words-001.tsv:10:",
                     "words-001.tsv:1: headword also in phrases-001"):
            self.assertIn(want, joined)
        self.assertEqual(len(problems), 5)
        self.assertEqual(entries["gonna"].label, "（口語）")
        self.assertEqual(entries["sat"].terms, ())
        self.assertEqual(entries["what"].terms, ("何", "どんな"))

    def test_command_fails_on_problems(self):
        self.assertEqual(core.main(["core.py", SAMPLE]), 1)
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "words-002.tsv")
            with open(path, "w", encoding="utf-8") as f:
                f.write("agree\tv\t同意する\n# a comment\n\nis\tform\t-\n")
            self.assertEqual(core.main(["core.py", path]), 0)


class ReviewTest(unittest.TestCase):
    def test_agreement_per_batch(self):
        entries, _ = core.load_core(core.batch_files(SAMPLE))
        figs = {f["batch"]: f for f in core.review_figures(entries, os.path.join(SAMPLE, "review"))}
        self.assertEqual(sorted(figs), ["phrases-001", "words-001"])
        w = figs["words-001"]
        self.assertEqual((w["verdicts"], w["ok"], w["fix"], w["settled"], w["unsettled"]),
                         (6, 3, 3, 3, 0))
        # settled for the second reader, but the core line still differs
        self.assertEqual(w["not_in_core"], ["gonna"])
        # the review sheet beside the verdicts is not read as verdicts
        p = figs["phrases-001"]
        self.assertEqual((p["verdicts"], p["ok"], p["unsettled"]), (2, 1, 1))

    def test_bad_verdicts(self):
        self.assertIsNone(core.read_verdicts(os.path.join(SAMPLE, "review",
                                                          "phrases-001-sheet.tsv")))
        rows = [["a", "ok"], ["b", "fix", "x"], ["c", "fix", "い", "why", "maybe"],
                ["d", "fix", "い", "why", "first"], ["e", "ok", "extra"],
                ["f", "fix", "い", "う", "why", "both", "え"],
                ["g", "fix", "い", "う", "why", "both", ""], ["h", "fix", "い,う", "why"]]
        problems = core.verdict_problems(rows)
        self.assertEqual([p.split(":")[0] for p in problems],
                         ["verdict 2", "verdict 3", "verdict 5", "verdict 7", "verdict 8"])


KNOWN = {"同意", "する", "怒る", "腹", "立てる", "気づく", "いる", "静か", "特有", "後", "継ぐ",
         "野球", "バット", "一番", "上手", "狩猟", "報道", "記者", "睡眠", "セント", "硬貨",
         "悲しい", "報", "記", "女性", "名", "口語", "尻"}


class KnownJapaneseTest(unittest.TestCase):
    def test_sources_make_the_set(self):
        known = core.known_japanese([("同意", "どうい", True, [])], {"職員": 1.0},
                                    [{"senses": [["諦める", "やめる"]]}])
        self.assertEqual(known, {"同意", "どうい", "職員", "諦める", "やめる"})

    def test_statuses(self):
        cases = {
            "同意": "known",
            "同意する": "made",            # a する verb
            "同意した": "made",
            "静かな": "made",              # adjectival noun with な
            "特有の": "made",
            "怒った": "made",              # past of a known verb
            "腹を立てた": "made",          # verb phrase
            "気づいている": "made",
            "（～の）後を継ぐ": "made",     # slot and narrowing
            "（野球の）バット": "made",
            "悲しく": "made",
            "一番上手に": "made",          # compound of known words
            "狩猟者": "made",              # with a common affix
            "睡眠用の": "made",
            "（米口語）尻": "made",
            "１セント硬貨": "made",
            "報記": "unknown",             # two known kanji are no known word
            "エイミー（女性の名）": "unknown",
            "ほげ語": "unknown",
        }
        for t, want in cases.items():
            self.assertEqual(core.term_status(t, KNOWN), want, t)

    def test_counts_and_list(self):
        entries = {"agree": entry("agree", ["同意する", "報記"]), "is": entry("is", [])}
        counts, unknown = core.term_statuses(entries, KNOWN)
        self.assertEqual(dict(counts), {"made": 1, "unknown": 1})
        self.assertEqual(unknown, [("agree", "報記")])


def fits(terms):
    return len(terms) <= 8 and len("、".join(terms).encode("cp932")) <= 120


class MergeTest(unittest.TestCase):
    def test_core_terms_first_then_the_builders_that_differ(self):
        e = entry("agree", ["同意する", "賛成する"])
        self.assertEqual(core.merged_terms(e, ["同じる", "同意", "（～に）賛成する", "一致する"], fits),
                         ["同意する", "賛成する", "同じる", "一致する"])
        e = entry("give up", ["諦める"])
        self.assertEqual(core.merged_terms(e, ["あきらめる", "断念する"], fits, "",
                                           {"諦める": {"あきらめる"}}), ["諦める", "断念する"])

    def test_label_on_the_first_term(self):
        e = entry("gonna", ["～するつもり"], "（口語）")
        self.assertEqual(core.merged_terms(e, ["つもり"], fits), ["（口語）～するつもり", "つもり"])
        # a slur's label where the core line has none
        e = entry("x", ["黒人"])
        self.assertEqual(core.merged_terms(e, [], fits, "（軽蔑語）"), ["（軽蔑語）黒人"])

    def test_note_stays_after_core_terms(self):
        e = entry("goods", ["商品", "品物"])
        self.assertEqual(core.merged_terms(e, ["goodの複数形", "財", "商品"], fits),
                         ["商品", "品物", "goodの複数形", "財"])

    def test_limits(self):
        e = entry("a", ["一"])
        many = [f"語{i}" for i in range(10)]
        self.assertEqual(len(core.merged_terms(e, many, fits)), 8)
        long = ["長" * 60, "短"]
        self.assertEqual(core.merged_terms(e, long, fits), ["一"])

    def test_same_term(self):
        self.assertTrue(core.same_term("同意", "同意する"))
        self.assertTrue(core.same_term("（～に）賛成する", "賛成する"))
        self.assertTrue(core.same_term("（軽蔑語）黒人", "黒人"))
        self.assertTrue(core.same_term("台無しの", "台無しな"))
        self.assertTrue(core.same_term("～を取り除く", "取り除く"))
        self.assertFalse(core.same_term("を", "に"))
        self.assertFalse(core.same_term("怒る", "怒った"))
        readings = {"諦める": {"あきらめる"}, "素晴らしい": {"すばらしい"}, "綺麗": {"きれい"}}
        self.assertTrue(core.same_term("諦める", "あきらめる", readings))
        self.assertTrue(core.same_term("すばらしい", "素晴らしい", readings))
        self.assertTrue(core.same_term("綺麗な", "キレイ", readings))
        self.assertFalse(core.same_term("諦める", "あきらめる"))
        self.assertFalse(core.same_term("諦める", "やめる", readings))


def make_records(lines):
    return {core.key_of(hw): {"hw": hw, "meaning": m, "base": b, "kind": "lemma"}
            for hw, m, b in lines}


def make_record(k, hw, meaning):
    return {"hw": hw, "meaning": meaning, "base": "", "kind": "lemma"}


class ApplyCoreTest(unittest.TestCase):
    def apply(self, records, entries, form_of=None, slurs=()):
        stats = {}
        changed = core.apply_core(records, {e.hw: e for e in entries}, make_record, fits,
                                  form_of, slurs, stats)
        return changed, stats

    def test_existing_new_and_form_lines(self):
        records = make_records([("agree", "同じる、同意する", ""),
                                ("took", "takeの過去形", "take")])
        changed, stats = self.apply(records, [
            entry("agree", ["同意する", "賛成する"]), entry("took", []),
            entry("hallucinating", ["幻覚を見ている"]), entry("what", ["何"])],
            form_of=lambda k: ("hallucinate", "hallucinateの現在分詞")
            if k == "hallucinating" else None)
        self.assertEqual(records["agree"]["meaning"], "同意する、賛成する、同じる")
        self.assertEqual(changed, {"agree": "同じる"})
        self.assertEqual(records["took"]["meaning"], "takeの過去形")
        self.assertEqual(records["hallucinating"]["meaning"], "幻覚を見ている、hallucinateの現在分詞")
        self.assertEqual(records["hallucinating"]["base"], "hallucinate")
        self.assertEqual(records["what"]["meaning"], "何")
        self.assertEqual(stats, {"core_added": 2, "core_form_or_skip": 1, "core_merged": 1})

    def test_lower_case_word_hidden_by_a_capitalised_line(self):
        records = make_records([("Sat", "土曜", "")])
        self.apply(records, [entry("sat", ["座った"]), entry("Sat", ["土曜日"])])
        self.assertEqual(records["sat"]["hw"], "sat")
        self.assertEqual(records["sat"]["meaning"], "座った")
        self.assertEqual(records["Sat"]["meaning"], "土曜日、土曜")

    def test_capitalised_name_beside_a_lower_case_word(self):
        records = make_records([("jerry", "肥壺", ""), ("monday", "月曜", ""),
                                ("I", "私は", "")])
        self.apply(records, [entry("Jerry", ["ジェリー"]), entry("Monday", ["月曜日"]),
                             entry("I", ["私"]), entry("TV", ["テレビ"])])
        self.assertEqual(records["jerry"]["meaning"], "肥壺")
        self.assertEqual(records["Jerry"]["meaning"], "ジェリー")
        # the lower-case line spelled the core's way is the same word
        self.assertEqual(records["monday"]["hw"], "Monday")
        self.assertEqual(records["monday"]["meaning"], "月曜日、月曜")
        self.assertEqual(records["i"]["meaning"], "私、私は")
        self.assertEqual(records["TV"]["meaning"], "テレビ")

    def test_slur_keeps_its_label(self):
        records = make_records([("gook", "（軽蔑語）東洋人", "")])
        self.apply(records, [entry("gook", ["アジア人"])], slurs={"gook"})
        self.assertEqual(records["gook"]["meaning"], "（軽蔑語）アジア人、東洋人")


if __name__ == "__main__":
    unittest.main()


class BuildStageTest(unittest.TestCase):
    """The build's core stage with the real form rules and pronouncer."""

    def test_new_lines_take_base_note_and_pronunciation(self):
        import types
        import build
        from forms import FormLabeller
        from pronounce import Pronouncer
        from term_rules import CP932Stats
        src = types.SimpleNamespace(
            lemmas={"sit": {"verb"}, "walk": {"verb", "noun"}},
            tagcnt={"sit": {"verb": 50}, "walk": {"verb": 20, "noun": 5}},
            rank={"sit": 300, "sat": 400, "walk": 500, "walked": 900},
            exc={"sat": [("sit", "verb")]},
            ed=[("座る", "すわる", True, [])], priority={}, fd=[], cp=CP932Stats(),
            readings={"座る": {"すわる"}})
        pron = Pronouncer({w: p.split() for w, p in (
            ("sat", "S AE1 T"), ("walked", "W AO1 K T"), ("sit", "S IH1 T"), ("walk", "W AO1 K"))})
        records = {w: build.new_record(pron, w, w, m, "lemma")
                   for w, m in (("sit", "座る"), ("walk", "歩く、散歩"))}
        labeller = FormLabeller(records, src)
        with tempfile.TemporaryDirectory() as d:
            with open(os.path.join(d, "words-001.tsv"), "w", encoding="utf-8") as f:
                f.write("sat\tv\t座った\nwalked\tv\t歩いた\nwalk\tv,n\t歩く、散歩する\n")
            args = types.SimpleNamespace(core=d, cache=d)
            stats = {}
            build.apply_core_lines(records, src, labeller, pron, args, stats)
            with open(os.path.join(d, "core_unknown_terms.tsv"), encoding="utf-8") as f:
                unknown = f.read()
        self.assertEqual(records["sat"]["base"], "sit")
        self.assertEqual(records["sat"]["meaning"].split("、")[0], "座った")
        self.assertIn("sitの過去形", records["sat"]["meaning"])
        self.assertTrue(records["sat"]["pron"])
        self.assertEqual(records["walked"]["base"], "walk")
        self.assertIn("walkの過去形", records["walked"]["meaning"])
        self.assertEqual(records["walk"]["meaning"], "歩く、散歩する")
        self.assertEqual(stats["core_lines"], 3)
        # 座った is made of 座る; 歩く and 散歩 are in no source here
        self.assertEqual(stats["core_term_status"], {"made": 1, "unknown": 3})
        self.assertEqual(unknown.count("\n"), 3)
