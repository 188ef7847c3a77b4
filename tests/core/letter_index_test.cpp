#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "search/keyword_search.h"
#include "search/letter_index.h"
#include "search/matcher.h"
#include "search/result_order.h"
#include "tests/support/reference_matcher.h"
#include "tests/support/test_support.h"

namespace pelmio {
namespace {

using testing::Sjis;

EntryTable TableOf(const std::vector<std::string>& lines) {
    EntryTable table;
    table.appendFileContents(testing::JoinCrLf(lines));
    return table;
}

std::vector<std::uint32_t> Found(const EntryTable& table, const LetterIndex& letters,
                                 const std::vector<std::string>& tokens, bool ignoreCase = false,
                                 std::int32_t rowLimit = 0) {
    std::vector<std::uint32_t> out;
    KeywordMatcher(tokens, ignoreCase).findMatches(table, rowLimit, out, &letters);
    return out;
}

TEST(LetterIndex, RecordsLettersOnlyWhereACharacterBegins) {
    // ア is 83 41 and 表 is 95 5C: their second bytes are no letters.
    const EntryTable table = TableOf({Sjis("ア表"), "A", Sjis("アA"), "", "\x83"});
    const LetterIndex letters(table);
    EXPECT_EQ(Found(table, letters, {"A"}), (std::vector<std::uint32_t>{1, 2}));
    EXPECT_EQ(Found(table, letters, {"\x5C"}), (std::vector<std::uint32_t>{}));
    EXPECT_EQ(Found(table, letters, {"\x83"}), (std::vector<std::uint32_t>{0, 2, 4}));
    ASSERT_NE(letters.linesWith('A'), nullptr);
    EXPECT_EQ(letters.linesWith('A')[0], 0b110u);
    EXPECT_EQ(letters.linesWith(' '), nullptr);
}

TEST(LetterIndex, IsNeverUsedForLinesAppendedAfterIt) {
    EntryTable table = TableOf(std::vector<std::string>(70, "x"));
    const LetterIndex old(table);
    table.appendFileContents("y\r\nxy\r\nyz\r\n");
    EXPECT_FALSE(old.covers(table));
    EXPECT_EQ(Found(table, old, {"y"}), (std::vector<std::uint32_t>{70, 71, 72}));
    EXPECT_EQ(Found(table, old, {"x"}).size(), 71u);
    const LetterIndex fresh(table);
    EXPECT_TRUE(fresh.covers(table));
    EXPECT_NE(fresh.linesWith('y'), nullptr);
    // A byte in too few lines to be worth a bitmap is left to the scan.
    EXPECT_EQ(fresh.linesWith('z'), nullptr);
    EXPECT_EQ(Found(table, fresh, {"z"}), (std::vector<std::uint32_t>{72}));
}

TEST(LetterIndex, KeepsBothCasesOfACommonLetter) {
    // 'a' is in every line, 'A' in one, 'B' in none: a search that ignores
    // case still finds the letters' lines in the index.
    std::vector<std::string> lines(70, "ab");
    lines[5] = "Aab";
    const EntryTable table = TableOf(lines);
    const LetterIndex letters(table);
    const std::uint64_t* upper = letters.linesWith('A');
    ASSERT_NE(upper, nullptr);
    EXPECT_EQ(upper[0], std::uint64_t{1} << 5);
    EXPECT_EQ(upper[1], 0u);
    const std::uint64_t* none = letters.linesWith('B');
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none[0] | none[1], 0u);
    EXPECT_EQ(letters.linesWith('C'), nullptr);
    EXPECT_EQ(Found(table, letters, {"A"}, true).size(), 70u);
    EXPECT_EQ(Found(table, letters, {"B"}, true).size(), 70u);
}

// The lines the index proposes are each decided by the rule: tables where
// a letter of every keyword is in few lines (so the index narrows to
// them), among lead bytes, trail bytes that look like letters, and both
// cases. Every search must list what the reference lists.
TEST(LetterIndex, ProposedLinesAgreeWithTheReference) {
    std::mt19937 random(71207);
    const std::vector<std::string> pieces = {"a",
                                             "e",
                                             "A",
                                             "E",
                                             "-",
                                             ",",
                                             "\x81",
                                             "\x83",
                                             "\xE0",
                                             "\xFD",
                                             Sjis("ア"),
                                             Sjis("表"),
                                             "\x83"
                                             "a",
                                             "ta",
                                             "Ta",
                                             "off",
                                             "\x81\x81\x81"};
    const std::vector<std::string> rare = {"z", "Z", "qz", "\x83z", "z\x81", "zz"};
    const auto randomText = [&](std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) {
            text += pieces[random() % pieces.size()];
        }
        return text;
    };
    std::size_t listed = 0;
    for (int round = 0; round < 30; ++round) {
        // About one line in eighteen holds a z: indexed, and narrowing.
        std::vector<std::string> lines(400 + random() % 300);
        for (std::string& line : lines) {
            line = randomText(random() % 40);
            if (random() % 12 == 0) {
                line.insert(random() % (line.size() + 1), rare[random() % rare.size()]);
            }
        }
        const EntryTable table = TableOf(lines);
        const LetterIndex letters(table);
        ASSERT_NE(letters.linesWith('z'), nullptr);
        for (int k = 0; k < 20; ++k) {
            std::vector<std::string> tokens(1 + random() % 5);
            for (std::string& token : tokens) {
                token = randomText(1 + random() % 2);
            }
            tokens[random() % tokens.size()] += rare[random() % rare.size()];
            const auto rowLimit = static_cast<std::int32_t>(random() % 4 == 0 ? random() % 5 : 0);
            for (const bool ignoreCase : {false, true}) {
                std::vector<std::uint32_t> expected;
                for (std::uint32_t i = 0; i < lines.size() && expected.size() < RowCap(rowLimit);
                     ++i) {
                    if (testing::MatchesInOrderBaseline(table.lineView(i), tokens, ignoreCase)) {
                        expected.push_back(i);
                    }
                }
                ASSERT_EQ(Found(table, letters, tokens, ignoreCase, rowLimit), expected)
                    << "round " << round << " tokens " << tokens.size();
                listed += expected.size();
            }
        }
    }
    EXPECT_GT(listed, 100u);
}

// The whole search with the index, as the program runs it, against the
// search without one.
TEST(LetterIndex, SearchWithTheIndexListsWhatTheScanLists) {
    const std::vector<std::string> lines = testing::GenerateDictionaryLines(3000, 7);
    const EntryTable table = TableOf(lines);
    const LetterIndex letters(table);
    const ResultOrder order(table);
    for (const char* keyword : {"a", "e", "E", "zqx", "xyzzy", "a e", "ta off", "water", "k"}) {
        for (const bool ignoreCase : {false, true}) {
            const SearchOptions options{false, ignoreCase, false};
            const Matches with = SearchEntries(table, order, keyword, 0, options, {&letters});
            const Matches without = SearchEntries(table, order, keyword, 0, options);
            EXPECT_EQ(with.rows, without.rows) << keyword;
            EXPECT_EQ(with.total, without.total) << keyword;
        }
    }
}

}  // namespace
}  // namespace pelmio
