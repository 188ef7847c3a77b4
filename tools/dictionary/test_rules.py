"""Unit tests: the builder's content rules, on real cases from the shipped
dictionary and on cases each rule must leave alone."""
import gzip
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import build  # noqa: E402
import forms  # noqa: E402
import meanings  # noqa: E402
import phonetic  # noqa: E402
import pronounce  # noqa: E402
import quality  # noqa: E402
import sources  # noqa: E402
import term_rules  # noqa: E402


class InflectionEndings(unittest.TestCase):
    def bases(self, w, kind):
        return [b for b, k in forms.regular_bases(w) if k == kind]

    def test_es_only_after_sibilants_and_o(self):
        self.assertNotIn("plan", self.bases("planes", "s"))
        self.assertIn("plane", self.bases("planes", "s"))
        self.assertNotIn("cloth", self.bases("clothes", "s"))
        for form, base in (("boxes", "box"), ("churches", "church"), ("heroes", "hero"),
                           ("dingoes", "dingo"), ("buzzes", "buzz"), ("wishes", "wish")):
            self.assertIn(base, self.bases(form, "s"), form)

    def test_silent_e_comes_back_before_the_bare_stem(self):
        for form, kind, base, not_first in (("staring", "ing", "stare", "star"),
                                            ("hoped", "ed", "hope", "hop"),
                                            ("slaved", "ed", "slave", "slav"),
                                            ("cutest", "est", "cute", "cut")):
            got = self.bases(form, kind)
            self.assertIn(base, got)
            self.assertLess(got.index(base), got.index(not_first) if not_first in got else 99)

    def test_stems_that_do_not_double_keep_their_own_base(self):
        self.assertIn("visit", self.bases("visiting", "ing"))   # visite is no word
        self.assertIn("open", self.bases("opened", "ed"))
        self.assertIn("hop", self.bases("hopping", "ing"))
        self.assertIn("plan", self.bases("planned", "ed"))

    def test_one_syllable_stems_never_take_a_bare_ending(self):
        # dined is dine + d or nothing, never din + ed (dinned)
        for stem in ("din", "dot", "star", "hop", "dim", "plan"):
            self.assertTrue(forms.one_syllable_doubling(stem), stem)
        # longer stems keep their bare forms: visited, opened, layered, flattering
        for stem in ("visit", "open", "layer", "flatter", "calm", "play", "clean"):
            self.assertFalse(forms.one_syllable_doubling(stem), stem)

    def test_old_third_person(self):
        for form, base in (("doth", "do"), ("cometh", "come"), ("runneth", "run"),
                           ("leadeth", "lead"), ("believeth", "believe"), ("goeth", "go")):
            self.assertIn(base, forms.archaic_bases(form), form)
        # names and plain words ending in -th are no such forms
        for w in ("beth", "seth", "hath", "month", "truth", "birth"):
            self.assertFalse(forms.archaic_bases(w), w)

    def test_doubling_stem(self):
        for stem in ("star", "plan", "hop", "cut"):
            self.assertTrue(forms.doubling_stem(stem), stem)
        for stem in ("stare", "wait", "fast", "clean", "show"):
            self.assertFalse(forms.doubling_stem(stem), stem)


class IrregularVerbs(unittest.TestCase):
    def label(self, form, base, siblings):
        return forms.inflection_label(form, base, "verb", set(siblings) | {form})

    def test_a_vowel_turned_to_a_is_the_past_alone(self):
        for form, base, sib in (("ran", "run", ["running"]), ("began", "begin", ["begun"]),
                                ("became", "become", []), ("overcame", "overcome", []),
                                ("outran", "outrun", []), ("overran", "overrun", [])):
            self.assertEqual(self.label(form, base, sib), base + "の過去形", form)

    def test_an_n_form_is_the_participle_alone(self):
        for form, base, sib in (("begun", "begin", ["began"]), ("beaten", "beat", []),
                                ("shown", "show", []), ("swollen", "swell", []),
                                ("sewn", "sew", [])):
            self.assertEqual(self.label(form, base, sib), base + "の過去分詞", form)

    def test_forms_that_are_both_stay_both(self):
        for form, base in (("sat", "sit"), ("won", "win"), ("spun", "spin"),
                           ("taught", "teach"), ("shone", "shine")):
            self.assertEqual(self.label(form, base, []), base + "の過去形・過去分詞", form)
        self.assertEqual(self.label("gave", "give", ["given"]), "giveの過去形")
        self.assertEqual(self.label("given", "give", ["gave"]), "giveの過去分詞")


class Degrees(unittest.TestCase):
    KNOWN = {"cleanest", "fastest", "biggest", "happiest", "nicest"}

    def test_gradable_adjectives_have_the_other_degree(self):
        for base in ("clean", "fast", "big", "happy", "nice"):
            self.assertTrue(forms.gradable(base, self.KNOWN, "er"), base)

    def test_er_nouns_are_not_degrees_of_words_without_them(self):
        # butter, customer, bother, Easter are no comparatives
        for base in ("butt", "but", "custom", "both", "east"):
            self.assertFalse(forms.gradable(base, self.KNOWN | {"butter", "customer"}, "er"), base)

    def test_superlative_looks_for_the_comparative(self):
        self.assertTrue(forms.gradable("clean", {"cleaner"}, "est"))
        self.assertFalse(forms.gradable("clean", {"cleanest"}, "est"))


class BaseForms(unittest.TestCase):
    """FormLabeller on a small made-up set of sources."""
    def labeller(self):
        import types
        words = {"see": {"verb"}, "seed": {"noun", "verb"}, "free": {"verb", "adj"},
                 "live": {"verb", "adj"}, "liver": {"noun"}, "clean": {"verb", "adj"},
                 "cleaner": {"noun"}, "halfway": {"adj"}, "imago": {"noun"},
                 "imagine": {"verb"}, "cut": {"verb", "adj", "noun"}, "cutter": {"noun"},
                 "cute": {"adj"}}
        src = types.SimpleNamespace(
            lemmas=words, tagcnt={"seed": {"noun": 2}, "see": {"verb": 18},
                                  "liver": {"noun": 2}, "live": {"verb": 6, "adj": 1},
                                  "clean": {"adj": 5}, "cleaner": {"noun": 1},
                                  "cut": {"verb": 10, "adj": 3}, "free": {"verb": 3}},
            rank={w: i + 1 for i, w in enumerate(
                "see free live clean cut imagine cute seed liver cleaner cutter cleanest "
                "livest liveth cutest imagines".split())},
            exc={"saw": [("see", "verb")], "seen": [("see", "verb")],
                 "halfways": [("halfway", "adj")], "imagines": [("imago", "noun")]},
            cmu={})
        records = {w: {"kind": "lemma", "base": "", "hw": w, "meaning": "x"} for w in words}
        return forms.FormLabeller(records, src), src

    def test_seed_is_not_see_and_freed_is_free(self):
        lab, _ = self.labeller()
        self.assertIsNone(lab.reg_label("seed")[0])
        self.assertEqual(lab.reg_label("freed")[0], "free")

    def test_an_irregular_verb_takes_ed_only_in_common_use(self):
        import types
        src = types.SimpleNamespace(
            lemmas={"grow": {"verb"}, "lie": {"verb", "noun"}}, tagcnt={},
            rank={"grow": 500, "lie": 300, "lied": 1444, "growed": 19779},
            exc={"grew": [("grow", "verb")], "grown": [("grow", "verb")],
                 "lay": [("lie", "verb")], "lain": [("lie", "verb")]}, cmu={})
        records = {w: {"kind": "lemma", "base": "", "hw": w, "meaning": "x"}
                   for w in ("grow", "lie")}
        lab = forms.FormLabeller(records, src)
        self.assertIsNone(lab.reg_label("growed")[0])
        self.assertEqual(lab.reg_label("lied")[0], "lie")

    def test_an_old_second_person_is_no_superlative(self):
        lab, _ = self.labeller()
        self.assertIsNone(lab.reg_label("liver")[0])            # livest: thou livest
        self.assertEqual(lab.reg_label("cleaner")[0], "clean")  # cleanest

    def test_a_doubling_stem_takes_no_bare_ending(self):
        self.assertFalse(forms.gradable("cut", {"cutest"}, "er"))     # cute's
        self.assertTrue(forms.gradable("big", {"biggest"}, "er"))
        self.assertTrue(forms.gradable("common", {"commonest"}, "er"))
        self.assertFalse(forms.gradable("con", {"const", "conest"}, "er"))
        self.assertTrue(forms.gradable("nice", {"nicest"}, "er"))
        lab, _ = self.labeller()
        self.assertIsNone(lab.reg_label("cutter")[0])

    def test_a_spelling_with_s_is_no_degree(self):
        lab, _ = self.labeller()
        self.assertEqual(lab.irregular_bases("halfways", [("halfway", "adj")]), [])

    def test_an_irregular_form_of_an_unused_word_is_a_regular_one(self):
        lab, src = self.labeller()
        self.assertTrue(build.irregular_of_unused("imagines", [("imago", "noun")], lab, src.rank))
        # leaves stays leaf's too: the frequency list meets leaf
        self.assertFalse(build.irregular_of_unused("imagines", [("imagine", "verb")], lab,
                                                   src.rank))


class FormsOfEveryHeadword(unittest.TestCase):
    def test_every_ranked_word_and_cmudicts_forms_are_candidates(self):
        rank = {"thread": 6711, "communicates": 32103}
        cmu = {"threaded": ["TH"], "thread": ["TH"], "threadbare": ["TH"]}
        got = list(build.form_candidates(rank, cmu))
        self.assertEqual(got, ["thread", "communicates", "threaded"])

    def test_forms_beyond_the_frequent_words_get_lines(self):
        import collections
        import types
        words = {"communicate": {"verb"}, "thread": {"noun", "verb"}, "Walter": {"noun"}}
        src = types.SimpleNamespace(lemmas={"communicate": {"verb"}, "thread": {"noun", "verb"},
                                            "walter": {"noun"}},
                                    tagcnt={}, rank={"communicates": 32103, "walters": 40000},
                                    exc={}, cmu={})
        records = {w.lower(): {"kind": "lemma", "base": "", "hw": w, "meaning": "x"}
                   for w in words}
        lab = forms.FormLabeller(records, src)
        pron = types.SimpleNamespace(pron_for=lambda k: ("", None))
        args = types.SimpleNamespace(regular_inflections=30000)
        build.add_regular_forms(records, src.rank, lab, pron, args, collections.Counter(),
                                {"threaded": ["TH"]})
        self.assertEqual(records["communicates"]["base"], "communicate")
        self.assertEqual(records["threaded"]["base"], "thread")
        self.assertNotIn("walters", records)        # a name's

    def test_a_consonant_and_y_take_ies(self):
        self.assertNotIn(("ally", "s"), forms.regular_bases("allys"))
        self.assertIn(("boy", "s"), forms.regular_bases("boys"))
        self.assertIn(("why", "s"), forms.regular_bases("whys"))

    def test_a_noun_in_sis_has_no_plural_in_sises(self):
        self.assertNotIn(("emphasis", "s"), forms.regular_bases("emphasises"))
        self.assertIn(("emphasise", "s"), forms.regular_bases("emphasises"))
        self.assertIn(("iris", "s"), forms.regular_bases("irises"))


class CapitalisedLines(unittest.TestCase):
    def test_a_common_lower_case_word(self):
        rank = {"sat": 1981, "centre": 4388, "wales": 3000}
        self.assertTrue(build.common_word("sat", "Sat", rank, set()))
        self.assertTrue(build.common_word("centre", "Centre", rank, set()))
        self.assertFalse(build.common_word("wales", "Wales", rank, {"wales"}))   # a name
        self.assertFalse(build.common_word("nor", "NOR", {"nor": 1656}, set()))  # an acronym
        self.assertFalse(build.common_word("sat", "sat", rank, set()))

    def test_the_word_and_the_name_get_a_line_each(self):
        import types

        class FakeMeanings:
            def meaning_for(self, k, case=None):
                return {"lower": ("パン、手鍋、平鍋", {"ed"}),
                        "name": ("パン、牧神、Ｐａｎ", {"fd"})}[case]
        pron = types.SimpleNamespace(pron_for=lambda k: ("p\"n", "cmu"))
        records = {}
        self.assertTrue(build.split_name(records, "pan", "Pan", FakeMeanings(), pron))
        self.assertEqual(records["pan"]["hw"], "pan")
        self.assertEqual(records["pan"]["meaning"], "パン、手鍋、平鍋")
        self.assertEqual(records["Pan"]["meaning"], "牧神")

    def test_a_name_steps_aside_for_a_form(self):
        records = {"sat": {"hw": "Sat", "meaning": "土曜"}, "sit": {"hw": "sit"}}
        build.name_aside(records, "sat")
        self.assertNotIn("sat", records)
        self.assertEqual(records["Sat"]["meaning"], "土曜")
        build.name_aside(records, "sit")
        self.assertIn("sit", records)

    def test_meanings_of_one_case(self):
        import types
        src = types.SimpleNamespace(
            tagcnt={}, lemmas={}, inv={"pan": {
                "手鍋": (1.0, {"cap": False, "raw": 1.0, "epos": {"noun"}, "kanji": "手鍋",
                             "adjna": False, "no_first": False, "adjno": False,
                             "loan": False, "common": True}),
                "牧神": (0.8, {"cap": True, "raw": 0.8, "epos": {"noun"}, "kanji": "牧神",
                             "adjna": False, "no_first": False, "adjno": False,
                             "loan": False, "common": False})}},
            jp_pos={}, respell={}, jp_common=set(), irregular=set(), priority={},
            readings={}, offensive=set(), derived={}, pertains={},
            cp=types.SimpleNamespace(fix=lambda t: t, term_ok=lambda t: True, garbage=0))
        E = build.new_evidence()
        E["pan"]["forms"]["Pan"] += 1
        E["pan"]["fd"].append(("pn", [["パン"]], True))
        m = meanings.Meanings(src, E, types.SimpleNamespace(explain=set(), tail=0.12))
        self.assertNotIn("牧神", m.meaning_for("pan", "lower")[0])
        self.assertIn("手鍋", m.meaning_for("pan", "lower")[0])
        self.assertNotIn("手鍋", m.meaning_for("pan", "name")[0])


class OwnSensesFirst(unittest.TestCase):
    TAGS = {"ground": {"noun": 6, "verb": 4}, "wedding": {"noun": 2}, "pants": {"noun": 0},
            "pant": {"verb": 1}, "things": {"noun": 1}, "thing": {"noun": 12},
            "found": {"noun": 1, "verb": 2, "adj": 1}, "saw": {"noun": 0, "verb": 1},
            "cleaner": {"noun": 1}, "feed": {"noun": 2, "verb": 6}, "fee": {"noun": 1, "verb": 0},
            "evening": {"noun": 1}, "even": {"verb": 0, "adj": 3, "adv": 3},
            "species": {"noun": 2}, "specie": {"noun": 0}, "taking": {}, "take": {"verb": 40}}

    def test_words_of_their_own(self):
        self.assertTrue(forms.own_right("ground", "grind", self.TAGS, "irregular"))
        self.assertTrue(forms.own_right("wedding", "wed", self.TAGS, "ing"))
        self.assertTrue(forms.own_right("pants", "pant", self.TAGS, "s"))

    def test_irregular_plurals_of_untagged_nouns_are_words_of_their_own(self):
        tags = {"dominoes": {"noun": 0}, "domino": {"noun": 0}, "pubes": {"noun": 0},
                "pubis": {"noun": 0}, "mice": {}, "mouse": {"noun": 3}}
        self.assertTrue(forms.own_right("dominoes", "domino", tags, "s"))
        self.assertTrue(forms.own_right("pubes", "pubis", tags, "s"))
        self.assertFalse(forms.own_right("mice", "mouse", tags, "s"))

    def test_forms_the_learner_means_as_words(self):
        rank = {"good": 60, "goods": 3750, "jean": 2888, "jeans": 5734, "troop": 6223,
                "troops": 2701, "eye": 679, "eyes": 429, "cleave": 35422, "clove": 24364,
                "shill": 31582, "shilling": 14166, "interest": 1283, "interesting": 832,
                "light": 533, "lighter": 4692, "lightest": 34309, "cool": 700,
                "cooler": 5489, "coolest": 7644, "stamen": 48225, "stamina": 13494,
                "win": 605, "won": 157, "accuse": 6307, "accused": 3581}
        lemmas = {"good": {"adj", "noun"}, "troops": {"noun"}, "eyes": {"noun"},
                  "clove": {"noun"}, "shilling": {"noun"}, "interesting": {"adj"},
                  "lighter": {"noun"}, "cooler": {"noun"}, "stamina": {"noun"},
                  "won": {"noun"}, "accused": {"noun"}}
        tags = {"good": {"adj": 14, "noun": 3}, "troop": {"noun": 2}, "troops": {"noun": 1},
                "eye": {"noun": 3}, "eyes": {"noun": 1}, "cleave": {"verb": 1},
                "interesting": {"adj": 1}, "interest": {"noun": 7, "verb": 3},
                "win": {"verb": 3, "noun": 1}, "accuse": {"verb": 1}}

        def own(form, base, kind, fdpos=("n",)):
            return forms.own_right(form, base, tags, kind, (rank, lemmas, {"jean"}, set(fdpos)))
        for form, base, kind in (("goods", "good", "s"), ("jeans", "jean", "s"),
                                 ("troops", "troop", "s"), ("clove", "cleave", "irregular"),
                                 ("shilling", "shill", "ing"), ("lighter", "light", "er")):
            self.assertTrue(own(form, base, kind), form)
        self.assertTrue(own("interesting", "interest", "ing", ["adj"]))
        self.assertTrue(own("stamina", "stamen", "s", []))
        # the form is the learner's first thought: eyes, cooler, won, accused
        self.assertFalse(own("eyes", "eye", "s", []))
        self.assertFalse(own("cooler", "cool", "er"))
        self.assertFalse(own("won", "win", "irregular"))
        self.assertFalse(own("accused", "accuse", "ed"))
        # without a FreeDict entry of its own the form keeps its note first
        self.assertFalse(own("clove", "cleave", "irregular", []))

    def test_plain_forms_keep_their_note_first(self):
        self.assertFalse(forms.own_right("found", "find", self.TAGS, "irregular"))
        self.assertFalse(forms.own_right("saw", "see", self.TAGS, "irregular"))
        self.assertFalse(forms.own_right("things", "thing", self.TAGS, "s"))
        self.assertFalse(forms.own_right("taking", "take", self.TAGS, "ing"))

    def test_note_order(self):
        self.assertEqual(forms.after_label("grindの過去形", "地面、土", own_first=True),
                         "地面、土、grindの過去形")
        self.assertEqual(forms.after_label("takeの過去形", "取った"), "takeの過去形、取った")
        # cleaner: both its senses and the note, whichever comes first
        for own in (True, False):
            m = forms.after_label("cleanの比較級", "掃除機、クリーナー", own_first=own)
            self.assertIn("cleanの比較級", m)
            self.assertIn("掃除機", m)

    def test_a_base_without_that_part_of_speech_is_no_base(self):
        self.assertTrue(forms.rare_base("feed", "fee", self.TAGS, "verb"))
        self.assertTrue(forms.rare_base("evening", "even", self.TAGS, "verb"))
        self.assertTrue(forms.rare_base("species", "specie", self.TAGS, "noun"))
        self.assertFalse(forms.rare_base("ground", "grind", {"ground": {"noun": 6},
                                                             "grind": {"verb": 5}}, "verb"))
        self.assertFalse(forms.rare_base("taking", "take", self.TAGS, "verb"))

    def test_a_form_as_the_base_of_another(self):
        word = {"kind": "lemma", "base": ""}
        flatter = {"kind": "lemma", "base": "flat"}      # also flat + er
        taken = {"kind": "irregular", "base": "take"}
        self.assertTrue(forms.base_of_a_form("ing", word, {"verb"}, True, 3))
        # a form that is a verb of its own: its -ing and -ed where no line is
        self.assertTrue(forms.base_of_a_form("ing", flatter, {"verb", "adj"}, False, 2))
        self.assertTrue(forms.base_of_a_form("ed", flatter, {"verb"}, False, 2))
        # ... but an existing line keeps its own senses (boring), and a
        # verb without tagged senses is no base
        self.assertFalse(forms.base_of_a_form("ing", flatter, {"verb"}, True, 2))
        self.assertFalse(forms.base_of_a_form("ing", flatter, {"verb"}, False, 0))
        # a noun that is a form still has a plural (roses); no -er of it
        self.assertTrue(forms.base_of_a_form("s", flatter, {"noun"}, True, 0))
        self.assertFalse(forms.base_of_a_form("er", flatter, {"adj"}, False, 2))
        self.assertFalse(forms.base_of_a_form("ing", taken, {"verb"}, False, 5))
        # a line made from a derived noun is the verb's own (adjourn:
        # 散会する -> adjourned); a note on a base is not
        adjourn = {"kind": "verbal-noun", "base": ""}
        self.assertTrue(forms.base_of_a_form("ed", adjourn, {"verb"}, False, 1))
        self.assertFalse(forms.base_of_a_form("ed", {"kind": "regular", "base": ""},
                                              {"verb"}, False, 1))


class Register(unittest.TestCase):
    ENTRIES = [("ジャップ", None, False, [({"n"}, {"derog"}, ["Jap"])]),
               ("頭", "あたま", True, [({"n"}, set(), ["head"])]),
               ("頭", "かしら", False, [({"n"}, {"vulg"}, ["boss"])]),
               ("やる", None, True, [({"v5r"}, set(), ["to do"]),
                                     ({"v5r"}, {"vulg"}, ["to have sex"])])]

    def test_terms_marked_in_every_entry(self):
        got = sources.edict_derogatory(self.ENTRIES)
        self.assertIn("ジャップ", got)
        self.assertIn("かしら", got)

    def test_words_with_a_neutral_entry_or_first_sense_stay(self):
        got = sources.edict_derogatory(self.ENTRIES)
        self.assertNotIn("頭", got)       # one entry of 頭 is neutral
        self.assertNotIn("やる", got)     # only a later sense is vulgar

    def test_reviewed_list_holds_the_unmarked_ones(self):
        for t in ("土人", "チョン", "めくらうなぎ", "気違いじみる", "聾", "盲"):
            self.assertIn(t, sources.OFFENSIVE_JA)
        for t in ("婦人", "漁師", "移民"):   # EDICT's "sensitive", but neutral
            self.assertNotIn(t, sources.OFFENSIVE_JA)


class DerogatoryMorphemes(unittest.TestCase):
    COMMON = {"本土", "具合", "東", "病"}
    READINGS = {"印度支那": {"インドシナ"}, "東支那海": {"ひがししなかい"}}

    def mend(self, t):
        return term_rules.mended_term(t, self.READINGS, self.COMMON)

    def test_place_names_take_shina_in_katakana(self):
        self.assertEqual(self.mend("印度支那"), "インドシナ")
        self.assertEqual(self.mend("東支那海"), "東シナ海")
        self.assertEqual(self.mend("南支那海"), "南シナ海")
        self.assertEqual(self.mend("支那チベット語族"), "シナチベット語族")

    def test_compounds_of_other_slurs_are_dropped(self):
        for t in ("北米土人", "めくらへび", "メクラヘビ", "癩病", "癩病患者", "河原者", "不具にする"):
            self.assertIsNone(self.mend(t), t)

    def test_a_common_word_across_the_morpheme_is_no_slur(self):
        for t in ("本土人", "不具合", "ハンセン病", "盲腸"):
            self.assertEqual(self.mend(t), t)


class Debris(unittest.TestCase):
    def test_wiki_links_and_romanisation(self):
        self.assertEqual(term_rules.clean_term("[[グレイ・カップ]]"), "グレイ・カップ")
        self.assertEqual(term_rules.clean_term("分かった[[か？]]"), "分かったか？")
        self.assertEqual(term_rules.clean_term("[[分かる|分かった]]か"), "分かったか")
        self.assertEqual(term_rules.clean_term("マニュアル読め (manyuaru yome)"), "マニュアル読め")
        self.assertEqual(term_rules.clean_term("トング(tongu)"), "トング")

    def test_stray_full_stops_and_english_notes(self):
        self.assertEqual(term_rules.clean_term("俗っぽい."), "俗っぽい")
        self.assertEqual(term_rules.clean_term(".婚外性交"), "婚外性交")
        self.assertEqual(term_rules.clean_term("Japanese surname 佐藤"), "佐藤")
        self.assertEqual(term_rules.clean_term("-湖"), "湖")
        self.assertEqual(term_rules.clean_term("幾-"), "幾")
        # an ellipsis, an initialism and a Latin-letter word stay
        for t in ("あの…", "まさに...しようとしている", "DNA 鑑定", "Wi-Fiがあるの?", "Tシャツ"):
            self.assertEqual(term_rules.clean_term(t), t)

    def test_an_objects_slot_is_written_as_a_wave_dash(self):
        self.assertEqual(term_rules.clean_term("...の前に"), "～の前に")
        self.assertEqual(term_rules.clean_term("…の代わりに"), "～の代わりに")
        # a trailing ellipsis trails off; it is no slot
        self.assertEqual(term_rules.clean_term("あの…"), "あの…")

    def test_words_of_a_phrase_as_they_are_looked_up(self):
        self.assertEqual(pronounce.spoken_words("long live the king!"),
                         ["long", "live", "the", "king"])
        # one entry per word: the slot stays, empty, so the phrase gets no code
        self.assertEqual(pronounce.spoken_words("what does ... mean"), ["what", "does", "", "mean"])

    def test_a_numeral_pair_is_one_term(self):
        # 、 separates the terms of a line: 二、三の would read as 二 and 三の
        self.assertEqual(term_rules.clean_term("二、三の"), "二三の")
        self.assertEqual(term_rules.clean_term("三、四日"), "三四日")
        # a sentence keeps its comma; the line shows it unchanged
        self.assertEqual(term_rules.clean_term("じゃ、また"), "じゃ、また")
        self.assertEqual(term_rules.clean_term("来た、見た、勝った"), "来た、見た、勝った")

    def test_template_remains_are_dropped(self):
        self.assertEqual(term_rules.clean_term("}}から見た"), "")
        self.assertEqual(term_rules.clean_term("{{ja-r|見る}}"), "")

    def test_ordinary_terms_untouched(self):
        for t in ("取る", "Tシャツ", "CD（コンパクトディスク）", "ｘ線"):
            self.assertEqual(term_rules.clean_term(t), t)

    def test_phrasebook_answer_in_the_other_language(self):
        self.assertTrue(term_rules.other_language("do you speak English", "日本語が話せますか？"))
        self.assertFalse(term_rules.other_language("do you speak English", "英語が話せますか？"))
        self.assertFalse(term_rules.other_language("how do you say ... in English",
                                              "…は英語でなんと言いますか？"))
        self.assertFalse(term_rules.other_language("good morning", "日本語"))


class Heteronyms(unittest.TestCase):
    JP = {"読む": {"v5m"}, "住む": {"v5m"}, "率いる": {"v1"}, "鉛": {"n"}, "風": {"n"},
          "巻く": {"v5k"}, "記録": {"n", "vs"}, "進歩": {"n", "vs"}, "生": {"n", "adj-no"}}
    CMU = {"read": [["R", "EH1", "D"], ["R", "IY1", "D"]],
           "live": [["L", "AY1", "V"], ["L", "IH1", "V"]],
           "lead": [["L", "EH1", "D"], ["L", "IY1", "D"]],
           "wind": [["W", "AY1", "N", "D"], ["W", "IH1", "N", "D"]],
           "record": [["R", "AH0", "K", "AO1", "R", "D"], ["R", "EH1", "K", "ER0", "D"]],
           "separate": [["S", "EH1", "P", "ER0", "EY2", "T"], ["S", "EH1", "P", "ER0", "IH0", "T"]]}

    def pick(self, word, first, pos=None):
        pos = pos or pronounce.ja_pos(first, self.JP)
        v = pronounce.choose_variant(word, self.CMU[word], pos, first, True)
        return " ".join(v) if v else None

    def test_part_of_speech_of_a_japanese_term(self):
        self.assertEqual(pronounce.ja_pos("読む", self.JP), "verb")
        self.assertEqual(pronounce.ja_pos("記録する", self.JP), "verb")
        self.assertEqual(pronounce.ja_pos("進歩", self.JP), "noun")     # a verbal noun
        self.assertEqual(pronounce.ja_pos("生の", self.JP), "adj")
        self.assertEqual(pronounce.ja_pos("readの過去形", self.JP), "verb")
        self.assertEqual(pronounce.ja_pos("lifeの複数形", self.JP), "noun")

    def test_the_sense_of_the_first_meaning_decides(self):
        self.assertEqual(self.pick("read", "読む"), "R IY1 D")
        self.assertEqual(self.pick("live", "住む"), "L IH1 V")
        self.assertEqual(self.pick("live", "生の"), "L AY1 V")
        self.assertEqual(self.pick("lead", "率いる"), "L IY1 D")
        self.assertEqual(self.pick("lead", "鉛"), "L EH1 D")
        self.assertEqual(self.pick("wind", "風"), "W IH1 N D")
        self.assertEqual(self.pick("wind", "巻く"), "W AY1 N D")

    def test_tear_inside_a_phrase(self):
        cmu = [["T", "EH1", "R"], ["T", "IH1", "R"]]

        def pick(first, pos):
            return " ".join(pronounce.choose_variant("tear", cmu, pos, first, True))
        # a noun is the drop even where the meaning does not say so
        self.assertEqual(pick("嘘泣き", "noun"), "T IH1 R")      # crocodile tear
        self.assertEqual(pick("涙を流す", "verb"), "T IH1 R")    # shed a tear
        # a verb, or a noun meaning a rip or wear, is the rip
        self.assertEqual(pick("崩す", "verb"), "T EH1 R")        # tear down
        self.assertEqual(pick("磨損", "noun"), "T EH1 R")        # wear and tear
        self.assertEqual(pick("裂け目", "noun"), "T EH1 R")

    def test_meanings_that_choose_the_other_reading(self):
        self.assertEqual(self.pick("read", "既読スルー", "verb"), "R EH1 D")
        cmu = [["K", "AA1", "N", "T", "EH0", "N", "T"], ["K", "AH0", "N", "T", "EH1", "N", "T"]]
        self.assertEqual(pronounce.choose_variant("content", cmu, "noun", "存分", True), cmu[1])
        self.assertEqual(pronounce.choose_variant("content", cmu, "noun", "内容語", True), cmu[0])

    def test_stress_follows_noun_or_verb(self):
        self.assertEqual(self.pick("record", "記録"), "R EH1 K ER0 D")
        self.assertEqual(self.pick("record", "記録する"), "R AH0 K AO1 R D")
        self.assertEqual(self.pick("separate", "分ける", "verb"), "S EH1 P ER0 EY2 T")
        self.assertEqual(self.pick("separate", "別々の", "adj"), "S EH1 P ER0 IH0 T")

    def test_plain_variants_are_left_alone(self):
        either = [["IY1", "DH", "ER0"], ["AY1", "DH", "ER0"]]
        self.assertIsNone(pronounce.choose_variant("either", either, "adv", "どちらか", False))
        route = [["R", "UW1", "T"], ["R", "AW1", "T"]]
        self.assertIsNone(pronounce.choose_variant("route", route, "noun", "道", True))

    def test_role_inside_a_phrase(self):
        def role(phrase, pos="noun"):
            words = phrase.split()
            return pronounce.phrase_word_pos(words, next(i for i, w in enumerate(words)
                                                     if w in ("live", "use", "excuse", "wind")), pos)
        self.assertEqual(role("where do you live"), "verb")
        self.assertEqual(role("long live"), "verb")
        self.assertEqual(role("excuse me"), "verb")
        self.assertEqual(role("use up", "verb"), "verb")
        self.assertEqual(role("live music"), "noun")
        self.assertEqual(role("wind turbine"), "noun")
        self.assertEqual(role("in use"), "noun")
        # a first word before a particle or preposition is a verb ...
        self.assertEqual(role("live with one's wife's family"), "verb")
        self.assertEqual(role("wind back"), "verb")
        # ... but not before at or to, which follow adjectives as well
        words = "close at hand".split()
        self.assertEqual(pronounce.phrase_word_pos(words, 0, "noun"), "noun")
        self.assertEqual(pronounce.phrase_word_pos(["close", "to"], 0, "noun"), "noun")


class FormReadings(unittest.TestCase):
    V = staticmethod(lambda s: [x.split() for x in s])

    def test_a_note_is_read_by_its_first_label(self):
        self.assertEqual(pronounce.ja_pos("houseの複数形・三人称単数現在形", {}), "noun")
        self.assertEqual(pronounce.ja_pos("backの三人称単数現在形・複数形", {}), "verb")

    def test_a_form_reads_its_base_as_the_bases_line(self):
        self.assertEqual(pronounce.form_variant(
            "putting", "put", "pUt", self.V(["P AH1 T IH0 NG", "P UH1 T IH0 NG"]), {}), "pUti4")
        self.assertEqual(pronounce.form_variant(
            "bows", "bow", "b`u", self.V(["B AW1 Z", "B OW1 Z"]), {}), "b`uz")
        self.assertEqual(pronounce.form_variant(
            "bows", "bow", "b~u", self.V(["B AW1 Z", "B OW1 Z"]), {}), "b~uz")

    def test_a_form_is_not_read_as_another_words_form(self):
        axe = phonetic.arpabet_to_code(["AE1", "K", "S"])
        self.assertEqual(pronounce.form_variant(
            "axes", "axis", '"ks1s', self.V(["AE1 K S IH2 Z", "AE1 K S IY2 Z"]), {"axe": axe}),
            phonetic.arpabet_to_code("AE1 K S IY2 Z".split()))
        # houses: CMUdict reads both alike; nothing to choose
        self.assertEqual(pronounce.form_variant(
            "houses", "house", "h~us", self.V(["HH AW1 S AH0 Z", "HH AW1 S IH0 Z"]), {}),
            "h~us1z")

    def test_a_word_without_primary_stress_takes_its_first_secondary(self):
        code = phonetic.arpabet_to_code("P AA2 L IY2 G L AA0 T".split())
        self.assertEqual(code, phonetic.arpabet_to_code("P AA1 L IY2 G L AA0 T".split()))
        # the first part of a compound stays unaccented: the last carries it
        self.assertEqual(pronounce.Pronouncer({"about": "AH0 B AW1 T".split(),
                                               "face": "F EY1 S".split()}).hyphen_code(
            "about-face")[0], "1b^utfEis")


class Measures(unittest.TestCase):
    def test_debris_scan_finds_stray_stops_and_english_notes(self):
        rows = [("philistine", "俗っぽい.、ペリシテ人", "", ""),
                ("adultery", "不倫、.婚外性交", "", ""),
                ("Sato", "佐藤、Japanese surname 佐藤", "", ""),
                ("about to", "まさに...しようとしている", "", ""),
                ("DNA test", "DNA 鑑定", "", ""),
                ("T-shirt", "Tシャツ", "", ""),
                ("lake", "湖、-湖", "", ""),
                ("Wi-Fi", "ワイファイ、Wi-Fi", "", "")]
        found = quality.register_debris_scan(rows)["stray_stop_or_note"]
        self.assertEqual(found, ["philistine", "adultery", "Sato", "lake"])

    def test_note_patterns_in_judged_lists(self):
        self.assertTrue(quality.term_ok("leave・leafの複数形", ["leafの*"]))
        self.assertTrue(quality.term_ok("takeの過去形", ["takeの*"]))
        self.assertFalse(quality.term_ok("takerの複数形", ["takeの*"]))
        self.assertTrue(quality.term_ok("～を使い果たす", ["を使い果たす"]))

    def test_base_form_scan_finds_each_fault(self):
        rows = [("butter", "butの比較級、バター", "but", ""),
                ("staring", "starの現在分詞", "star", ""),
                ("Easter", "eastの比較級、復活祭", "east", ""),
                ("ground", "grindの過去形、地面", "grind", ""),
                ("faster", "fastの比較級", "fast", ""),
                ("stare", "見つめる", "", ""), ("star", "星", "", "")]
        index = {r[0]: r for r in rows}
        tags = {"butter": {"noun": 1}, "stare": {"verb": 2}, "ground": {"noun": 6},
                "fast": {"adj": 1}, "but": {"adv": 1}}
        got = quality.base_form_scan(rows, index, {"butter", "ground"}, tags, {"fastest"})
        self.assertEqual(got["er_noun_as_comparative"], ["butter"])
        self.assertEqual(got["lost_silent_e"], ["staring"])
        self.assertEqual(got["capital_to_lower_base"], ["Easter"])
        self.assertEqual(got["note_before_own_senses"], ["ground"])

    def test_heteronym_code_is_judged_by_the_first_meaning(self):
        read_iy = phonetic.arpabet_to_code("R IY1 D".split())
        read_eh = phonetic.arpabet_to_code("R EH1 D".split())
        right, judged, _ = quality.heteronym_check({"read": ("read", "読む", "", read_iy)}, ["read"])
        self.assertEqual((right, judged), (1, 1))
        right, _, _ = quality.heteronym_check({"read": ("read", "読む", "", read_eh)}, ["read"])
        self.assertEqual(right, 0)


class Ranking(unittest.TestCase):
    def test_spelling_of_an_entry(self):
        use = {"引": 90, "出": 300, "受": 200, "使": 150, "遣": 8, "果": 40, "行": 400,
               "綺": 3, "麗": 5, "取": 300, "扱": 30, "表": 200}
        verb = [({"v5s", "vt"}, set(), ["to pull out"])]
        noun = [({"n"}, set(), ["handling"])]

        def best(spellings, senses, common=True):
            return min(spellings, key=lambda k: term_rules.spelling_preference(k, common, senses, use))
        # a compound verb keeps the kana between its kanji
        self.assertEqual(best(["引出す", "引き出す", "ひきだす"], verb), "引き出す")
        # ... and its last part spelled as the common verb is
        common = {"行う", "果たす", "表す"}

        def best_tail(spellings):
            return min(spellings, key=lambda k: term_rules.spelling_preference(
                k, True, verb, use, common))
        self.assertEqual(best_tail(["行なう", "行う"]), "行う")
        self.assertEqual(best_tail(["使い果す", "使い果たす"]), "使い果たす")
        self.assertEqual(best_tail(["表わす", "表す"]), "表す")
        # of equal spellings, the one with common kanji
        self.assertEqual(best(["遣い果たす", "使い果たす"], verb), "使い果たす")
        # kanji before kana, also when the kanji are rare
        self.assertEqual(best(["きれい", "綺麗"], noun), "綺麗")
        # a noun keeps the short conventional spelling
        self.assertEqual(best(["取り扱い", "取扱い"], noun), "取扱い")
        # a common spelling wins over any other
        self.assertLess(term_rules.spelling_preference("引出す", True, verb, use),
                        term_rules.spelling_preference("引き出す", False, verb, use))

    def test_an_irregular_spelling_never_stands_for_its_entry(self):
        puddle = [({"n"}, set(), ["puddle"])]
        irregular = [({"n"}, {"io"}, ["puddle"])]
        keys = {k: term_rules.spelling_preference(k, False, sn, {"水": 50, "溜": 5})
                for k, sn in (("水溜", irregular), ("水溜まり", puddle))}
        self.assertEqual(min(keys, key=keys.get), "水溜まり")

    def test_freedicts_spelling_of_an_edict_entry_is_one_term(self):
        spelled_as = {"日暮": {"日暮れ"}, "日暮れ": {"日暮れ"}, "取り換える": {"取り替える"},
                      "取り替える": {"取り替える"}, "闘う": {"戦う"}, "戦う": {"戦う"},
                      "物差し": {"物差"}, "物差": {"物差"}, "初": {"初", "初め"}}
        respell = sources.edict_spelling(spelled_as)
        # a spelling read in its own right, or for two entries, is left out
        self.assertEqual(set(respell), {"日暮", "取り換える", "闘う", "物差し"})
        common = {"日暮れ", "取り替える", "戦う", "闘う", "物差", "物差し"}

        def one(t):
            unify = {}
            got = term_rules.one_spelling(t, respell, common, unify)
            return got, unify
        # kana apart: FreeDict's spelling when common, else EDICT's common one
        self.assertEqual(one("物差し"), ("物差し", {"物差": "物差し"}))
        self.assertEqual(one("日暮"), ("日暮れ", {"日暮れ": "日暮れ"}))
        # other kanji: a rare spelling joins the common one...
        self.assertEqual(one("取り換える"), ("取り替える", {"取り替える": "取り替える"}))
        # ... two common ones stay apart
        self.assertEqual(one("闘う"), ("闘う", {}))
        self.assertEqual(one("戦う"), ("戦う", {}))
        # an irregular spelling takes EDICT's
        unify = {}
        self.assertEqual(term_rules.one_spelling("日暮", respell, set(), unify, {"日暮"}), "日暮れ")
        self.assertEqual(sources.irregular_spellings([
            ("狂しい", "くるおしい", False, [({"adj-i"}, {"io"}, ["mad"])]),
            ("狂おしい", "くるおしい", False, [({"adj-i"}, set(), ["mad"])])]), {"狂しい"})
        self.assertEqual(term_rules.unified("物差", {"物差": "物差し"}), "物差し")
        self.assertEqual(term_rules.unified("誘惑する", {"誘惑": "誘惑"}), "誘惑する")
        self.assertEqual(term_rules.unified("戦う", {"物差": "物差し"}), "戦う")

    def test_main_part_of_speech(self):
        self.assertEqual(term_rules.main_pos({"noun": 3, "verb": 7}, {"noun", "verb"}), "verb")
        # no tagged sense: the only part of speech WordNet gives
        self.assertEqual(term_rules.main_pos({"verb": 0}, {"verb"}), "verb")
        self.assertEqual(term_rules.main_pos({}, {"adj"}), "adj")
        # several, none tagged, or none at all: no main one
        self.assertIsNone(term_rules.main_pos({"noun": 0, "adj": 0}, {"noun", "adj"}))
        self.assertIsNone(term_rules.main_pos({}, set()))

    def test_noun_or_verb_form_of_a_term(self):
        def merged(noun_word):
            scores = {"実験": 1.0, "実験する": 2.0, "静か": 0.5, "静かな": 1.0}
            origin = {t: {"ed"} for t in scores}
            term_rules.merge_forms(scores, origin, noun_word)
            return scores
        self.assertEqual(merged(True), {"実験": 3.0, "静かな": 1.5})
        self.assertEqual(merged(False), {"実験する": 3.0, "静かな": 1.5})

    def test_one_adjective_with_na_and_no_is_one_term(self):
        scores = {"一杯な": 1.0, "一杯の": 2.5, "静かな": 1.0}
        origin = {"一杯な": {"ed"}, "一杯の": {"fd"}, "静かな": {"ed"}}
        term_rules.merge_forms(scores, origin, False)
        self.assertEqual(scores, {"一杯の": 3.5, "静かな": 1.0})
        self.assertEqual(origin["一杯の"], {"ed", "fd"})

    def test_a_noun_under_an_adjective_takes_no(self):
        scores = {"無毛": 3.0, "無毛の": 1.0, "無所属": 2.0, "無所属の": 1.5, "自主的な": 2.5}
        plain = dict(scores)
        origin = {"無毛": {"fd"}, "無毛の": {"ed"}, "無所属": {"fd"},
                  "無所属の": {"ed"}, "自主的な": {"ed"}}
        merged = term_rules.noun_as_adjective(scores, plain, origin)
        self.assertEqual(sorted(merged), [("無所属", "無所属の"), ("無毛", "無毛の")])
        # the stronger of the two counts, not their sum: 無所属の stays below
        self.assertEqual(scores, {"無毛の": 3.0, "無所属の": 2.0, "自主的な": 2.5})
        self.assertEqual(plain, scores)
        self.assertEqual(origin["無毛の"], {"ed", "fd"})
        self.assertNotIn("無毛", origin)

    def test_a_negative_adjectives_plain_verb_says_the_opposite(self):
        lemmas = {"believable", "delible", "edible"}
        jp_pos = {"信じる": {"v1", "vt"}, "消す": {"v5s", "vt"}, "食べる": {"v1"},
                  "信じ難い": {"adj-i"}, "食えない": {"exp"}, "島": {"n"}, "言い表す": {"v5s"}}
        terms = {"unbelievable": ["信じる", "信じ難い"], "indelible": ["消す"],
                 "inedible": ["食べる", "食えない"], "insular": ["島"],
                 "inexpressible": ["言い表す"]}
        opposite = {(k, t) for k, ts in terms.items() for t in ts
                    if term_rules.says_the_opposite(k, t, lemmas, jp_pos)}
        # the negative's own terms (信じ難い, 食えない) stay, and a word
        # whose rest is no word of its own (insular, inexpressible here)
        # is no negative
        self.assertEqual(opposite, {("unbelievable", "信じる"), ("indelible", "消す"),
                                    ("inedible", "食べる")})

    def test_the_adjective_edict_lists_first(self):
        def first_sense_pos(line):
            return sources.parse_edict_line(line)[3][0][0]
        self.assertIn(sources.NO_BEFORE_NA, first_sense_pos(
            "特有 [とくゆう] /(adj-no,adj-na) characteristic (of)/peculiar (to)/(P)/"))
        for line in ("特殊 [とくしゅ] /(adj-na,adj-no,n) special/particular/peculiar/(P)/",
                     "静か [しずか] /(adj-na) quiet/silent/(P)/",
                     "大量 [たいりょう] /(adj-no) large quantity/"):
            self.assertNotIn(sources.NO_BEFORE_NA, first_sense_pos(line), line)
        # the order holds for the senses that follow without tags of their own
        senses = sources.parse_edict_line(
            "無限 [むげん] /(n) (1) infinity/(adj-no,adj-na) (2) infinite/limitless/")[3]
        self.assertNotIn(sources.NO_BEFORE_NA, senses[0][0])
        self.assertIn(sources.NO_BEFORE_NA, senses[1][0])

    def test_ending_of_an_adjectival_noun(self):
        def ending(t, head, no_first=False, adverb=False, tags=("adj-na",)):
            return term_rules.adjective_ending(t, "adj-na" in tags, no_first, adverb,
                                          set(tags), head)
        self.assertEqual(ending("静か", "adj"), "な")
        self.assertEqual(ending("特有", "adj", no_first=True), "の")
        self.assertEqual(ending("静か", "adv"), "に")            # quietly
        self.assertEqual(ending("政治的", "adv"), "に")          # politically
        self.assertEqual(ending("正直", "adv", adverb=True), "")  # an adverb as it is
        self.assertEqual(ending("静か", None), "")                # a noun's term
        self.assertEqual(ending("高い", "adj", tags=("adj-na", "adj-i")), "")
        self.assertEqual(ending("ハード", "adj"), "")
        self.assertEqual(ending("静かな", "adj"), "")
        self.assertEqual(ending("幸い", "adj", tags=("n",)), "")

    def test_an_adjective_under_an_adverb(self):
        self.assertEqual(term_rules.as_adverb("著しい", {"adj-i"}, False, "adv"), "著しく")
        # under an adjective, or where the sense is an adverb as it is
        self.assertEqual(term_rules.as_adverb("著しい", {"adj-i"}, False, "adj"), "著しい")
        self.assertEqual(term_rules.as_adverb("著しい", {"adj-i"}, True, "adv"), "著しい")
        # a noun or verb that happens to end in い
        self.assertEqual(term_rules.as_adverb("違い", {"n"}, False, "adv"), "違い")

    def test_british_and_american_spellings_are_one_word(self):
        pairs = [("colour", "color"), ("favourite", "favorite"), ("realise", "realize"),
                 ("organisation", "organization"), ("travelling", "traveling"),
                 ("marvellous", "marvelous"), ("jewellery", "jewelry"),
                 ("centre", "center"), ("defence", "defense"), ("catalogue", "catalog"),
                 ("programme", "program"), ("likeable", "likable"), ("analyse", "analyze")]
        # words that only look like such a pair
        lookalikes = [("four", "for"), ("tour", "tor"), ("filling", "filing"),
                      ("rise", "rize"), ("fence", "fense"), ("shoe", "she")]
        words = {w for pair in pairs + lookalikes for w in pair}
        twins = term_rules.spelling_twins(words)
        for british, american in pairs:
            self.assertEqual(twins[british], {american}, british)
            self.assertEqual(twins[american], {british}, american)
        for a, b in lookalikes:
            self.assertNotIn(a, twins)
            self.assertNotIn(b, twins)

    def test_adverbs_of_an_adjectives_terms(self):
        jp_pos = {"無限": {"adj-no", "adj-na", "n"}, "早い": {"adj-i"}, "木": {"n"},
                  "ふらふら": {"adv", "adv-to", "vs", "adj-na"}, "正直": {"adj-na", "adv", "n"},
                  "はるか": {"adj-na", "adv", "n"}}
        self.assertEqual(term_rules.adverb_terms(
            ["安全な", "無限の", "木の", "早い", "きれい", "果てしない", "ふらふらな", "正直な",
             "はるかな"], jp_pos), ["安全に", "無限に", "早く", "ふらふら", "正直に", "はるかに"])

    def test_an_ly_adverb_takes_its_adjectives_first_terms(self):
        self.assertEqual(term_rules.ly_bases("sadly")[0], "sad")
        for adverb, adjective in (("gently", "gentle"), ("idly", "idle"), ("fully", "full"),
                                  ("truly", "true"), ("duly", "due"), ("wholly", "whole")):
            self.assertIn(adjective, term_rules.ly_bases(adverb), adverb)
        self.assertIn("happy", term_rules.ly_bases("happily"))
        self.assertIn("simple", term_rules.ly_bases("simply"))
        self.assertIn("basic", term_rules.ly_bases("basically"))
        self.assertEqual(term_rules.ly_bases("fast"), [])
        jp_pos = {"悲しい": {"adj-i"}, "正式": {"adj-na", "n"},
                  "信じられない": {"adj-i"}, "故無しとしない": {"exp", "adj-i"}}
        first, second = term_rules.DERIVED_ADVERB
        self.assertEqual(term_rules.adverb_scores(["悲しい", "正式な"], jp_pos),
                         {"悲しく": first, "正式に": second})
        # the first term counts most, and only the first two count
        self.assertEqual(term_rules.adverb_scores(["嘆き", "悲しい", "正式な"], jp_pos),
                         {"悲しく": second})
        self.assertEqual(term_rules.adverb_scores(["信じられない", "故無しとしない"], jp_pos), {})

    def test_priority_from_jmdicts_frequency_marks(self):
        def marks(text):
            return sources.PRIORITY_TAG.findall(text)
        self.assertEqual(sources.priority_of(marks("[ichi1] [news1] [nf01]")), 1.0)
        self.assertAlmostEqual(sources.priority_of(marks("[news1] [nf25]")), 0.5)
        # a word on a first list counts as common whatever its band
        self.assertEqual(sources.priority_of(marks("[ichi1] [news2] [nf40]")), 0.4)
        self.assertEqual(sources.priority_of(marks("[spec2]")), 0.2)
        self.assertEqual(sources.priority_of([]), 0.0)

    def test_priority_of_each_spelling(self):
        text = "\n".join([
            "00-database-info",
            " [ichi1]  [news1]  [nf01]  職員 /x y/,  [ichi1]  [news1]  [nf01] しょくいん /z/",
            "staff member, personnel",
            " [news1]  [nf10]  顔ぶれ /x/,  [ichi1]  [news2]  [nf34]  顔触れ /x/, かおぶれ /z/",
            "家従 /x/, かじゅう /z/",
            "steward, butler",
            " [ichi1]  [news1]  [nf20]  様 /x/, よう /z/",
            "癰 /x/, よう /z/",
            " [gai1] スクリュー /z/",
            "1. a note /with slashes/, and a comma",
        ])
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "jpn-eng.dict.dz")
            with gzip.open(path, "wt", encoding="utf-8") as f:
                f.write(text)
            prio = sources.load_priority(path)
        self.assertEqual(prio["職員"], 1.0)
        self.assertEqual(prio["しょくいん"], 1.0)
        # every spelling of an entry is as common as its commonest
        self.assertEqual(prio["顔触れ"], prio["顔ぶれ"])
        self.assertEqual(prio["家従"], 0.0)
        # a reading several written words share tells nothing of one
        self.assertEqual(prio["よう"], 0.0)
        self.assertEqual(prio["スクリュー"], 0.4)
        self.assertNotIn("a note", prio)

    def test_rare_terms_rank_lower(self):
        prio = {"執事": 0.4, "小屋": 0.83, "発明": 1.0, "衝動": 0.5, "螺子": 0.2, "悲しい": 1.0,
                "集い": 1.0}
        jp_pos = {"悲しい": {"adj-i"}, "集い": {"n"}, "集く": {"v5k", "vi"}}
        weight = {t: term_rules.commonness_weight(t, prio, jp_pos)
                  for t in ("執事", "小屋", "発明する", "衝動的", "家従", "螺子", "悲しく", "集く")}
        self.assertEqual(weight["執事"], 1.0)
        self.assertEqual(weight["小屋"], 1.0)
        self.assertEqual(weight["発明する"], 1.0)
        self.assertEqual(weight["衝動的"], 1.0)
        self.assertEqual(weight["悲しく"], 1.0)        # by 悲しい
        # a verb whose い form is a noun is no adverb of it
        self.assertEqual(weight["集く"], term_rules.RARE_TERM)
        self.assertEqual(weight["家従"], term_rules.RARE_TERM)
        self.assertTrue(term_rules.RARE_TERM < weight["螺子"] < 1.0)

    def test_phrasal_verb_terms_sharing_the_verbs_kanji(self):
        scores = {"帰す": 3.0, "送り返す": 3.0, "差し戻す": 3.0}
        term_rules.head_verb_kanji(scores, ["送る", "発送する"])
        self.assertEqual(max(scores, key=scores.get), "送り返す")
        self.assertEqual(scores["帰す"], 3.0)
        untouched = {"なくす": 2.0}
        term_rules.head_verb_kanji(untouched, ["得る"])
        self.assertEqual(untouched, {"なくす": 2.0})

    def test_compound_prepositions(self):
        tags = {"because": {"noun": 0}, "due": {"adj": 3}, "look": {"verb": 30, "noun": 8},
                "close": {"adj": 20, "verb": 15}, "cup": {"noun": 5}}
        for p in ("because of", "due to", "in front of", "close to", "together with"):
            self.assertTrue(term_rules.prepositional(p.split(), tags), p)
        # phrasal verbs and phrases ending in another word are left alone
        for p in ("look for", "look after", "all right", "at first", "so that", "of"):
            self.assertFalse(term_rules.prepositional(p.split(), tags), p)

    def test_a_bare_noun_cannot_stand_for_a_preposition(self):
        jp_pos = {"せい": {"n"}, "前": {"n-adv", "n-t", "adj-no", "suf"}, "ため": {"n"},
                  "ために": {"exp"}, "による": {"exp", "v5r"}, "代表": {"n", "vs"},
                  "及び": {"conj"}}
        for t in ("せい", "前", "ため"):
            self.assertTrue(term_rules.bare_noun(t, jp_pos), t)
        # connectives, verbal nouns and terms EDICT does not tag stay
        for t in ("ために", "による", "代表", "及び", "～の前に"):
            self.assertFalse(term_rules.bare_noun(t, jp_pos), t)

    def test_names_count_less_only_beside_the_words_own_senses(self):
        cap, low = {"cap": True}, {"cap": False}
        self.assertTrue(term_rules.has_common_senses([("n", [["ケルン"]], True)], {"オーデコロン": (1, low)}))
        self.assertTrue(term_rules.has_common_senses([("n", [["コロン"]], False)], {}))
        # only the name: nothing to put first, nothing pushed down
        self.assertFalse(term_rules.has_common_senses([("n", [["ケルン"]], True)], {"ケルン": (1, cap)}))


    def test_a_lower_case_words_own_senses_before_a_names(self):
        scores = {"ケルン": 0.9, "オーデコロン": 0.6, "コロン": 0.5}
        self.assertEqual([t for t, _ in term_rules.rank_terms(scores, {"ケルン"})],
                         ["オーデコロン", "コロン", "ケルン"])
        self.assertEqual([t for t, _ in term_rules.rank_terms(scores, set())],
                         ["ケルン", "オーデコロン", "コロン"])

    def test_a_term_is_a_names_only_when_every_gloss_is_one(self):
        inv, _, _, _ = sources.invert_edict([
            ("バイブル", None, True, [({"n"}, set(), ["Bible"]),
                                       ({"n"}, set(), ["bible (authoritative book)"])]),
            ("ケルン", None, True, [({"n"}, set(), ["Koeln", "Cologne"]),
                                     ({"n"}, set(), ["cairn"])])])
        self.assertFalse(inv["bible"]["バイブル"][1]["cap"])
        self.assertTrue(inv["cologne"]["ケルン"][1]["cap"])
        self.assertFalse(inv["cairn"]["ケルン"][1]["cap"])

    def test_a_gloss_narrowed_by_its_brackets(self):
        for g in ("to put on (lower-body clothing, e.g. pants, skirt, footwear)",
                  "(of the tide) to come in", "to extend (e.g. one's hands)",
                  "to work out (a mine)", "reception (radio, TV, etc.)"):
            self.assertTrue(sources.narrowed(g), g)
        # an object's slot or a particle in brackets narrows nothing
        for g in ("to take care of (someone)", "to depend (on)", "to put on",
                  "to look after (something, someone)", "to come (from)"):
            self.assertFalse(sources.narrowed(g), g)

    def test_only_edicts_own_tags_are_read_as_tags(self):
        _, _, _, senses = sources.parse_edict_line(
            "要員 [よういん] /(n) (necessary) personnel/required person/(P)/")
        self.assertEqual(senses, [({"n"}, set(), ["(necessary) personnel", "required person"])])
        _, _, _, senses = sources.parse_edict_line(
            "別に [べつに] /(adv) (1) (not) particularly/(adv) (2) separately/")
        self.assertEqual(senses[0][2], ["(not) particularly"])
        # a word like a verb tag (video, vivid) is gloss text too
        _, _, _, senses = sources.parse_edict_line("録画 [ろくが] /(n,vs) (video) recording/")
        self.assertEqual(senses, [({"n", "vs"}, set(), ["(video) recording"])])
        # the tags themselves: part of speech, register, field, dialect
        _, _, _, senses = sources.parse_edict_line(
            "だべる /(v5r,vi) (ksb:) (col) to chat/(n) (1) (comp) (uk) something/")
        self.assertEqual([(p, m) for p, m, _ in senses],
                         [({"v5r", "vi"}, {"ksb:", "col"}), ({"n"}, {"comp", "uk"})])

    def test_a_name_behind_its_brackets_is_a_name(self):
        self.assertTrue(sources.name_gloss("(ancient) Japan"))
        self.assertTrue(sources.name_gloss("Japan"))
        for g in ("(mountain) ridge", "lacquer", "I see", "(I) see"):
            self.assertFalse(sources.name_gloss(g), g)

    def test_narrowed_glosses_rank_lower_but_still_admit(self):
        inv, _, _, _ = sources.invert_edict([
            ("履く", "はく", True, [({"v5k", "vt"}, set(), ["to put on (lower-body clothing)"])]),
            ("着る", "きる", True, [({"v1", "vt"}, set(), ["to wear", "to put on"])])])
        put_on = inv["put on"]
        self.assertGreater(put_on["着る"][0], put_on["履く"][0])
        # how strong the gloss is, for admitting the headword, is not lowered
        self.assertEqual(put_on["履く"][1]["raw"], term_rules.gloss_weight(True, 0, 0, 1))

    def test_a_kana_term_before_its_kanji_twin(self):
        readings = {"全て": {"すべて"}, "綺麗": {"きれい"}, "物事": {"ものごと"}}
        # EDICT writes すべて in kana: it stays first, the twin goes
        self.assertEqual(term_rules.kana_before_twin(["すべて", "物事", "全て"], readings, {"すべて"}),
                         ["すべて", "物事"])
        # otherwise the kanji spelling takes the kana's place
        self.assertEqual(term_rules.kana_before_twin(["きれい", "美しい", "綺麗"], readings, set()),
                         ["綺麗", "美しい"])
        # a kana term without a twin stays where it is
        self.assertEqual(term_rules.kana_before_twin(["すべて", "物事"], readings, set()),
                         ["すべて", "物事"])

    def test_verbal_nouns_of_derived_nouns(self):
        inv, _, jp_pos, _ = sources.invert_edict([
            ("発明", "はつめい", True, [({"n", "vs"}, set(), ["invention"])]),
            ("発明品", "はつめいひん", True, [({"n"}, set(), ["invention"])]),
            ("インベンション", None, False, [({"n", "vs"}, set(), ["invention"])]),
            ("発明家", "はつめいか", True, [({"n"}, set(), ["inventor"])])])
        got = term_rules.verbal_nouns(dict.fromkeys(["invention", "inventor"]), inv, jp_pos)
        # a verbal noun takes する; a plain noun (発明品, 発明家) gives nothing
        self.assertEqual(set(got), {"発明する", "インベンションする"})
        self.assertEqual(got["発明する"][0], term_rules.gloss_weight(True, 0, 0, 1) * term_rules.DERIVED_VS)
        # a bare katakana loan counts less
        self.assertLess(got["インベンションする"][0], got["発明する"][0])
        self.assertEqual(term_rules.verbal_nouns({"discovery": None}, inv, jp_pos), {})

    def test_terms_of_a_verb_the_sources_lack(self):
        strong = term_rules.gloss_weight(True, 0, 0, 1) * term_rules.DERIVED_VS
        found = {"明記する": (strong, "明記"), "指定する": (strong * 0.6, "指定"),
                 "特定する": (strong * 0.3, "特定"), "スペックする": (strong, "スペック")}
        # the strong ones, no weak tail, no bare loanword
        self.assertEqual(term_rules.lacking_word_terms(found), ["明記する", "指定する"])
        # nothing as strong as a common first gloss: no line
        weak = {t: (sc * 0.3, k) for t, (sc, k) in found.items()}
        self.assertEqual(term_rules.lacking_word_terms(weak), [])

    def test_which_adjectives_can_be_of_relation(self):
        for w in ("cosmic", "naval", "cardiac", "dietary", "auditory", "lunar", "presidential"):
            self.assertTrue(term_rules.relation_adjective(w), w)
        for w in ("cordless", "grubby", "loopy", "minty", "orchestrated", "triangulate"):
            self.assertFalse(term_rules.relation_adjective(w), w)

    def test_adjective_of_relation_from_its_nouns_first_terms(self):
        inv, _, _, _ = sources.invert_edict([
            ("星", "ほし", True, [({"n"}, set(), ["star"])]),
            ("名優", "めいゆう", True, [({"n"}, set(), ["star", "great actor"])]),
            ("輝く", "かがやく", True, [({"v5k"}, set(), ["to star"])])])
        got = term_rules.noun_terms({"star": {"星", "スター"}}, inv, "の", meanings.PERTAINYM)
        # a lesser sense of the noun (名優) and a verb do not come along
        self.assertEqual(set(got), {"星の"})
        self.assertEqual(got["星の"][0], term_rules.gloss_weight(True, 0, 0, 1) * meanings.PERTAINYM)

    def test_derived_nouns_of_a_verbs_first_senses(self):
        import tempfile
        with tempfile.TemporaryDirectory() as d:
            # data lines: offset lex_filenum ss_type w_cnt word lex_id ... p_cnt
            # pointers (symbol offset pos source/target)
            invention = "00000000 04 n 01 invention 0 000 | making up\n"
            procedure = f"{len(invention):08d} 04 n 01 procedure 0 000 | a way\n"
            offs = [0, len(invention)]
            noun_lines = [invention, procedure]
            first = f"00000000 36 v 01 invent 0 001 + {offs[0]:08d} n 0101 | come up with\n"
            later = f"{len(first):08d} 38 v 01 invent 0 001 + {offs[1]:08d} n 0101 | other use\n"
            with open(os.path.join(d, "data.noun"), "w") as f:
                f.writelines(noun_lines)
            with open(os.path.join(d, "data.verb"), "w") as f:
                f.write(first + later)
            with open(os.path.join(d, "index.verb"), "w") as f:
                f.write(f"invent v 2 1 + 2 1 00000000 {len(first):08d}\n")
            for p in ("noun", "adv"):
                open(os.path.join(d, "index." + p), "w").close()
            adj = f"00000000 00 a 01 inventive 0 001 \\ {offs[0]:08d} n 0101 | creative\n"
            with open(os.path.join(d, "data.adj"), "w") as f:
                f.write(adj)
            with open(os.path.join(d, "index.adj"), "w") as f:
                f.write("inventive a 1 1 \\ 1 0 00000000\n")
            self.assertEqual(sources.derived_nouns(d, 1, "adj", "\\"), {"inventive": {"invention"}})
            self.assertEqual(sources.derived_nouns(d, 1, "adj", "+"), {})
            self.assertEqual(sources.derived_nouns(d, senses=1), {"invent": {"invention"}})
            self.assertEqual(sources.derived_nouns(d, senses=2),
                             {"invent": {"invention", "procedure"}})


class Headwords(unittest.TestCase):
    def test_phrasal_verbs_edict_may_make_headwords(self):
        lemmas = {"run": {"verb", "noun"}, "take": {"verb"}, "part": {"noun"}}
        self.assertTrue(build.phrasal_verb("run out of", 0.5, lemmas))
        # a verb, a word and a particle only with a strong gloss
        self.assertTrue(build.phrasal_verb("take part in", 1.0, lemmas))
        self.assertFalse(build.phrasal_verb("take part in", 0.9, lemmas))
        self.assertFalse(build.phrasal_verb("take the in", 2.0, lemmas))
        # not a verb first, or too long
        self.assertFalse(build.phrasal_verb("part of", 2.0, lemmas))
        self.assertFalse(build.phrasal_verb("run out of it now", 2.0, lemmas))


class Ordinals(unittest.TestCase):
    def test_ordinal_numbers(self):
        for w, terms in (("third", ["第三", "三番目"]), ("eleventh", ["第十一", "十一番目"]),
                         ("twentieth", ["第二十", "二十番目"]), ("tenth", ["第十", "十番目"]),
                         ("hundredth", ["第百", "百番目"])):
            self.assertEqual(term_rules.ordinal_terms(w), terms)
        # words that only end like one
        for w in ("month", "north", "width", "tooth", "thirds", "fourthly"):
            self.assertEqual(term_rules.ordinal_terms(w), [], w)

    def test_meaning_cap(self):
        self.assertEqual(term_rules.capped_meaning(["第三", "三番目", "第三"]), "第三、三番目")
        many = [f"語{i:02d}" for i in range(20)]
        self.assertEqual(len(term_rules.capped_meaning(many).split("、")), term_rules.MAX_TERMS)
        long = ["あ" * 25, "い" * 25, "う" * 25]
        self.assertLessEqual(len(term_rules.capped_meaning(long).encode("cp932")),
                             term_rules.MAX_MEANING_BYTES)


class Synonyms(unittest.TestCase):
    def wordnet(self, d):
        """A small WordNet: rhino = rhinoceros (one sense); weenie = frank,
        which is also an adjective, and frankfurter."""
        synsets = {"noun": [("rhinoceros rhino", "05"), ("frank frankfurter weenie", "13"),
                            ("black_bass", "05"), ("bass_guitar", "06")],
                   "adj": [("frank blunt", "00")]}
        index = {}
        for pos, rows in synsets.items():
            data, offsets = b"", []
            for words, lex in rows:
                offsets.append(len(data))
                ws = words.split()
                data += ("%08d %s n %02x %s 000 | gloss\n" % (
                    len(data), lex, len(ws), " ".join(w + " 0" for w in ws))).encode()
            with open(os.path.join(d, "data." + pos), "wb") as f:
                f.write(data)
            for (words, _), off in zip(rows, offsets):
                for w in words.split():
                    index.setdefault(pos, {}).setdefault(w, []).append("%08d" % off)
        for pos in ("noun", "verb", "adj", "adv"):
            with open(os.path.join(d, "index." + pos), "w") as f:
                for w, offs in sorted(index.get(pos, {}).items()):
                    f.write("%s %s %d 0 %d 0 %s\n" % (w, pos[0], len(offs), len(offs), " ".join(offs)))

    def test_synonyms_with_one_sense_only(self):
        import tempfile
        with tempfile.TemporaryDirectory() as d:
            self.wordnet(d)
            got = sources.wordnet_synonyms(d, {"rhino", "weenie"}, {})
        self.assertEqual(got["rhino"], ["rhinoceros"])
        # frank is an adjective too: its senses would come along
        self.assertEqual(got["weenie"], ["frankfurter"])

    def test_lexicographer_file_of_a_compound(self):
        import tempfile
        with tempfile.TemporaryDirectory() as d:
            self.wordnet(d)
            got = sources.wordnet_lexfiles(d, {"black bass", "bass guitar", "sea bass"})
        self.assertEqual(got, {"black bass": "05", "bass guitar": "06"})
        # the fish in an animal's name, the low voice elsewhere
        self.assertIn("05", dict(pronounce.LEXFILE_SENSES["bass"])["B AE1 S"].split())
        self.assertNotIn("06", dict(pronounce.LEXFILE_SENSES["bass"])["B AE1 S"].split())

    def test_names_by_capitals(self):
        import json
        import tempfile
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "freq.json")
            with open(path, "w") as f:
                json.dump([{"word": "Maxwell", "count": 95}, {"word": "maxwell", "count": 5},
                           {"word": "Rhino", "count": 2}, {"word": "rhino", "count": 20}], f)
            self.assertEqual(sources.load_names(path), {"maxwell"})


if __name__ == "__main__":
    unittest.main()
