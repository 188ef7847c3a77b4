#include "search/keyword_search.h"

#include "dict/cp932.h"
#include "search/matcher.h"

namespace pelmio {

std::vector<std::uint32_t> SearchEntries(const EntryTable& table, const ResultOrder& order,
                                         std::string_view keywordBytes, std::int32_t rowLimit) {
    const KeywordMatcher matcher(
        KeywordTokens(cp932::CutAtCharBoundary(keywordBytes, kMaxKeywordBytes)));
    std::vector<std::uint32_t> rows;
    rows.reserve(std::min<std::size_t>(RowCap(rowLimit), static_cast<std::size_t>(table.count())));
    matcher.findMatches(table, rowLimit, rows);
    order.arrange(rows);
    return rows;
}

}  // namespace pelmio
