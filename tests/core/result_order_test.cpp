#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "dict/dictionary_loader.h"
#include "search/result_order.h"
#include "tests/support/test_support.h"

namespace pelmio {
namespace {

// The order compared byte by byte over whole lines: a letter that begins a
// character without case, then the raw bytes, then the index.
bool WholeLineLess(std::string_view a, std::uint32_t indexA, std::string_view b,
                   std::uint32_t indexB) {
    const auto fold = [](unsigned char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
    };
    std::size_t charStart = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (i == charStart) {
            x = fold(x);
            y = fold(y);
            charStart += cp932::CharLength(a, i);
        }
        if (x != y) {
            return x < y;
        }
    }
    if (a.size() != b.size()) {
        return a.size() < b.size();
    }
    if (a != b) {
        return a < b;
    }
    return indexA < indexB;
}

std::vector<std::uint32_t> Sorted(const EntryTable& table) {
    std::vector<std::uint32_t> all(static_cast<std::size_t>(table.count()));
    for (std::uint32_t i = 0; i < all.size(); ++i) {
        all[i] = i;
    }
    ResultOrder(table).arrange(all);
    return all;
}

TEST(ResultOrder, AgreesWithWholeLineComparisonWithinTheKey) {
    // Letters of both cases, double-byte characters whose trail bytes look
    // like letters, and lone lead bytes, after a long shared start.
    const std::vector<std::string> pieces = {"a",    "A", "b", "B", "\x83\x41", "\x83\x61",
                                             "\x83", "_", "z", "Z", "\x82\xA0", ","};
    std::mt19937 random(11);
    for (const std::size_t shared : {0u, 3u, 150u}) {
        const std::string start(shared, 'q');
        for (int round = 0; round < 2000; ++round) {
            std::string a = start;
            std::string b = start;
            for (std::size_t i = random() % 30; i > 0; --i) {
                a += pieces[random() % pieces.size()];
            }
            for (std::size_t i = random() % 30; i > 0; --i) {
                b += pieces[random() % pieces.size()];
            }
            EXPECT_EQ(RowLess(a, 0, b, 1), WholeLineLess(a, 0, b, 1)) << a << " | " << b;
            EXPECT_EQ(RowLess(b, 1, a, 0), WholeLineLess(b, 1, a, 0)) << a << " | " << b;
        }
    }
}

TEST(ResultOrder, LinesEqualInTheirFirst256BytesKeepTableOrder) {
    const std::string start(2000, 'x');
    EntryTable table;
    table.appendFileContents(testing::JoinCrLf({start + "c", start + "a", start + "b", "y", "X"}));
    EXPECT_EQ(Sorted(table), (std::vector<std::uint32_t>{4, 0, 1, 2, 3}));
    // A difference within the first 256 bytes still counts, case folded.
    const std::string near(200, 'x');
    EntryTable close;
    close.appendFileContents(testing::JoinCrLf({near + "c", near + "B", near + "a"}));
    EXPECT_EQ(Sorted(close), (std::vector<std::uint32_t>{2, 1, 0}));
}

TEST(ResultOrder, SortingAndWalkingGiveTheSameOrderForAnyShareOfTheTable) {
    std::mt19937 random(5);
    std::vector<std::string> lines;
    for (int i = 0; i < 3000; ++i) {
        lines.push_back(std::string(1, static_cast<char>('a' + random() % 3)) +
                        std::to_string(random() % 500));
    }
    EntryTable table;
    table.appendFileContents(testing::JoinCrLf(lines));
    const ResultOrder order(table);
    // From a few matches, where sorting pays, to nearly every line, where
    // walking does; both ways and the chosen one agree.
    for (const std::uint32_t every : {1000u, 97u, 40u, 7u, 2u, 1u}) {
        std::vector<std::uint32_t> matches;
        for (auto i = static_cast<std::uint32_t>(random() % every);
             i < static_cast<std::uint32_t>(table.count()); i += every) {
            matches.push_back(i);
        }
        std::shuffle(matches.begin(), matches.end(), random);
        std::vector<std::uint32_t> expected = matches;
        std::sort(expected.begin(), expected.end(), [&](std::uint32_t x, std::uint32_t y) {
            return WholeLineLess(table.lineView(x), x, table.lineView(y), y);
        });
        for (const auto method : {ResultOrder::Method::ByCost, ResultOrder::Method::Sorting,
                                  ResultOrder::Method::Walking}) {
            std::vector<std::uint32_t> arranged = matches;
            order.arrange(arranged, method);
            EXPECT_EQ(arranged, expected) << "every " << every << " lines";
        }
    }
}

#ifdef PELMIO_DATA_DIR
TEST(ResultOrder, TheBundledDictionaryIsInWholeLineOrder) {
    EntryTable table;
    for (const char* name : {kPhraseFileName, kWordFileName}) {
        ASSERT_EQ(LoadDictionaryFile(table, std::filesystem::path(PELMIO_DATA_DIR) / name).status,
                  LoadStatus::Ok);
    }
    std::vector<std::uint32_t> expected(static_cast<std::size_t>(table.count()));
    for (std::uint32_t i = 0; i < expected.size(); ++i) {
        expected[i] = i;
    }
    std::sort(expected.begin(), expected.end(), [&](std::uint32_t x, std::uint32_t y) {
        return WholeLineLess(table.lineView(x), x, table.lineView(y), y);
    });
    EXPECT_EQ(Sorted(table), expected);
}
#endif

}  // namespace
}  // namespace pelmio
