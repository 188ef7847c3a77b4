#include "search/narrowing_search.h"

#include <algorithm>

#include "search/matcher.h"

namespace pelmio {

Matches NarrowingSearch::search(const EntryTable& table, const ResultOrder& order,
                                std::string_view keywordBytes, std::int32_t rowLimit,
                                const SearchOptions& options, const TableAids& aids) {
    const std::string_view text = SearchedText(keywordBytes);
    const KeywordMatcher matcher(KeywordTokens(text), options.ignoreCase);
    EntryTable scratch;
    const SearchedLines searched = LinesToSearch(table, options, aids, scratch);
    std::vector<std::uint32_t> lines;
    // Looking at the previous matches one by one only pays while they are
    // few; a scan of the whole table is faster than a line at a time.
    const bool narrows = m_valid && options.ignoreCase == m_ignoreCase &&
                         options.skipPronunciation == m_skipPronunciation &&
                         text.starts_with(m_text) &&
                         m_lines.size() * 16 <= static_cast<std::size_t>(table.count());
    if (narrows) {
        matcher.findMatchesIn(*searched.table, m_lines, 0, lines);
    } else {
        matcher.findMatches(*searched.table, 0, lines, searched.letters);
    }
    Matches matches = ArrangeMatches(table, order, lines, text, rowLimit, options);
    m_ignoreCase = options.ignoreCase;
    m_skipPronunciation = options.skipPronunciation;
    m_text.assign(text);
    m_lines = std::move(lines);
    m_valid = true;
    return matches;
}

void NarrowingSearch::forget() {
    m_valid = false;
    m_text.clear();
    m_lines.clear();
}

}  // namespace pelmio
