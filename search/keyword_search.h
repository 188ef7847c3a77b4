#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "dict/entry_table.h"
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

// The part of the keyword text a search reads: at most kMaxKeywordBytes,
// cut at a character boundary, and nothing from a NUL on.
std::string_view SearchedText(std::string_view keywordBytes);

// The rows of a search from all its matching lines in table order: the
// first RowCap(rowLimit) of them, in display order, and the count of all.
Matches ArrangeMatches(const ResultOrder& order, const std::vector<std::uint32_t>& lines,
                       std::int32_t rowLimit);

// keywordBytes is code page 932 text, cut to kMaxKeywordBytes at a
// character boundary here.
Matches SearchEntries(const EntryTable& table, const ResultOrder& order,
                      std::string_view keywordBytes, std::int32_t rowLimit);

}  // namespace pelmio
