#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dict/entry_fields.h"
#include "search/keyword_search.h"
#include "search/letter_index.h"
#include "search/narrowing_search.h"
#include "search/result_order.h"
#include "tests/support/reference_matcher.h"
#include "tests/support/test_support.h"

namespace pelmio {
namespace {

EntryTable TableOf(const std::vector<std::string>& lines) {
    EntryTable table;
    table.appendFileContents(testing::JoinCrLf(lines));
    return table;
}

TEST(WithoutPronunciation, KeepsEveryLineAtItsIndexCutBeforeItsCode) {
    const std::vector<std::string> lines = {
        "take off,離陸する,,tEik o0f", "", "no fields", "a,b,c", "a,b,c,", ",,,", "x,y,,z,w", ""};
    const EntryTable table = TableOf(lines);
    const EntryTable cut = WithoutPronunciation(table);
    ASSERT_EQ(cut.count(), table.count());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(cut.lineView(i), BeforePronunciation(table.lineView(i))) << i;
    }
}

// The lines without codes, with their own letter index as the program
// keeps them, against the reference on each line before its code: the
// count too, and while typing, where the search narrows.
TEST(WithoutPronunciation, SearchLeavingCodesOutAgreesWithTheReference) {
    std::vector<std::string> lines = testing::GenerateDictionaryLines(4000, 11);
    lines.push_back("lid,ふた,,l1d");
    lines.push_back("l1d,,,");
    const EntryTable table = TableOf(lines);
    const ResultOrder order(table);
    const LetterIndex letters(table);
    const EntryTable withoutCodes = WithoutPronunciation(table);
    const LetterIndex withoutCodesLetters(withoutCodes);
    const TableAids aids{&letters, &withoutCodes, &withoutCodesLetters};
    for (const bool ignoreCase : {false, true}) {
        const SearchOptions options{false, ignoreCase, true};
        NarrowingSearch narrowing;
        for (const std::string keyword :
             {"l", "l1", "l1d", "a", "a e", "0", "o0f", "E", "tEik", "ei k", ",", "l1d,"}) {
            const std::vector<std::string> tokens = KeywordTokens(keyword);
            std::size_t expected = 0;
            for (std::size_t i = 0; i < lines.size(); ++i) {
                expected += testing::MatchesInOrderBaseline(BeforePronunciation(table.lineView(i)),
                                                            tokens, ignoreCase)
                                ? 1
                                : 0;
            }
            const Matches fast = SearchEntries(table, order, keyword, 0, options, aids);
            EXPECT_EQ(fast.total, expected) << keyword;
            EXPECT_EQ(fast.rows, SearchEntries(table, order, keyword, 0, options).rows) << keyword;
            const Matches typed = narrowing.search(table, order, keyword, 0, options, aids);
            EXPECT_EQ(typed.rows, fast.rows) << keyword;
        }
    }
}

}  // namespace
}  // namespace pelmio
