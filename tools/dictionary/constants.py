"""What the program expects of its dictionary files, for the builder, the
checks and the other tools: their names and how much of them it holds.
test_constants.py checks these against the program's own headers."""

WORD_FILE = "settei_tango.txt"      # single words, hyphenated ones too
PHRASE_FILE = "settei_jyukugo.txt"  # headwords with a space
FILES = (PHRASE_FILE, WORD_FILE)    # in the order the program loads them
MAX_LINES = 100_000                 # its entry table holds this many lines of both
MAX_LINE_BYTES = 999                # the detail window copies at most this much of a line
