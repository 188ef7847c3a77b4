#include "search/keyword_search.h"

#include <algorithm>

#include "base/cp932.h"
#include "search/matcher.h"

namespace pelmio {

Matches SearchEntries(const EntryTable& table, const ResultOrder& order,
                      std::string_view keywordBytes, std::int32_t rowLimit) {
    const KeywordMatcher matcher(
        KeywordTokens(cp932::CutAtCharBoundary(keywordBytes, kMaxKeywordBytes)));
    Matches matches;
    // Every match, so the count is whole; the row limit keeps the first ones.
    matcher.findMatches(table, 0, matches.rows);
    matches.total = matches.rows.size();
    matches.rows.resize(std::min(matches.rows.size(), RowCap(rowLimit)));
    order.arrange(matches.rows);
    return matches;
}

}  // namespace pelmio
