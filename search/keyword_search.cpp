#include "search/keyword_search.h"

#include <algorithm>

#include "base/cp932.h"
#include "search/matcher.h"

namespace pelmio {

std::string_view SearchedText(std::string_view keywordBytes) {
    const std::string_view text = cp932::CutAtCharBoundary(keywordBytes, kMaxKeywordBytes);
    return text.substr(0, text.find('\0'));
}

Matches ArrangeMatches(const ResultOrder& order, const std::vector<std::uint32_t>& lines,
                       std::int32_t rowLimit) {
    Matches matches;
    matches.total = lines.size();
    // The row limit keeps the first matches in table order.
    matches.rows.assign(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                           lines.size(), RowCap(rowLimit))));
    order.arrange(matches.rows);
    return matches;
}

Matches SearchEntries(const EntryTable& table, const ResultOrder& order,
                      std::string_view keywordBytes, std::int32_t rowLimit) {
    const KeywordMatcher matcher(KeywordTokens(SearchedText(keywordBytes)));
    // Every match, so the count is whole.
    std::vector<std::uint32_t> lines;
    matcher.findMatches(table, 0, lines);
    return ArrangeMatches(order, lines, rowLimit);
}

}  // namespace pelmio
