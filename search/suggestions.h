#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dict/entry_table.h"
#include "search/headword_index.h"

namespace pelmio {

// The most keyword texts offered when a search lists nothing.
inline constexpr std::size_t kMaxSuggestions = 5;

// The longest text, in bytes, that spelling suggestions are looked for.
inline constexpr std::size_t kMaxSpelledBytes = 64;

// Whether a keyword text lists at least one line, searched as the user's
// search would be.
using ListsSomething = std::function<bool(std::string_view keywordBytes)>;

// Keyword texts to offer in place of text (code page 932, as searched),
// which listed nothing; best first, at most kMaxSuggestions, none equal to
// text. The first of these ways that finds anything gives them all:
// - text with full-width ASCII as half-width and half-width katakana as
//   full-width;
// - where case matters (ignoreCase false), that text in lower case, and
//   with each token capitalised;
// - that text with each token that is an inflected headword put back to
//   the base form its line gives;
// - for ASCII text, the headwords nearest it in spelling (NearHeadwords).
// All but the headwords are offered only when listsSomething says they
// list a line; a headword lists its own line.
std::vector<std::string> SuggestKeywords(const EntryTable& table, const HeadwordIndex& index,
                                         std::string_view text, bool ignoreCase,
                                         const ListsSomething& listsSomething);

// The distance of the two texts in insertions, deletions, substitutions
// and swaps of neighbouring bytes (each byte edited once at most), with
// ASCII letters of either case equal; limit + 1 for anything further.
std::size_t SpellingDistance(std::string_view a, std::string_view b, std::size_t limit);

// The table indices of the lines whose headwords (index holds the
// table's) lie within SpellingDistance 2 of text, or 1 for a text of 4
// bytes or fewer; at most count of them, each headword once. Nearest
// first; at equal distance, the headword whose letters differ least in
// number from text's (a swap before a substitution: recieve gives receive
// before relieve), then the one with the longer line (more meanings, as
// common words have), then the one nearest text in length, then table
// order. Empty for text that is not all ASCII or is longer than
// kMaxSpelledBytes.
std::vector<std::uint32_t> NearHeadwords(const EntryTable& table, const HeadwordIndex& index,
                                         std::string_view text, std::size_t count);

// text with full-width ASCII characters (and the ideographic space) as
// their ASCII ones, and half-width katakana as full-width, a sound mark
// joined to the kana before it. text itself when nothing changes.
std::string OtherWidth(std::string_view text);

// text with each token that is the headword of a line with a base form
// (the first such line in table order; letters of either case equal with
// ignoreCase) replaced by that base form; tokens joined by one space.
std::string BaseFormPhrase(const EntryTable& table, const HeadwordIndex& index,
                           std::string_view text, bool ignoreCase);

}  // namespace pelmio
