#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/cp932.h"

// The matching rule, the one place it is written: a line matches when it
// holds every token, in order, each at its first occurrence that begins a
// character, at or after the end of the one before. Every faster path of
// the search only proposes lines, which this rule decides.
namespace pelmio {

// Where one keyword matched in a line, in bytes.
struct ByteSpan {
    std::size_t begin;
    std::size_t length;

    bool operator==(const ByteSpan&) const = default;
};

// A-Z and a-z: the only bytes whose case is ever ignored, and only where
// they begin a character.
constexpr bool IsAsciiLetter(char byte) {
    const char lower = cp932::FoldAscii(byte);
    return lower >= 'a' && lower <= 'z';
}

// The other case of a letter; any other byte as it is.
constexpr char OtherCase(char byte) {
    return IsAsciiLetter(byte) ? static_cast<char>(byte ^ 0x20) : byte;
}

// Whether pos begins a character. known is a position at or before pos
// known to begin one, with no line end between them that matters: the
// look back stops at it or at a line end, whichever comes first.
//
// A byte below 0x80 always ends a character (it is a character of its own
// or the second byte of two), so a hit after one begins a character. Only
// after a run of lead bytes must we look back: the run pairs up from its
// start, so pos begins a character when the run is even, or when the byte
// at pos could not be a second byte anyway. known then moves past pos, so
// the look backs of one line cost linear time however many hits it has.
inline bool BeginsChar(const char* text, std::size_t pos, std::size_t& known) {
    if (pos == known || static_cast<unsigned char>(text[pos - 1]) < 0x80) {
        return true;
    }
    std::size_t run = pos;
    while (run > known && cp932::IsLeadByte(static_cast<unsigned char>(text[run - 1]))) {
        --run;
    }
    const bool begins =
        (pos - run) % 2 == 0 || !cp932::IsTrailByte(static_cast<unsigned char>(text[pos]));
    known = begins ? pos : pos + 1;
    return begins;
}

// True when token occurs in line at pos, which must begin a character.
// With ignoreCase, an ASCII letter that begins a character matches either
// case; the second byte of a double-byte character is never folded.
bool TokenAt(std::string_view line, std::size_t pos, std::string_view token, bool ignoreCase);

// How a token is compared where case does not matter: byte by byte for a
// token with no letter, else character by character.
enum class TokenFold : std::uint8_t { None, Chars };

TokenFold FoldOf(std::string_view token, bool ignoreCase);

// The rule. tokens hold no empty token, folds one for each. Fills spans,
// when given, with where each token matched; they are left partly filled
// when the line does not match.
bool MatchLine(std::string_view line, const std::vector<std::string>& tokens,
               const std::vector<TokenFold>& folds, std::vector<ByteSpan>* spans = nullptr);

// The occurrences the search uses when it matches line against the
// tokens. Empty when the line does not match. Empty tokens are skipped.
std::vector<ByteSpan> MatchSpans(std::string_view line, const std::vector<std::string>& tokens,
                                 bool ignoreCase);

}  // namespace pelmio
