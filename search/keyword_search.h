#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "dict/entry_table.h"
#include "search/letter_index.h"
#include "search/matcher.h"
#include "search/result_order.h"

namespace pelmio {

// The longest keyword text a search reads, in bytes.
inline constexpr std::size_t kMaxKeywordBytes = 999;

// What one search finds: the table indices of every line that holds the
// keyword text's tokens in order, at most as many as the row limit lets in
// (the first ones in table order), in display order; and how many lines
// match in all, the ones past the row limit too.
struct Matches {
    std::vector<std::uint32_t> rows;
    std::size_t total = 0;
};

// Ways to match and order that the user may ask for; by default neither.
struct SearchOptions {
    // Rows whose headword (the text before the first comma) equals the
    // keyword text, spaces at both ends ignored, come first, then rows
    // whose headword begins with it, then the rest; each group in display
    // order. The row limit keeps the first rows of that ranking.
    bool headwordFirst = false;
    // ASCII letters that begin a character match regardless of case.
    bool ignoreCase = false;
    // Only the line before its pronunciation code is matched: a line that
    // holds the keywords only through its code is not listed.
    bool skipPronunciation = false;

    bool operator==(const SearchOptions&) const = default;
};

// The part of the keyword text a search reads: at most kMaxKeywordBytes,
// cut at a character boundary, and nothing from a NUL on.
std::string_view SearchedText(std::string_view keywordBytes);

// The rows of a search from all its matching lines in table order: the
// first RowCap(rowLimit) of them (of the headword ranking first, when the
// options ask for it), in display order, and the count of all. text is the
// searched text.
Matches ArrangeMatches(const EntryTable& table, const ResultOrder& order,
                       const std::vector<std::uint32_t>& lines, std::string_view text,
                       std::int32_t rowLimit, const SearchOptions& options = {});

// The table's lines, each cut before its pronunciation code, at the same
// indices. A search that leaves the codes out runs over these, so that a
// code is never in the matched text and no line needs a second look.
EntryTable WithoutPronunciation(const EntryTable& table);

// What a search may use beside the table, built by the table's owner:
// the letter index, and the lines without their codes with their own
// index, for the option that leaves the codes out. A search does without
// a missing index, and builds missing lines for itself (slowly).
struct TableAids {
    const LetterIndex* letters = nullptr;
    const EntryTable* withoutCodes = nullptr;
    const LetterIndex* withoutCodesLetters = nullptr;
};

// The lines a search with these options runs over, with their letter
// index: the table's own, or the lines without their codes, built into
// scratch where the aids lack them.
struct SearchedLines {
    const EntryTable* table;
    const LetterIndex* letters;
};
SearchedLines LinesToSearch(const EntryTable& table, const SearchOptions& options,
                            const TableAids& aids, EntryTable& scratch);

// keywordBytes is code page 932 text, cut to kMaxKeywordBytes at a
// character boundary here.
Matches SearchEntries(const EntryTable& table, const ResultOrder& order,
                      std::string_view keywordBytes, std::int32_t rowLimit,
                      const SearchOptions& options = {}, const TableAids& aids = {});

// Whether SearchEntries would list any line: the first match ends the
// look, and nothing is ordered.
bool ListsAnyLine(const EntryTable& table, std::string_view keywordBytes,
                  const SearchOptions& options = {}, const TableAids& aids = {});

// How a line's headword stands to the keyword text: 0 equal, 1 begins with
// it, 2 neither. Spaces at both ends of the keyword are ignored; an empty
// keyword ranks every line 2.
int HeadwordRank(std::string_view line, std::string_view keywordBytes, bool ignoreCase);

}  // namespace pelmio
