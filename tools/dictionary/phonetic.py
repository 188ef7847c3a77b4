"""Pronunciations (CMUdict ARPAbet, or IPA) -> Pelmio's one-byte phonetic code.

Every code byte names one glyph cell of the detail window's pronunciation strip:

  a=ɑ 1=ə 2=æ 3=ʌ i u e o=ɔ   p b t d k g m n 4=ŋ l R=r f v s z
  5=θ 6=ð 7=ʃ 8=ʒ j h w   0=ː (length)   r=r-colouring (slanted r)
  ( ) -=ɛ  ^=a  @=o  \\=slanted ə  /
  with primary stress: A=ɑ́ !=ə́ "=ǽ #=ʌ́ I=í U=ú E=é O=ɔ́ ==ɛ́ ~=á `=ó

The notation follows Japanese learners' dictionaries of American English:
take tEik (téik), about 1b~ut (əbáut), water wO0t1r (wɔ́ːtər),
bird b!0rd (bə́ːrd), car kA0r (kɑ́ːr), care kE1r (kéər).

Stress: only primary stress can be shown, on the first symbol of the vowel
(the first element of a diphthong, the ə of ər).  Secondary stress is left
unmarked.  When a source gives one word two primary stresses (fifteen, or
an abbreviation spoken letter by letter), the last one is kept: that is
where the stress falls when the word is said on its own.
"""

import os

# The code characters in the order of the glyph strip's cells, from the
# file the program is built with.
_CODES_FILE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "res",
                           "phonetic_codes.txt")
with open(_CODES_FILE, encoding="ascii") as _f:
    CODE_TABLE = _f.readline().rstrip("\n")
assert len(CODE_TABLE) == 50 and len(set(CODE_TABLE)) == 50

# The space is not a code character: the strip draws it as a blank cell,
# which is how the words of a phrase are kept apart.
WORD_SEPARATOR = " "

ACCENT = {"a": "A", "1": "!", "2": '"', "3": "#", "i": "I", "u": "U",
          "e": "E", "o": "O", "-": "=", "^": "~", "@": "`"}

VOWELS = {"AA", "AE", "AH", "AO", "EH", "ER", "EY", "AY", "AW", "OW", "OY",
          "IH", "IY", "UH", "UW"}

CONSONANTS = {"B": "b", "D": "d", "G": "g", "K": "k", "P": "p", "T": "t",
              "F": "f", "V": "v", "S": "s", "Z": "z", "M": "m", "N": "n",
              "NG": "4", "L": "l", "HH": "h", "W": "w", "Y": "j",
              "TH": "5", "DH": "6", "SH": "7", "ZH": "8", "CH": "t7",
              "JH": "d8", "R": "R"}


def valid_code(code):
    """True when every byte is a code character or the word separator."""
    return all(c in CODE_TABLE or c == WORD_SEPARATOR for c in code)


def accent(vowel_code):
    """Put the primary-stress accent on the first symbol of a vowel's code."""
    return ACCENT[vowel_code[0]] + vowel_code[1:]


# ----------------------------------------------------------------- ARPAbet

def _arpa_vowel(base, stress, r_colour, before_vowel):
    if base == "ER":
        # before a vowel the r starts the next syllable: interest int1R1st
        return ("1" if stress == 0 else "10") + ("R" if before_vowel else "r")
    if base == "AA":
        return "a0r" if r_colour else "a"
    if base == "AO":
        return "o0r" if r_colour else "o0"
    if base == "AH":
        s = "1" if stress == 0 else "3"
        return s + "r" if r_colour else s
    if base == "IY":
        if r_colour:
            return "i1r"
        return "i" if stress == 0 else "i0"
    if base == "UW":
        if r_colour:
            return "u1r"
        return "u" if stress == 0 else "u0"
    plain = {"AE": "2", "EH": "e", "EY": "ei", "AY": "^i", "AW": "^u",
             "OW": "@u", "OY": "oi", "IH": "i", "UH": "u"}[base]
    # here, care, tour, fire, hour: the vowel glides into ər
    return plain + "1r" if r_colour else plain


def _primary_positions(stresses, promote=True):
    """Indices (into the vowel list) that get the accent: the last 1, or
    failing any 1 (CMUdict has a few such words: polyglot, P AA2 L IY2 G L
    AA0 T), the first 2, as English stresses such words early."""
    ones = [k for k, s in enumerate(stresses) if s == 1]
    twos = [k for k, s in enumerate(stresses) if s == 2 and promote]
    return set(ones[-1:] or twos[:1])


def arpabet_to_code(phones, promote=True):
    """['T', 'EY1', 'K'] -> 'tEik'.  None when a symbol is unknown.
    promote=False leaves a word without primary stress unaccented (the
    first part of a compound whose last part carries the stress)."""
    toks = []
    for p in phones:
        p = p.strip().upper()
        if not p:
            continue
        if p[-1] in "012":
            base, st = p[:-1], int(p[-1])
            if base not in VOWELS:
                return None
            toks.append((base, st))
        elif p in VOWELS:
            toks.append((p, 0))
        elif p in CONSONANTS:
            toks.append((p, None))
        else:
            return None
    vowel_idx = [k for k, (b, _) in enumerate(toks) if b in VOWELS]
    if not toks:
        return None
    prim = {vowel_idx[v] for v in
            _primary_positions([toks[k][1] for k in vowel_idx], promote)}
    out = []
    k, n = 0, len(toks)
    while k < n:
        b, s = toks[k]
        if b in VOWELS:
            nxt = toks[k + 1][0] if k + 1 < n else None
            nxt2 = toks[k + 2][0] if k + 2 < n else None
            r_colour = (b != "ER" and nxt == "R"
                        and (nxt2 is None or nxt2 not in VOWELS))
            v = _arpa_vowel(b, s or 0, r_colour, nxt in VOWELS)
            out.append(accent(v) if k in prim else v)
            k += 2 if r_colour else 1
        else:
            out.append(CONSONANTS[b])
            k += 1
    return "".join(out)


# --------------------------------------------------------------------- IPA
# espeak-ng writes General American IPA with the stress mark right before
# the stressed vowel; dictionaries put it before the syllable.  Either way a
# mark applies to the next vowel.

_IPA_VOWELS = [
    # longest first; value: (code, takes r-colouring as "1r")
    ("aɪə", "^i1"), ("aʊə", "^u1"),
    ("eɪ", "ei"), ("aɪ", "^i"), ("aʊ", "^u"), ("oʊ", "@u"), ("əʊ", "@u"),
    ("ɔɪ", "oi"), ("ɪə", "i1"), ("eə", "e1"), ("ɛə", "e1"), ("ʊə", "u1"),
    ("iː", "i0"), ("uː", "u0"), ("ɑː", "a"), ("ɔː", "o0"), ("oː", "o0"),
    ("ɜː", "10"), ("ɒ", "a"), ("ɜ", "10"), ("ɝ", "10"),
    ("ɪ", "i"), ("ᵻ", "i"), ("i", "i"), ("ʊ", "u"), ("u", "u"),
    ("ɛ", "e"), ("e", "e"), ("æ", "2"), ("a", "2"), ("ɑ", "a"),
    ("ɔ", "o0"), ("o", "@u"), ("ʌ", "3"), ("ə", "1"), ("ɐ", "1"),
    ("ɚ", "1r"),
]

_IPA_CONSONANTS = [
    ("tʃ", "t7"), ("dʒ", "d8"), ("t͡ʃ", "t7"), ("d͡ʒ", "d8"),
    ("p", "p"), ("b", "b"), ("t", "t"), ("d", "d"), ("k", "k"),
    ("ɡ", "g"), ("g", "g"), ("m", "m"), ("n", "n"), ("ŋ", "4"),
    ("l", "l"), ("ɫ", "l"), ("ɹ", "R"), ("r", "R"), ("ɾ", "t"),
    ("ʔ", "t"), ("f", "f"), ("v", "v"), ("s", "s"), ("z", "z"),
    ("θ", "5"), ("ð", "6"), ("ʃ", "7"), ("ʒ", "8"), ("j", "j"),
    ("h", "h"), ("w", "w"), ("ʍ", "hw"), ("x", "k"), ("ç", "h"),
]

# marks that carry nothing the code can show
_IPA_IGNORE = set("ˑ.‿-_|ʲ\u0303\u0329\u030d\u0361\u02de'")


def _ipa_tokens(ipa):
    """Split IPA into ('V', code) / ('C', code) / ('S', 'ˈ' or 'ˌ')."""
    out = []
    i, n = 0, len(ipa)
    while i < n:
        ch = ipa[i]
        if ch in "ˈˌ":
            out.append(("S", ch))
            i += 1
            continue
        if ch in _IPA_IGNORE or ch.isspace():
            i += 1
            continue
        for sym, code in _IPA_VOWELS:
            if ipa.startswith(sym, i):
                j = i + len(sym)
                # a length mark the table did not absorb (aː, ɪː) is dropped
                while j < n and ipa[j] in "ːˑ":
                    j += 1
                out.append(("V", code))
                i = j
                break
        else:
            for sym, code in _IPA_CONSONANTS:
                if ipa.startswith(sym, i):
                    out.append(("C", code))
                    i += len(sym)
                    break
            else:
                return None
    return out


def ipa_to_code(ipa, spelling=None):
    """IPA of one word -> code; None when a symbol is unknown.

    spelling, when given, settles the flap ɾ: t in 'water', d in 'ladder'.
    """
    if spelling:
        sp = spelling.lower()
        if "t" not in sp and "d" in sp:
            ipa = ipa.replace("ɾ", "d")
    toks = _ipa_tokens(ipa)
    if not toks:
        return None
    # which vowel each stress mark lands on
    vowels = []           # [code, stressed(bool)]
    pending = None
    seq = []              # ('V', index into vowels) / ('C', code)
    for kind, val in toks:
        if kind == "S":
            pending = val
        elif kind == "V":
            vowels.append([val, pending == "ˈ"])
            seq.append(("V", len(vowels) - 1))
            pending = None
        else:
            seq.append(("C", val))
    if not vowels:
        return None
    primaries = [k for k, (_, st) in enumerate(vowels) if st]
    prim = primaries[-1] if primaries else None
    out = []
    n = len(seq)
    k = 0
    while k < n:
        kind, val = seq[k]
        if kind == "C":
            out.append(val)
            k += 1
            continue
        code = vowels[val][0]
        nxt = seq[k + 1] if k + 1 < n else None
        nxt2 = seq[k + 2] if k + 2 < n else None
        r_follows = nxt is not None and nxt == ("C", "R")
        r_final = r_follows and (nxt2 is None or nxt2[0] != "V")
        step = 1
        if code == "1r":
            # ər before a vowel, or before ɹ + vowel: the r begins the next syllable
            if nxt is not None and nxt[0] == "V":
                code = "1R"
            elif r_follows and not r_final:
                code = "1"
            elif r_follows:
                step = 2
        elif code == "10":
            if r_follows and not r_final:
                code = "10"
            elif nxt is not None and nxt[0] == "V":
                code = "10R"
            else:
                code = "10r"
                step = 2 if r_follows else 1
        elif r_final:
            if code in ("a", "o0"):
                code = code[0] + "0r"
            elif code.endswith("1"):        # ɪə, eə, aɪə...: glide already there
                code = code + "r"
            elif code in ("3", "1"):
                code = code + "r"
            else:
                code = code.rstrip("0") + "1r"
            step = 2
        out.append(accent(code) if val == prim else code)
        k += step
    return "".join(out)
