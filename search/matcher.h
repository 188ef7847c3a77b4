#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dict/entry_table.h"

namespace pelmio {

// The keyword text's tokens: the pieces between spaces (byte 0x20 only).
// Empty pieces are dropped, since an empty token matches anywhere without
// moving the search on. A text cut at its first NUL, as a C string would be.
std::vector<std::string> KeywordTokens(std::string_view keywordText);

// How many rows a search may list under a row limit: 0 means no limit, a
// negative limit still lets the first row in.
std::size_t RowCap(std::int32_t rowLimit);

// How a token is compared where case does not matter: not at all for a
// token with no letter, byte by byte for one of ASCII bytes only, else
// character by character.
enum class TokenFold : std::uint8_t { None, Ascii, Chars };

// Matches the tokens against a whole table at once.
class KeywordMatcher {
public:
    // With ignoreCase, ASCII letters that begin a character match either
    // case.
    explicit KeywordMatcher(std::vector<std::string> tokens, bool ignoreCase = false);

    bool matchesLine(std::string_view line) const;

    // Appends the indices of the matching lines in table order to out,
    // stopping once out holds RowCap(rowLimit) indices. Allocates nothing
    // per line examined.
    void findMatches(const EntryTable& table, std::int32_t rowLimit,
                     std::vector<std::uint32_t>& out) const;

    // The same, looking only at the candidate lines (table indices in
    // increasing order): a search narrowed to an earlier one's matches.
    void findMatchesIn(const EntryTable& table, const std::vector<std::uint32_t>& candidates,
                       std::int32_t rowLimit, std::vector<std::uint32_t>& out) const;

private:
    // Whether tokens 1 .. n - 1 follow in line from byte from on; known is
    // a position at or before from that begins a character.
    bool restMatches(std::string_view line, std::size_t from, std::size_t known) const;

    // For more tokens than the scans take: the longest few of them, in
    // their order, narrow the lines to those worth checking whole.
    void findByLongestTokens(const EntryTable& table, std::int32_t rowLimit,
                             std::vector<std::uint32_t>& out) const;

    std::vector<std::string> m_tokens;
    std::vector<TokenFold> m_folds;  // one for each token
    std::size_t m_minLength = 0;     // tokens never overlap: a shorter line cannot match
    bool m_impossible = false;       // a token with a NUL can match no line
    bool m_ignoreCase = false;
};

}  // namespace pelmio
