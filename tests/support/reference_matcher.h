#pragma once

#include <string>
#include <string_view>
#include <vector>

// The straightforward way to do what the fast search does, kept for the
// tests, fuzz targets and benchmarks to compare against.
namespace pelmio::testing {

// First position in haystack where needle's bytes occur, trying start
// positions 0 .. len(haystack) - len(needle); an empty needle matches at 0.
// No match, or a needle longer than the haystack, gives nullptr. No case
// folding and no regard for character boundaries.
const char* FindSubstring(const char* haystack, const char* needle);

// Byte by byte: every token occurs in order, each one at its first
// occurrence at or after the end of the previous one, and each only where a
// character of the line begins. With ignoreCase, a byte that begins a
// character compares A-Z and a-z alike.
bool MatchesInOrderBaseline(std::string_view line, const std::vector<std::string>& tokens,
                            bool ignoreCase = false);

}  // namespace pelmio::testing
