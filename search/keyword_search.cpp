#include "search/keyword_search.h"

#include <algorithm>

#include "base/cp932.h"
#include "search/match_spans.h"
#include "search/matcher.h"

namespace pelmio {

namespace {

std::string_view TrimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Keeps the first cap rows of the ranking (table order within a rank), then
// puts each rank's rows in display order.
void KeepByHeadwordRank(const EntryTable& table, const ResultOrder& order, std::string_view keyword,
                        bool ignoreCase, std::size_t cap, std::vector<std::uint32_t>& rows) {
    std::vector<std::uint32_t> ranked[3];
    for (const std::uint32_t row : rows) {
        ranked[HeadwordRank(table.lineView(row), keyword, ignoreCase)].push_back(row);
    }
    rows.clear();
    for (std::vector<std::uint32_t>& group : ranked) {
        group.resize(std::min(group.size(), cap - rows.size()));
        order.arrange(group);
        rows.insert(rows.end(), group.begin(), group.end());
    }
}

}  // namespace

int HeadwordRank(std::string_view line, std::string_view keywordBytes, bool ignoreCase) {
    const std::string_view keyword = TrimSpaces(keywordBytes);
    const std::string_view headword = line.substr(0, line.find(','));
    if (keyword.empty() || headword.size() < keyword.size() ||
        !TokenAt(headword, 0, keyword, ignoreCase)) {
        return 2;
    }
    return headword.size() == keyword.size() ? 0 : 1;
}

Matches SearchEntries(const EntryTable& table, const ResultOrder& order,
                      std::string_view keywordBytes, std::int32_t rowLimit,
                      const SearchOptions& options) {
    keywordBytes = cp932::CutAtCharBoundary(keywordBytes, kMaxKeywordBytes);
    keywordBytes = keywordBytes.substr(0, keywordBytes.find('\0'));
    const KeywordMatcher matcher(KeywordTokens(keywordBytes), options.ignoreCase);
    Matches matches;
    // Every match, so the count is whole; the row limit keeps the first ones.
    matcher.findMatches(table, 0, matches.rows);
    matches.total = matches.rows.size();
    const std::size_t cap = std::min(matches.rows.size(), RowCap(rowLimit));
    if (options.headwordFirst && !TrimSpaces(keywordBytes).empty()) {
        KeepByHeadwordRank(table, order, keywordBytes, options.ignoreCase, cap, matches.rows);
        return matches;
    }
    matches.rows.resize(cap);
    order.arrange(matches.rows);
    return matches;
}

}  // namespace pelmio
