"""The whole build, run on a few dozen hand-made input entries
(testdata/build/inputs): its two files must hold exactly the expected
lines.  The entries are chosen so that the constants that shape a line
show: light and run have more good terms than MAX_TERMS, calculate's terms
fill MAX_MEANING_BYTES exactly, the core's run, book and plan are merged
with the builder's terms under both caps, house has MAX_CORE_TERMS core
terms and plan's core terms are MAX_CORE_BYTES long."""
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
TESTDATA = os.path.join(HERE, "testdata", "build")
sys.path.insert(0, HERE)
import constants  # noqa: E402


def expected_lines(name):
    with open(os.path.join(TESTDATA, "expected", name), encoding="utf-8") as f:
        return f.read().splitlines()


class BuildFromSmallInputs(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        out = os.path.join(cls.folder.name, "out")
        cls.build = subprocess.run(
            [sys.executable, os.path.join(HERE, "build.py"),
             "--inputs", os.path.join(TESTDATA, "inputs"),
             "--core", os.path.join(TESTDATA, "core"),
             "--overrides", os.path.join(TESTDATA, "overrides.tsv"),
             "--cache", os.path.join(cls.folder.name, "cache"), "--out", out],
            capture_output=True, text=True)
        cls.files = {}
        for name in constants.FILES:
            path = os.path.join(out, name)
            if os.path.exists(path):
                with open(path, "rb") as f:
                    cls.files[name] = f.read()

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def check_file(self, name):
        self.assertEqual(self.build.returncode, 0, self.build.stderr)
        got = self.files[name]
        want = expected_lines(name)
        # line by line first, for a readable difference; then every byte,
        # code page and line ends included
        self.assertEqual(got.decode("cp932").splitlines(), want)
        self.assertEqual(got, "".join(line + "\r\n" for line in want).encode("cp932"))

    def test_words(self):
        self.check_file(constants.WORD_FILE)

    def test_phrases(self):
        self.check_file(constants.PHRASE_FILE)

    def test_core_lines_are_all_read(self):
        self.assertIn("core: 5 lines, 0 problems", self.build.stderr)


if __name__ == "__main__":
    unittest.main()
