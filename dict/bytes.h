#pragma once

// Byte-string helpers shared by the search and the keyword history. Text is
// code page 932 bytes throughout, so every comparison is exact and byte-wise.

#include <string_view>
#include <vector>

namespace pelmio {

// First position in haystack where needle's bytes occur, trying start
// positions 0 .. len(haystack) - len(needle); an empty needle matches at 0.
// No match, or a needle longer than the haystack, gives nullptr. No case
// folding and no regard for character boundaries.
const char* FindSubstring(const char* haystack, const char* needle);

// True when both NUL-terminated strings have the same bytes and length.
bool StringsEqual(const char* a, const char* b);

// Splits text at every separator byte; s separators give s + 1 pieces, any
// of which may be empty. The keyword search splits at spaces and the detail
// window at commas.
std::vector<std::string_view> SplitAtByte(std::string_view text, char separator);

}  // namespace pelmio
