"""Tests of writing the data's line counts into the documents."""
import os
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import doc_counts  # noqa: E402
import constants  # noqa: E402


def write(root, rel, text):
    path = os.path.join(root, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


class DocCountsTest(unittest.TestCase):
    def test_quotes(self):
        text = "| lines | 64,671: 47,065 words, 17,606 phrases |\n"
        new, n = doc_counts.rewritten(text, doc_counts.EXACT, 47430, 17618)
        self.assertEqual((new, n), ("| lines | 65,048: 47,430 words, 17,618 phrases |\n", 1))
        text = "(about 47,000 words and 16,000 phrases) and about 1 words and 2 phrases"
        new, n = doc_counts.rewritten(text, doc_counts.ABOUT, 47430, 17618)
        self.assertEqual(n, 2)
        self.assertEqual(new, "(about 47,000 words and 18,000 phrases) and "
                              "about 47,000 words and 18,000 phrases")

    def test_counts_from_the_files(self):
        with tempfile.TemporaryDirectory() as d:
            with open(os.path.join(d, constants.WORD_FILE), "wb") as f:
                f.write(b"a,x,,\r\nb,y,,\r\n")
            with open(os.path.join(d, constants.PHRASE_FILE), "wb") as f:
                f.write(b"a b,z,,\r\n")
            self.assertEqual(doc_counts.counts(d), (2, 1))

    def test_stale_documents_and_rewrite(self):
        with tempfile.TemporaryDirectory() as root:
            for rel, pattern in doc_counts.DOCUMENTS.items():
                write(root, rel, "x\n" + doc_counts.quote(pattern, 47430, 17618) + "\ny\n")
            self.assertEqual(doc_counts.stale(root, 47430, 17618), [])
            stale = doc_counts.stale(root, 47430, 20100)
            self.assertEqual(len(stale), len(doc_counts.DOCUMENTS))
            self.assertIn("the data '| lines | 67,530: 47,430 words, 20,100 phrases |'",
                          dict(stale)["data/README.md"])
            # a document reworded so that it quotes no counts is stale too
            write(root, "packaging/pelmio.1", "the dictionary\n")
            self.assertEqual(doc_counts.rewrite(root, 47430, 20100),
                             [r for r in doc_counts.DOCUMENTS if r != "packaging/pelmio.1"])
            self.assertEqual(doc_counts.stale(root, 47430, 20100),
                             [("packaging/pelmio.1", "quotes no line counts")])


if __name__ == "__main__":
    unittest.main()
