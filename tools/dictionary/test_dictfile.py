"""Unit tests: writing and checking dictionary lines (on small made-up files)."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import dictfile  # noqa: E402


def write(tmp, name, raw):
    path = os.path.join(tmp, name)
    with open(path, "wb") as f:
        f.write(raw)
    return path


class EncodeLine(unittest.TestCase):
    def test_line_is_cp932_with_crlf(self):
        raw = dictfile.encode_line(["take", "取る、持っていく", "", "tEik"])
        self.assertTrue(raw.endswith(b"\r\n"))
        self.assertEqual(raw[:-2].decode("cp932"), "take,取る、持っていく,,tEik")

    def test_comma_inside_a_field_is_refused(self):
        with self.assertRaises(ValueError):
            dictfile.encode_line(["a", "b,c", "", ""])

    def test_characters_that_do_not_round_trip_are_refused(self):
        # Python's cp932 writes these, but they read back as other characters
        for ch in ("\u301c", "\u2212", "\u2016"):
            with self.assertRaises(ValueError):
                dictfile.encode_line(["x", "a" + ch + "b", "", ""])

    def test_three_fields_are_refused(self):
        with self.assertRaises(ValueError):
            dictfile.encode_line(["a", "b", "c"])


class CheckFile(unittest.TestCase):
    def check(self, raw, kind="word"):
        with tempfile.TemporaryDirectory() as tmp:
            return dictfile.check_file(write(tmp, "f.txt", raw), kind)

    def test_good_file(self):
        raw = (dictfile.encode_line(["take", "取る", "", "tEik"]) +
               dictfile.encode_line(["took", "takeの過去形", "take", "tUk"]))
        rows, problems = self.check(raw)
        self.assertEqual(problems, [])
        self.assertEqual(len(rows), 2)

    def test_lf_line_end(self):
        _, problems = self.check("take,取る,,tEik\n".encode("cp932"))
        self.assertTrue(problems)

    def test_missing_last_line_end(self):
        _, problems = self.check(b"take,x,,tEik\r\ngo,y,,g`u")
        self.assertTrue(problems)

    def test_stray_comma(self):
        _, problems = self.check("take,取る,持つ,,tEik\r\n".encode("cp932"))
        self.assertTrue(any("fields" in p for p in problems))

    def test_byte_outside_the_code_table(self):
        _, problems = self.check(b"take,x,,tEiq\r\n")
        self.assertTrue(any("code table" in p for p in problems))

    def test_repeated_headword(self):
        _, problems = self.check(b"go,x,,g`u\r\ngo,y,,g`u\r\n")
        self.assertTrue(any("repeated" in p for p in problems))

    def test_empty_meaning(self):
        _, problems = self.check(b"go,,,g`u\r\n")
        self.assertTrue(any("no meaning" in p for p in problems))

    def test_phrase_in_word_file_and_word_in_phrase_file(self):
        _, problems = self.check(b"take off,x,,tEik O0f\r\n", "word")
        self.assertTrue(problems)
        _, problems = self.check(b"take,x,,tEik\r\n", "phrase")
        self.assertTrue(problems)

    def test_phrase_code_has_one_part_per_word(self):
        _, problems = self.check(b"take off,x,,tEik O0f\r\n", "phrase")
        self.assertEqual(problems, [])
        _, problems = self.check(b"take off,x,,tEikO0f a\r\n", "phrase")
        self.assertEqual(problems, [])
        _, problems = self.check(b"take it off,x,,tEik O0f\r\n", "phrase")
        self.assertTrue(problems)

    def test_lossy_character_in_file(self):
        raw = "x,a\u301cb,,\r\n".encode("cp932")      # written as ～ (FF5E)
        _, problems = self.check(raw)
        self.assertEqual(problems, [])                 # read back it is ～: fine
        raw = "x,a\uff5eb,,\r\n".encode("cp932")
        self.assertEqual(self.check(raw)[1], [])


class CheckedList(unittest.TestCase):
    def test_first_meaning_is_compared_loosely(self):
        rows = {"to": ["to", "～へ、～まで", "", "tU0"],
                "just": ["just", "ジャスト、ちょうど", "", "d8#st"],
                "took": ["took", "takeの過去形", "take", "tUk"],
                "look for": ["look for", "～を探す", "", ""],
                "with": ["with", "～と一緒に", "", ""],
                "find": ["find", "を見つける", "", ""]}
        checked = [("to", ["へ"]), ("just", ["ちょうど"]), ("took", ["takeの過去形"]),
                   ("gone", ["goの過去分詞"]), ("look for", ["探す"]), ("with", ["と一緒に"]),
                   ("find", ["見つける"])]
        fails = dictfile.check_meanings(rows, checked)
        # a slot's particle goes with the slot, but a particle alone is a term
        self.assertEqual([f[0] for f in fails], ["just", "gone", "find"])


if __name__ == "__main__":
    unittest.main()
