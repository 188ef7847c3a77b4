#include "search/keyword_search.h"

#include <algorithm>
#include <string>

#include "base/cp932.h"
#include "dict/entry_fields.h"
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

}  // namespace

std::string_view SearchedText(std::string_view keywordBytes) {
    const std::string_view text = cp932::CutAtCharBoundary(keywordBytes, kMaxKeywordBytes);
    return text.substr(0, text.find('\0'));
}

int HeadwordRank(std::string_view line, std::string_view keywordBytes, bool ignoreCase) {
    const std::string_view keyword = TrimSpaces(keywordBytes);
    // Most lines differ in their first byte: no need to find the comma.
    if (keyword.empty() || keyword.find(',') != std::string_view::npos ||
        !TokenAt(line, 0, keyword, ignoreCase)) {
        return 2;
    }
    return keyword.size() == line.size() || line[keyword.size()] == ',' ? 0 : 1;
}

namespace {

// Every line whose headword equals the keyword or begins with it is among
// the lines that begin with it: those stand together in display order
// (their first kSortKeyBytes do, which is all the order compares), so only
// they need ranking.
class HeadwordBlock {
public:
    HeadwordBlock(const EntryTable& table, const ResultOrder& order, std::string_view keyword,
                  bool ignoreCase)
        : m_table(table),
          m_order(order),
          m_keyword(keyword),
          m_ignoreCase(ignoreCase),
          m_positions(order.linesBeginningWith(table, keyword.substr(0, kSortKeyBytes))) {
        // A keyword short enough for the kept case bits (any, without case)
        // ranks from the order alone: a line of the block begins with it
        // when the case agrees, and its headword equals it when the line
        // goes on with a comma (the block of keyword + ",") or ends there
        // (the shortest lines, which come first in the block).
        m_fromOrder =
            (ignoreCase || keyword.size() <= kCaseBitBytes) && keyword.size() < kSortKeyBytes;
        if (!m_fromOrder) {
            return;
        }
        m_upperCase = UpperCaseLetters(keyword);
        m_caseMask = static_cast<std::uint8_t>((1U << std::min(keyword.size(), kCaseBitBytes)) - 1);
        std::string withComma(keyword);
        withComma += ',';
        m_commaBlock = order.linesBeginningWith(table, withComma);
        m_wholeLinesEnd = m_positions.first;
        while (m_wholeLinesEnd < m_positions.second &&
               table.lineView(order.indexAt(m_wholeLinesEnd)).size() == keyword.size()) {
            ++m_wholeLinesEnd;
        }
    }

    int rank(std::uint32_t index) const {
        const std::uint32_t position = m_order.position(index);
        return position >= m_positions.first && position < m_positions.second
                   ? rankInBlock(index, position)
                   : 2;
    }
    int rankInBlock(std::uint32_t index, std::uint32_t position) const {
        if (!m_fromOrder) {
            return HeadwordRank(m_table.lineView(index), m_keyword, m_ignoreCase);
        }
        if (!m_ignoreCase && (m_order.upperCaseLetters(position) & m_caseMask) != m_upperCase) {
            return 2;
        }
        const bool equal = position < m_wholeLinesEnd ||
                           (position >= m_commaBlock.first && position < m_commaBlock.second);
        return equal ? 0 : 1;
    }

    // Rows in display order: their ranked rows go to the front, equal
    // headwords first, and the rest keep their places.
    void raise(std::vector<std::uint32_t>& rows) const {
        const auto byPosition = [this](std::uint32_t index, std::uint32_t position) {
            return m_order.position(index) < position;
        };
        const auto begin =
            std::lower_bound(rows.begin(), rows.end(), m_positions.first, byPosition);
        const auto end = std::lower_bound(begin, rows.end(), m_positions.second, byPosition);
        std::vector<std::uint32_t> groups[3];
        for (std::vector<std::uint32_t>& group : groups) {
            group.reserve(static_cast<std::size_t>(end - begin));
        }
        // The rows of the block come in display order: their positions
        // are found by walking the block, not by a look-up per row, which
        // would miss the cache on every one.
        std::uint32_t position = m_positions.first;
        for (auto row = begin; row != end; ++row) {
            while (m_order.indexAt(position) != *row) {
                ++position;
            }
            groups[rankInBlock(*row, position)].push_back(*row);
            ++position;
        }
        // The rest of the block stays where it was, after the rows before
        // it, which move down by the ranked rows as one run.
        const auto ranked = static_cast<std::ptrdiff_t>(groups[0].size() + groups[1].size());
        std::copy(groups[2].begin(), groups[2].end(), begin + ranked);
        std::move_backward(rows.begin(), begin, begin + ranked);
        std::copy(groups[1].begin(), groups[1].end(),
                  std::copy(groups[0].begin(), groups[0].end(), rows.begin()));
    }

private:
    const EntryTable& m_table;
    const ResultOrder& m_order;
    std::string_view m_keyword;
    bool m_ignoreCase;
    std::pair<std::uint32_t, std::uint32_t> m_positions;
    bool m_fromOrder = false;
    std::uint8_t m_upperCase = 0;
    std::uint8_t m_caseMask = 0;
    std::pair<std::uint32_t, std::uint32_t> m_commaBlock;
    std::uint32_t m_wholeLinesEnd = 0;
};

}  // namespace

Matches ArrangeMatches(const EntryTable& table, const ResultOrder& order,
                       const std::vector<std::uint32_t>& lines, std::string_view text,
                       std::int32_t rowLimit, const SearchOptions& options) {
    Matches matches;
    matches.total = lines.size();
    const std::size_t cap = std::min(lines.size(), RowCap(rowLimit));
    const std::string_view keyword = TrimSpaces(text);
    // A headword never holds a comma: with one in the text, no line ranks.
    const bool ranks =
        options.headwordFirst && !keyword.empty() && keyword.find(',') == std::string_view::npos;
    if (!ranks || cap == lines.size()) {
        // The row limit keeps the first matches in table order.
        matches.rows.assign(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(cap));
        order.arrange(matches.rows);
        if (ranks) {
            HeadwordBlock(table, order, keyword, options.ignoreCase).raise(matches.rows);
        }
        return matches;
    }
    // The limit keeps the first rows of the ranking (table order within a
    // rank); each rank is then put in display order.
    const HeadwordBlock block(table, order, keyword, options.ignoreCase);
    std::vector<std::uint32_t> ranked[3];
    ranked[2].reserve(lines.size());
    for (const std::uint32_t line : lines) {
        ranked[block.rank(line)].push_back(line);
    }
    matches.rows.reserve(cap);
    for (std::vector<std::uint32_t>& group : ranked) {
        group.resize(std::min(group.size(), cap - matches.rows.size()));
        order.arrange(group);
        matches.rows.insert(matches.rows.end(), group.begin(), group.end());
    }
    return matches;
}

EntryTable WithoutPronunciation(const EntryTable& table) {
    std::string lines;
    lines.reserve(table.text().size());
    for (std::size_t i = 0; i < static_cast<std::size_t>(table.count()); ++i) {
        lines += BeforePronunciation(table.lineView(i));
        lines += '\n';
    }
    EntryTable cut;
    cut.appendFileContents(lines);
    cut.compact();
    return cut;
}

SearchedLines LinesToSearch(const EntryTable& table, const SearchOptions& options,
                            const TableAids& aids, EntryTable& scratch) {
    if (!options.skipPronunciation) {
        return {&table, aids.letters};
    }
    if (aids.withoutCodes != nullptr) {
        return {aids.withoutCodes, aids.withoutCodesLetters};
    }
    scratch = WithoutPronunciation(table);
    return {&scratch, nullptr};
}

Matches SearchEntries(const EntryTable& table, const ResultOrder& order,
                      std::string_view keywordBytes, std::int32_t rowLimit,
                      const SearchOptions& options, const TableAids& aids) {
    const std::string_view text = SearchedText(keywordBytes);
    const KeywordMatcher matcher(KeywordTokens(text), options.ignoreCase);
    EntryTable scratch;
    const SearchedLines searched = LinesToSearch(table, options, aids, scratch);
    // Every match, so the count is whole.
    std::vector<std::uint32_t> lines;
    matcher.findMatches(*searched.table, 0, lines, searched.letters);
    return ArrangeMatches(table, order, lines, text, rowLimit, options);
}

bool ListsAnyLine(const EntryTable& table, std::string_view keywordBytes,
                  const SearchOptions& options, const TableAids& aids) {
    const KeywordMatcher matcher(KeywordTokens(SearchedText(keywordBytes)), options.ignoreCase);
    EntryTable scratch;
    const SearchedLines searched = LinesToSearch(table, options, aids, scratch);
    std::vector<std::uint32_t> first;
    matcher.findMatches(*searched.table, 1, first, searched.letters);
    return !first.empty();
}

}  // namespace pelmio
