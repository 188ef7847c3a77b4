"""Unit tests: CMUdict ARPAbet and IPA -> one-byte phonetic code."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from phonetic import (CODE_TABLE, arpabet_to_code, ipa_to_code,  # noqa: E402
                      valid_code)


def arpa(s):
    return arpabet_to_code(s.split())


class CodeTable(unittest.TestCase):
    def test_fifty_distinct_one_byte_codes(self):
        self.assertEqual(len(CODE_TABLE), 50)
        self.assertEqual(len(set(CODE_TABLE)), 50)
        self.assertTrue(all(0x21 <= ord(c) <= 0x7E for c in CODE_TABLE))
        self.assertNotIn(",", CODE_TABLE)

    def test_table_order_matches_glyph_cells(self):
        self.assertEqual(CODE_TABLE[0], "a")
        self.assertEqual(CODE_TABLE[18], "R")
        self.assertEqual(CODE_TABLE[30], "0")
        self.assertEqual(CODE_TABLE[31], "r")
        self.assertEqual(CODE_TABLE[35], "A")
        self.assertEqual(CODE_TABLE[37], '"')
        self.assertEqual(CODE_TABLE[46], "\\")
        self.assertEqual(CODE_TABLE[49], "`")

    def test_valid_code(self):
        self.assertTrue(valid_code("tEik O0f"))
        self.assertTrue(valid_code(""))
        self.assertFalse(valid_code("tEik,"))
        self.assertFalse(valid_code("x"))


class Arpabet(unittest.TestCase):
    def test_consonants_and_plain_vowels(self):
        self.assertEqual(arpa("DH AH0"), "61")
        self.assertEqual(arpa("TH IH1 NG K"), "5I4k")
        self.assertEqual(arpa("JH AH1 JH"), "d8#d8")
        self.assertEqual(arpa("CH IH1 L D R AH0 N"), "t7IldR1n")
        self.assertEqual(arpa("M EH1 ZH ER0"), "mE81r")
        self.assertEqual(arpa("Y EH1 S"), "jEs")
        self.assertEqual(arpa("SH UW1"), "7U0")

    def test_primary_stress_accents_the_vowel(self):
        self.assertEqual(arpa("K AE1 T"), 'k"t')
        self.assertEqual(arpa("HH AA1 T"), "hAt")
        self.assertEqual(arpa("K AH1 T"), "k#t")
        self.assertEqual(arpa("S IY1"), "sI0")
        self.assertEqual(arpa("L AO1"), "lO0")

    def test_secondary_stress_is_not_marked(self):
        self.assertEqual(arpa("AE1 K W AH0 D AH2 K T"), '"kw1d3kt')
        self.assertEqual(arpa("HH AE1 P IY0"), 'h"pi')

    def test_diphthongs_accent_their_first_element(self):
        self.assertEqual(arpa("T EY1 K"), "tEik")
        self.assertEqual(arpa("L AY1 T"), "l~it")
        self.assertEqual(arpa("AH0 B AW1 T"), "1b~ut")
        self.assertEqual(arpa("G OW1"), "g`u")
        self.assertEqual(arpa("B OY1"), "bOi")
        self.assertEqual(arpa("R EY0 D IY1 OW2"), "ReidI0@u")

    def test_r_colouring(self):
        self.assertEqual(arpa("K AA1 R"), "kA0r")
        self.assertEqual(arpa("F AO1 R"), "fO0r")
        self.assertEqual(arpa("K EH1 R"), "kE1r")
        self.assertEqual(arpa("HH IY1 R"), "hI1r")
        self.assertEqual(arpa("T UH1 R"), "tU1r")
        self.assertEqual(arpa("B ER1 D"), "b!0rd")
        self.assertEqual(arpa("W AO1 T ER0"), "wO0t1r")
        self.assertEqual(arpa("F AY1 ER0"), "f~i1r")
        self.assertEqual(arpa("AW1 ER0"), "~u1r")

    def test_r_before_a_vowel_is_a_consonant(self):
        self.assertEqual(arpa("V EH1 R IY0"), "vERi")
        self.assertEqual(arpa("K AE1 R IY0"), 'k"Ri')
        self.assertEqual(arpa("IH1 N T ER0 AH0 S T"), "Int1R1st")
        self.assertEqual(arpa("HH ER1 IY0"), "h!0Ri")

    def test_two_primary_stresses_keep_the_last(self):
        self.assertEqual(arpa("F IH1 F T IY1 N"), "fiftI0n")
        self.assertEqual(arpa("AY1 S K R IY1 M"), "^iskRI0m")

    def test_no_primary_stress(self):
        self.assertEqual(arpa("AH0"), "1")

    def test_unknown_symbol(self):
        self.assertIsNone(arpa("T EY1 Q"))
        self.assertIsNone(arpa(""))


class Ipa(unittest.TestCase):
    def test_espeak_style_stress_before_the_vowel(self):
        self.assertEqual(ipa_to_code("tˈeɪk"), "tEik")
        self.assertEqual(ipa_to_code("tʃˈɪldɹən"), "t7IldR1n")
        self.assertEqual(ipa_to_code("ɐbˈaʊt"), "1b~ut")
        self.assertEqual(ipa_to_code("həlˈoʊ"), "h1l`u")

    def test_dictionary_style_stress_before_the_syllable(self):
        self.assertEqual(ipa_to_code("ˈteɪk"), "tEik")
        self.assertEqual(ipa_to_code("əˈbaʊt"), "1b~ut")

    def test_r_colouring(self):
        self.assertEqual(ipa_to_code("kˈɑːɹ"), "kA0r")
        self.assertEqual(ipa_to_code("kˈɛɹ"), "kE1r")
        self.assertEqual(ipa_to_code("hˈɪɹ"), "hI1r")
        self.assertEqual(ipa_to_code("mˈoːɹ"), "mO0r")
        self.assertEqual(ipa_to_code("wˈɜːld"), "w!0rld")
        self.assertEqual(ipa_to_code("bˈʌɾɚ", "butter"), "b#t1r")
        self.assertEqual(ipa_to_code("fˈaɪɚ"), "f~i1r")
        self.assertEqual(ipa_to_code("ˈaʊɚ"), "~u1r")
        self.assertEqual(ipa_to_code("hˈɜːɹi"), "h!0Ri")

    def test_flap_follows_the_spelling(self):
        self.assertEqual(ipa_to_code("lˈæɾɚ", "ladder"), 'l"d1r')
        self.assertEqual(ipa_to_code("wˈɔːɾɚ", "water"), "wO0t1r")

    def test_two_primary_stresses_keep_the_last(self):
        self.assertEqual(ipa_to_code("zˈiːzˈɪzks"), "zi0zIzks")
        self.assertEqual(ipa_to_code("sˈiːmjˈuːdɪkt"), "si0mjU0dikt")

    def test_secondary_stress_is_not_marked(self):
        self.assertEqual(ipa_to_code("koʊˈɑːpɚɹˌeɪt"), "k@uAp1Reit")

    def test_syllabic_consonant_and_glottal_stop(self):
        self.assertEqual(ipa_to_code("sˈɜːʔn̩li"), "s!0rtnli")

    def test_unknown_symbol(self):
        self.assertIsNone(ipa_to_code("tˈeɪk☃"))
        self.assertIsNone(ipa_to_code(""))

    def test_every_result_is_in_the_table(self):
        for ipa in ("ʍˈɛɹ", "lˈɒx", "ðə", "ˈjuːʒʊəl", "ɹᵻlˈæks", "θˈɪŋ"):
            code = ipa_to_code(ipa)
            self.assertIsNotNone(code, ipa)
            self.assertTrue(valid_code(code), (ipa, code))


if __name__ == "__main__":
    unittest.main()
