#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dict/entry_table.h"
#include "search/letter_index.h"
#include "search/match_spans.h"

namespace pelmio {

// The keyword text's tokens: the pieces between spaces (byte 0x20 only).
// Empty pieces are dropped, since an empty token matches anywhere without
// moving the search on. A text cut at its first NUL, as a C string would be.
std::vector<std::string> KeywordTokens(std::string_view keywordText);

// How many rows a search may list under a row limit: 0 means no limit, a
// negative limit still lets the first row in.
std::size_t RowCap(std::int32_t rowLimit);

// The matching rule for one keyword text, applied to a whole table: a
// filter proposes lines (the letter index, a scan for the rarest token),
// and the rule decides each.
class KeywordMatcher {
public:
    // With ignoreCase, ASCII letters that begin a character match either
    // case.
    explicit KeywordMatcher(std::vector<std::string> tokens, bool ignoreCase = false);

    bool matchesLine(std::string_view line) const;

    // Appends the indices of the matching lines in table order to out,
    // stopping once out holds RowCap(rowLimit) indices. letters, when it
    // covers the table, may narrow the lines looked at. Allocates nothing
    // per line examined.
    void findMatches(const EntryTable& table, std::int32_t rowLimit,
                     std::vector<std::uint32_t>& out, const LetterIndex* letters = nullptr) const;

    // The same, looking only at the candidate lines (table indices in
    // increasing order): a search narrowed to an earlier one's matches.
    void findMatchesIn(const EntryTable& table, const std::vector<std::uint32_t>& candidates,
                       std::int32_t rowLimit, std::vector<std::uint32_t>& out) const;

private:
    // A search for one indexed byte, answered from the index alone; false
    // when the index cannot answer it.
    bool findIndexed(const LetterIndex& letters, std::size_t lines, std::size_t cap,
                     std::vector<std::uint32_t>& out) const;

    // With few lines holding every letter of the tokens, the index's
    // candidates, each decided; false when they are too many to pay.
    bool findFromLetters(const EntryTable& table, const LetterIndex& letters, std::size_t cap,
                         std::vector<std::uint32_t>& out) const;

    // For more tokens than the scan takes: the longest few of them, in
    // their order, narrow the lines to those worth checking whole.
    void findByLongestTokens(const EntryTable& table, std::int32_t rowLimit,
                             std::vector<std::uint32_t>& out, const LetterIndex* letters) const;

    // The longest token, likely the rarest. Where it is a letter or two,
    // or Japanese, whose lead bytes are everywhere, the scan takes every
    // token at once and decides the lines itself; else the scan for the
    // longest alone proposes lines, and few candidates from the letter
    // index beat it by less.
    std::size_t anchor() const;
    bool scansInOrder() const;

    // With a vector scan: the scan itself, or a scan for the longest token
    // that proposes lines for the rule.
    void findByScan(const EntryTable& table, std::size_t cap,
                    std::vector<std::uint32_t>& out) const;

    std::vector<std::string> m_tokens;
    std::vector<TokenFold> m_folds;  // one for each token
    std::size_t m_minLength = 0;     // tokens never overlap: a shorter line cannot match
    bool m_impossible = false;       // a token with a NUL can match no line
    bool m_ignoreCase = false;
};

}  // namespace pelmio
