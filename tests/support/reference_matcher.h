#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dict/entry_table.h"

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

// The rows a search shows for its matching lines (table indices in table
// order), done the long way: with headwordFirst, the lines whose headword
// is the keyword, then those whose headword begins with it, then the rest;
// of each in turn the first lines in table order while fewer than cap rows
// are taken. Each group is then sorted alphabetically, A-Z that begin a
// character sorted with a-z, by the first 256 bytes of its lines; then by
// those bytes as they are; then by table index.
std::vector<std::uint32_t> ArrangedBaseline(const EntryTable& table,
                                            const std::vector<std::uint32_t>& lines,
                                            std::string_view keyword, std::size_t cap,
                                            bool headwordFirst, bool ignoreCase);

}  // namespace pelmio::testing
