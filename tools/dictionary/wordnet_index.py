"""WordNet's four index files, read once: the builder and the measures
each look at them more than once."""

import functools
import os

PARTS_OF_SPEECH = ("noun", "verb", "adj", "adv")


@functools.lru_cache(maxsize=1)
def entries(wndir):
    """-> ((pos, lemma, fields), ...) for each lemma line of index.noun,
    index.verb, index.adj and index.adv in that order; lemma has spaces
    for underscores, fields is the line split at blanks."""
    out = []
    for pos in PARTS_OF_SPEECH:
        with open(os.path.join(wndir, "index." + pos), encoding="latin-1") as f:
            for line in f:
                if line.startswith(" "):
                    continue
                fields = line.split()
                out.append((pos, fields[0].replace("_", " "), fields))
    return tuple(out)
