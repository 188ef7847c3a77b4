"""The constants the tools share are the program's: a change on one side
only fails here."""
import os
import re
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..", "..")
sys.path.insert(0, HERE)
import constants  # noqa: E402


def cpp_constant(header, name):
    """The value of `inline constexpr ... name = value;` (or a static one)
    in the header: a string, or a number with its ' separators gone."""
    with open(os.path.join(ROOT, header), encoding="utf-8") as f:
        m = re.search(r"\b%s\s*=\s*([^;]+);" % re.escape(name), f.read())
    if m is None:
        raise AssertionError(f"no {name} in {header}")
    value = m.group(1).strip()
    return value.strip('"') if value.startswith('"') else int(value.replace("'", ""))


class ConstantsAreTheProgramsOwn(unittest.TestCase):
    def test_file_names(self):
        self.assertEqual(constants.PHRASE_FILE,
                         cpp_constant("dict/dictionary_loader.h", "kPhraseFileName"))
        self.assertEqual(constants.WORD_FILE,
                         cpp_constant("dict/dictionary_loader.h", "kWordFileName"))

    def test_limits(self):
        self.assertEqual(constants.MAX_LINES, cpp_constant("dict/entry_table.h", "kCapacity"))
        self.assertEqual(constants.MAX_LINE_BYTES,
                         cpp_constant("dict/entry_fields.h", "kMaxDetailLineBytes"))


if __name__ == "__main__":
    unittest.main()
