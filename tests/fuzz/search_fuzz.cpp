// Any table and any keyword, with and without case: the fast matcher lists
// exactly what the byte-by-byte reference lists, under any row limit, in
// display order, or ranked by headword first;
// through the table scan, the letter index, a search narrowed from an
// earlier keyword and one narrowed to given lines.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dict/entry_table.h"
#include "search/keyword_search.h"
#include "search/matcher.h"
#include "search/narrowing_search.h"
#include "search/result_order.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/reference_matcher.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    // Byte 0: the row limit (-2 .. 5, or 0 most often), in its top bit
    // whether case is ignored and in the next whether headwords come first;
    // then the keyword up to the first LF; the rest is the dictionary.
    const std::int32_t rowLimit = data[0] % 3 == 0 ? 0 : static_cast<std::int32_t>(data[0] % 8) - 2;
    const bool ignoreCase = data[0] >= 0x80;
    const bool headwordFirst = (data[0] & 0x40) != 0;
    const pelmio::SearchOptions options{headwordFirst, ignoreCase};
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t keywordEnd = std::min(rest.find('\n'), rest.size());
    const std::string_view keyword = rest.substr(0, keywordEnd);
    const std::string_view dictionary = rest.substr(std::min(keywordEnd + 1, rest.size()));

    pelmio::EntryTable table;
    table.appendFileContents(dictionary);
    const std::vector<std::string> tokens = pelmio::KeywordTokens(keyword);

    std::vector<std::uint32_t> expected;
    const std::size_t cap = pelmio::RowCap(rowLimit);
    for (std::uint32_t i = 0;
         i < static_cast<std::uint32_t>(table.count()) && expected.size() < cap; ++i) {
        if (pelmio::testing::MatchesInOrderBaseline(table.lineView(i), tokens, ignoreCase)) {
            expected.push_back(i);
        }
    }
    // By a scan, then with the letters indexed as the program has them.
    std::vector<std::uint32_t> fast;
    pelmio::KeywordMatcher(tokens, ignoreCase).findMatches(table, rowLimit, fast);
    FUZZ_CHECK(fast == expected);
    const pelmio::LetterIndex letters(table);
    fast.clear();
    pelmio::KeywordMatcher(tokens, ignoreCase).findMatches(table, rowLimit, fast, &letters);
    FUZZ_CHECK(fast == expected);

    // The full search: the same rows, in the display order; with headwords
    // first, each rank in turn, cut in table order within a rank.
    const pelmio::ResultOrder order(table);
    std::vector<std::uint32_t> shown =
        pelmio::SearchEntries(table, order, keyword, rowLimit, options).rows;
    if (keyword.size() <= pelmio::kMaxKeywordBytes) {
        const std::string_view searched = pelmio::SearchedText(keyword);
        std::vector<std::uint32_t> all;
        pelmio::KeywordMatcher(tokens, ignoreCase).findMatches(table, 0, all);
        const std::vector<std::uint32_t> ranked =
            pelmio::testing::ArrangedBaseline(table, all, searched, cap, headwordFirst, ignoreCase);
        FUZZ_CHECK(shown == ranked);
    }

    // Narrowed: first the keyword cut short (its length from byte 0), then
    // the whole of it, must list what a fresh search lists.
    pelmio::NarrowingSearch narrowing;
    const std::string_view earlier = keyword.substr(0, data[0] % (keyword.size() + 1));
    const pelmio::Matches before = narrowing.search(table, order, earlier, rowLimit, options);
    const pelmio::Matches freshBefore =
        pelmio::SearchEntries(table, order, earlier, rowLimit, options);
    FUZZ_CHECK(before.rows == freshBefore.rows && before.total == freshBefore.total);
    const pelmio::Matches after = narrowing.search(table, order, keyword, rowLimit, options);
    const pelmio::Matches freshAfter =
        pelmio::SearchEntries(table, order, keyword, rowLimit, options);
    FUZZ_CHECK(after.rows == freshAfter.rows && after.total == freshAfter.total);

    // Looking at given lines only: every other line, whatever matches.
    std::vector<std::uint32_t> everyOther;
    for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(table.count()); i += 2) {
        everyOther.push_back(i);
    }
    std::vector<std::uint32_t> within;
    pelmio::KeywordMatcher(tokens, ignoreCase).findMatchesIn(table, everyOther, rowLimit, within);
    std::vector<std::uint32_t> expectedWithin;
    for (const std::uint32_t i : everyOther) {
        if (expectedWithin.size() < cap &&
            pelmio::testing::MatchesInOrderBaseline(table.lineView(i), tokens, ignoreCase)) {
            expectedWithin.push_back(i);
        }
    }
    FUZZ_CHECK(within == expectedWithin);
    return 0;
}
