#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pelmio {

// Where one keyword matched in a line, in bytes.
struct ByteSpan {
    std::size_t begin;
    std::size_t length;

    bool operator==(const ByteSpan&) const = default;
};

// True when token occurs in line at pos, which must begin a character.
// With ignoreCase, an ASCII letter that begins a character matches either
// case; the second byte of a double-byte character is never folded.
bool TokenAt(std::string_view line, std::size_t pos, std::string_view token, bool ignoreCase);

// The occurrences the search uses when it matches line against the
// tokens: each token at its first occurrence that begins a character, at
// or after the end of the one before. Empty when the line does not match.
// Empty tokens are skipped.
std::vector<ByteSpan> MatchSpans(std::string_view line, const std::vector<std::string>& tokens,
                                 bool ignoreCase);

}  // namespace pelmio
