#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "search/find_bytes.h"
#include "search/keyword_search.h"
#include "search/match_spans.h"
#include "search/matcher.h"
#include "search/narrowing_search.h"
#include "search/result_order.h"
#include "search/token_scan.h"
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

// The lines a search lists, in display order.
std::vector<std::string> Search(const std::vector<std::string>& lines, std::string_view keyword,
                                std::int32_t rowLimit = 0) {
    const EntryTable table = TableOf(lines);
    const ResultOrder order(table);
    std::vector<std::string> shown;
    for (const std::uint32_t index : SearchEntries(table, order, keyword, rowLimit).rows) {
        shown.emplace_back(table.lineView(index));
    }
    return shown;
}

using Lines = std::vector<std::string>;

// FindBytes against the plain search, for long needles in text that
// repeats itself, where its candidates come from two chosen bytes, and
// where they pile up and it goes on with the linear search.
TEST(FindBytes, FindsLongNeedlesInRepeatingText) {
    const auto check = [](const std::string& text, const std::string& needle) {
        const char* found = FindBytes(text.data(), text.data() + text.size(), needle);
        const std::size_t expected = text.find(needle);
        EXPECT_EQ(
            found == nullptr ? std::string::npos : static_cast<std::size_t>(found - text.data()),
            expected)
            << needle.substr(0, 20) << " in " << text.size() << " bytes";
    };
    const std::string imi = "\x88\xd3\x96\xa1";  // 意味
    std::string run;
    for (int i = 0; i < 3000; ++i) {
        run += imi;
    }
    const std::string pasted = run.substr(0, 80);
    check(run, pasted + "z");
    check(run, pasted.substr(0, 40) + "z" + pasted.substr(40));
    check(run, pasted);
    check(run + pasted + "z" + run, pasted + "z");
    check(run + pasted.substr(0, 79), pasted);
    // Candidates at every other byte, each failing late: the linear search
    // takes over, and still finds the one at the end.
    std::string pairs;
    for (int i = 0; i < 200000; ++i) {
        pairs += "ab";
    }
    const std::string needle = std::string(40, 'a') + "b" + std::string(40, 'c');
    check(pairs, needle);
    check(pairs + needle, needle);
    check(pairs + needle.substr(0, 80), needle);
    // Random text of few bytes, and needles cut from it, changed or not.
    std::mt19937 random(5);
    for (int round = 0; round < 300; ++round) {
        std::string text(std::uniform_int_distribution<std::size_t>(60, 3000)(random), 'a');
        for (char& c : text) {
            c = "ab\x88"[std::uniform_int_distribution<int>(0, 2)(random)];
        }
        const std::size_t length = std::uniform_int_distribution<std::size_t>(65, 120)(random);
        std::string cut = text.substr(
            std::uniform_int_distribution<std::size_t>(0, text.size() - 60)(random), length);
        if (round % 2 == 1) {
            cut[std::uniform_int_distribution<std::size_t>(0, cut.size() - 1)(random)] = 'b';
        }
        check(text, cut);
    }
}

TEST(KeywordSearch, TokensMustOccurInTypedOrder) {
    const Lines lines = {"take off,離陸する", "off we take", "takeoff", "take it off", "off"};
    EXPECT_EQ(Search(lines, "take off"), (Lines{"take it off", "take off,離陸する", "takeoff"}));
    EXPECT_EQ(Search(lines, "off take"), (Lines{"off we take"}));
    // Leading, trailing and repeated spaces change nothing.
    for (const char* keyword : {"take  off", " take off", "take off ", "  take   off  "}) {
        EXPECT_EQ(Search(lines, keyword), Search(lines, "take off")) << keyword;
    }
}

TEST(KeywordSearch, TokensDoNotOverlap) {
    EXPECT_EQ(Search({"aaa"}, "aa a"), (Lines{"aaa"}));
    EXPECT_EQ(Search({"aaa"}, "aa aa"), (Lines{}));
    EXPECT_EQ(Search({"aaaa"}, "aa aa"), (Lines{"aaaa"}));
    EXPECT_EQ(Search({"abab"}, "ab ab ab"), (Lines{}));
}

TEST(KeywordSearch, CaseMatters) {
    EXPECT_EQ(Search({"take"}, "Take"), (Lines{}));
    EXPECT_EQ(Search({"Apple", "apple"}, "Apple"), (Lines{"Apple"}));
}

TEST(KeywordSearch, WholeLineIsSearchedAcrossFields) {
    const Lines lines = {Sjis("take,取る,,tEik")};
    EXPECT_EQ(Search(lines, "tEik"), lines);
    EXPECT_EQ(Search(lines, Sjis("取る")), lines);
    EXPECT_EQ(Search(lines, ",,"), lines);
    EXPECT_EQ(Search(lines, "take,"), lines);
}

TEST(KeywordSearch, MatchesOnlyWhereACharacterBegins) {
    const std::string katakana = Sjis("ア");  // 83 41
    // "A" is the second byte of ア: no match there, but a real A matches.
    EXPECT_EQ(Search({katakana}, "A"), (Lines{}));
    EXPECT_EQ(Search({katakana + "A"}, "A"), (Lines{katakana + "A"}));
    // A Japanese token never matches across two characters: 表 is 95 5C and
    // 示 is 8E A6, so "5C 8E" would straddle them.
    const std::string hyouji = Sjis("表示");
    EXPECT_EQ(Search({hyouji}, std::string("\x5C\x8E", 2)), (Lines{}));
    EXPECT_EQ(Search({hyouji}, Sjis("示")), (Lines{hyouji}));
    // Boundaries are found from the line's start, so a lead byte pairs with
    // the byte after it even after a run of single bytes.
    const std::string line = "ab" + Sjis("アイ") + "A";
    EXPECT_EQ(Search({line}, "A"), (Lines{line}));
    EXPECT_EQ(Search({line}, Sjis("イ") + "A"), (Lines{line}));
    // A later token after a double-byte character is matched at the right
    // place too.
    EXPECT_EQ(Search({Sjis("離陸") + "A"}, Sjis("離") + " A"), (Lines{Sjis("離陸") + "A"}));
}

TEST(KeywordSearch, EmptyTextListsEveryLine) {
    const Lines lines = {"b", "", "a"};
    EXPECT_EQ(Search(lines, ""), (Lines{"", "a", "b"}));
    EXPECT_EQ(Search(lines, "   "), (Lines{"", "a", "b"}));
    EXPECT_EQ(Search({}, ""), (Lines{}));
    EXPECT_EQ(Search({}, "a"), (Lines{}));
}

TEST(KeywordSearch, ManyTokensAllCount) {
    // 99 spaces give 100 tokens; 150 give 151, and every one must match.
    std::string hundred;
    std::string line;
    for (int i = 0; i < 100; ++i) {
        hundred += (i ? " " : "") + std::to_string(i % 10);
        line += std::to_string(i % 10);
    }
    EXPECT_EQ(Search({line}, hundred), (Lines{line}));
    const std::string more = hundred + std::string(50, ' ') + "x";
    EXPECT_EQ(Search({line}, more), (Lines{}));
    EXPECT_EQ(Search({line + "x"}, more), (Lines{line + "x"}));
}

TEST(KeywordSearch, RowLimitKeepsTheFirstMatchesInTableOrder) {
    const Lines lines = {"j", "i", "h", "g", "f", "e", "d", "c", "b", "a"};
    EXPECT_EQ(Search(lines, "", 0).size(), 10u);
    EXPECT_EQ(Search(lines, "", 3), (Lines{"h", "i", "j"}));
    EXPECT_EQ(Search(lines, "", -5), (Lines{"j"}));
    EXPECT_EQ(Search(lines, "", 1000).size(), 10u);
    EXPECT_EQ(Search({"x", "ab", "y", "ac"}, "a", 1), (Lines{"ab"}));
}

TEST(KeywordSearch, KeywordIsCutAt999BytesOnACharacterBoundary) {
    const std::string line = std::string(998, 'a') + Sjis("ア") + "zzz";
    // 998 a's and ア make 1000 bytes: the cut drops ア, so the search is
    // for the a's alone, and the trailing z's do not count either.
    EXPECT_EQ(Search({line, std::string(998, 'a')}, line).size(), 2u);
}

TEST(KeywordSearch, NulEndsTheKeywordText) {
    EXPECT_EQ(Search({"ab"}, std::string("a\0zzz", 5)), (Lines{"ab"}));
    KeywordMatcher matcher({std::string("a\0b", 3)});
    EXPECT_FALSE(matcher.matchesLine("a"));
    std::vector<std::uint32_t> out;
    matcher.findMatches(TableOf({"a", "b"}), 0, out);
    EXPECT_TRUE(out.empty());
}

TEST(ResultOrder, CaseInsensitiveThenBytesThenIndex) {
    EXPECT_EQ(Search({"b", "B", "a", "A", "_", "ab", "Ab", "aB"}, ""),
              (Lines{"_", "A", "a", "Ab", "aB", "ab", "B", "b"}));
    // Shift-JIS sorts after ASCII, by its bytes.
    EXPECT_EQ(Search({Sjis("水"), "z", Sjis("ア")}, ""), (Lines{"z", Sjis("ア"), Sjis("水")}));
    // Equal lines keep table order, so every row's index is the same on
    // every run.
    const EntryTable table = TableOf({"same", "x", "same", "same"});
    const ResultOrder order(table);
    EXPECT_EQ(SearchEntries(table, order, "same", 0).rows, (std::vector<std::uint32_t>{0, 2, 3}));
    // Prefixes sort before longer lines, within and beyond eight bytes.
    EXPECT_EQ(Search({"abcdefghij", "abcdefghi", "abc", "ABCDEFGHIJ"}, ""),
              (Lines{"abc", "abcdefghi", "ABCDEFGHIJ", "abcdefghij"}));
}

TEST(ResultOrder, TrailBytesAreNeverFolded) {
    // ア is 83 41 and ヂ is 83 61: the second bytes look like "A" and "a",
    // but are no letters, so ア sorts first whatever follows it. Written as
    // bytes, so the check does not lean on the codec.
    const std::string a = "\x83\x41";
    const std::string dzi = "\x83\x61";
    EXPECT_EQ(Search({dzi + "a", a + "b"}, ""), (Lines{a + "b", dzi + "a"}));
    EXPECT_EQ(Search({dzi, a + "z", a}, ""), (Lines{a, a + "z", dzi}));
    // Beyond the first eight bytes too, where the sort compares whole lines.
    const std::string prefix = "abcdefgh";
    EXPECT_EQ(Search({prefix + dzi + "a", prefix + a + "b"}, ""),
              (Lines{prefix + a + "b", prefix + dzi + "a"}));
    // A letter that begins a character still folds after a double-byte one.
    EXPECT_EQ(Search({a + "b", a + "A"}, ""), (Lines{a + "A", a + "b"}));
}

TEST(ResultOrder, ArrangeAgreesWithSortingByRowLess) {
    const std::vector<std::string> lines = testing::GenerateDictionaryLines(3000, 7);
    const EntryTable table = TableOf(lines);
    const ResultOrder order(table);
    std::mt19937 random(3);
    for (std::size_t take : {0u, 5u, 150u, 1000u, 3000u}) {
        std::vector<std::uint32_t> picked(lines.size());
        for (std::uint32_t i = 0; i < picked.size(); ++i) {
            picked[i] = i;
        }
        std::shuffle(picked.begin(), picked.end(), random);
        picked.resize(take);
        std::vector<std::uint32_t> expected = picked;
        std::sort(expected.begin(), expected.end(), [&](std::uint32_t a, std::uint32_t b) {
            return RowLess(table.lineView(a), a, table.lineView(b), b);
        });
        order.arrange(picked);
        EXPECT_EQ(picked, expected) << take;
    }
}

// Random lines and keywords from a small alphabet with ASCII, double-byte
// characters, their lead and trail bytes on their own, and spaces: the fast
// matcher must agree with the byte-by-byte reference on every pair.
TEST(KeywordMatcher, AgreesWithTheReferenceOnRandomInput) {
    std::mt19937 random(20261207);
    const std::vector<std::string> pieces = {
        "a", "A", "b", ",", Sjis("ア"), Sjis("表"), Sjis("示"), "\x83", "\x5C", "\x8E", "aa", " "};
    const auto randomText = [&](std::size_t maxPieces) {
        std::string text;
        const std::size_t count = random() % (maxPieces + 1);
        for (std::size_t i = 0; i < count; ++i) {
            text += pieces[random() % pieces.size()];
        }
        return text;
    };
    for (int round = 0; round < 300; ++round) {
        std::vector<std::string> lines;
        const std::size_t lineCount = 1 + random() % 40;
        for (std::size_t i = 0; i < lineCount; ++i) {
            std::string line = randomText(12);
            std::replace(line.begin(), line.end(), ' ', 'b');
            lines.push_back(line);
        }
        const EntryTable table = TableOf(lines);
        for (int k = 0; k < 20; ++k) {
            const std::string keyword = randomText(4);
            const std::vector<std::string> tokens = KeywordTokens(keyword);
            const std::int32_t rowLimit = static_cast<std::int32_t>(random() % 5) - 1;
            std::vector<std::uint32_t> expected;
            for (std::uint32_t i = 0; i < lines.size() && expected.size() < RowCap(rowLimit); ++i) {
                if (testing::MatchesInOrderBaseline(table.lineView(i), tokens)) {
                    expected.push_back(i);
                }
            }
            std::vector<std::uint32_t> fast;
            KeywordMatcher(tokens).findMatches(table, rowLimit, fast);
            ASSERT_EQ(fast, expected) << "keyword [" << keyword << "] limit " << rowLimit;
            for (std::uint32_t i = 0; i < lines.size(); ++i) {
                ASSERT_EQ(KeywordMatcher(tokens).matchesLine(table.lineView(i)),
                          testing::MatchesInOrderBaseline(table.lineView(i), tokens));
            }
        }
    }
}

// Long tokens take another search path, and long lines of double-byte
// text give many candidates per line: they must agree with the reference.
TEST(KeywordMatcher, AgreesWithTheReferenceOnLongTokensAndLines) {
    std::mt19937 random(99);
    const std::vector<std::string> pieces = {"a", "b", Sjis("ア"), Sjis("表"), "\x83", "A", "aa"};
    const auto randomText = [&](std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) {
            text += pieces[random() % pieces.size()];
        }
        return text;
    };
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string> lines;
        for (int i = 0; i < 8; ++i) {
            lines.push_back(randomText(50 + random() % 300));
        }
        // Some tokens cut from the lines themselves, so they do occur.
        const std::string& source = lines[random() % lines.size()];
        const std::size_t start = random() % source.size();
        std::vector<std::string> tokens = {source.substr(start, 40 + random() % 160),
                                           randomText(random() % 3)};
        if (random() % 2 == 0) {
            std::swap(tokens[0], tokens[1]);
        }
        std::erase(tokens, std::string());
        const EntryTable table = TableOf(lines);
        std::vector<std::uint32_t> expected;
        for (std::uint32_t i = 0; i < lines.size(); ++i) {
            if (testing::MatchesInOrderBaseline(table.lineView(i), tokens)) {
                expected.push_back(i);
            }
        }
        std::vector<std::uint32_t> fast;
        KeywordMatcher(tokens).findMatches(table, 0, fast);
        ASSERT_EQ(fast, expected) << "round " << round;
    }
}

TEST(KeywordMatcher, LongAndRepetitiveInputStaysCorrect) {
    // Long tokens take the linear-time path; the answers must not change.
    const std::string needle = std::string(100, 'a') + "b";
    const std::string hay = std::string(5000, 'a') + "b";
    EXPECT_TRUE(KeywordMatcher({needle}).matchesLine(hay));
    EXPECT_FALSE(KeywordMatcher({needle + "c"}).matchesLine(hay));
    EXPECT_TRUE(KeywordMatcher({std::string(64, 'a'), "b"}).matchesLine(hay));
    // Hits on every second byte that are not character starts.
    std::string katakanaRun;
    for (int i = 0; i < 5000; ++i) {
        katakanaRun += Sjis("ア");
    }
    EXPECT_FALSE(KeywordMatcher({"A"}).matchesLine(katakanaRun));
    EXPECT_TRUE(KeywordMatcher({"A"}).matchesLine(katakanaRun + "A"));
}

// The lines listed with options, in the order shown.
std::vector<std::string> SearchWith(const std::vector<std::string>& lines, std::string_view keyword,
                                    SearchOptions options, std::int32_t rowLimit = 0) {
    const EntryTable table = TableOf(lines);
    const ResultOrder order(table);
    std::vector<std::string> shown;
    for (const std::uint32_t index : SearchEntries(table, order, keyword, rowLimit, options).rows) {
        shown.emplace_back(table.lineView(index));
    }
    return shown;
}

TEST(HeadwordFirst, EqualThenPrefixThenTheRestEachInDisplayOrder) {
    const Lines lines{"take a break,休む", "take,取る",         "mistake,誤り",
                      "taken,取られた",    "take off,離陸する", "Take,取る（大文字）"};
    const SearchOptions first{true, false};
    EXPECT_EQ(SearchWith(lines, "take", first),
              (Lines{"take,取る", "take a break,休む", "take off,離陸する", "taken,取られた",
                     "mistake,誤り"}));
    // Spaces at both ends do not count; off, the usual order holds.
    EXPECT_EQ(SearchWith(lines, "  take ", first).front(), "take,取る");
    EXPECT_EQ(SearchWith(lines, "take", {}).front(), "mistake,誤り");
    // Several tokens: the headword is compared with the whole text.
    EXPECT_EQ(SearchWith(lines, "take off", first).front(), "take off,離陸する");
    // An empty box lists everything in the usual order.
    EXPECT_EQ(SearchWith(lines, " ", first), SearchWith(lines, "", {}));
}

TEST(HeadwordFirst, TheRowLimitKeepsTheBestRankedRows) {
    // Without the option the limit keeps the first lines in table order and
    // the word itself is cut; with it, the word comes first.
    const Lines lines{"take a", "take b", "take c", "take"};
    EXPECT_EQ(Search(lines, "take", 2), (Lines{"take a", "take b"}));
    EXPECT_EQ(SearchWith(lines, "take", {true, false}, 2), (Lines{"take", "take a"}));
    const EntryTable table = TableOf(lines);
    EXPECT_EQ(SearchEntries(table, ResultOrder(table), "take", 2, {true, false}).total, 4u);
}

TEST(HeadwordFirst, AgreesWithRankingEveryRowOnRandomTables) {
    // The ranking done the long way: every row's rank, then display order
    // within a rank; under a cut, the first lines of each rank in table
    // order.
    std::mt19937 random(1208);
    const Lines pieces{"take",
                       "Take",
                       " ",
                       ",",
                       "a",
                       "A",
                       "\x83",
                       "off",
                       "ta",
                       "\x83"
                       "a"};
    for (int round = 0; round < 300; ++round) {
        Lines lines(1 + random() % 40);
        for (std::string& line : lines) {
            for (std::size_t n = random() % 6; n > 0; --n) {
                line += pieces[random() % pieces.size()];
            }
        }
        std::string keyword;
        for (std::size_t n = 1 + random() % 3; n > 0; --n) {
            keyword += pieces[random() % pieces.size()];
        }
        const EntryTable table = TableOf(lines);
        const ResultOrder order(table);
        const SearchOptions options{true, random() % 2 == 0};
        const std::int32_t rowLimit =
            random() % 3 == 0 ? 1 + static_cast<std::int32_t>(random() % 5) : 0;
        std::vector<std::uint32_t> all;
        KeywordMatcher(KeywordTokens(keyword), options.ignoreCase).findMatches(table, 0, all);
        const std::vector<std::uint32_t> expected = testing::ArrangedBaseline(
            table, all, keyword, RowCap(rowLimit), true, options.ignoreCase);
        EXPECT_EQ(ArrangeMatches(table, order, all, keyword, rowLimit, options).rows, expected)
            << "round " << round << " keyword [" << keyword << "] limit " << rowLimit;
    }
}

TEST(IgnoreCase, AsciiLettersMatchEitherCaseOnlyWhereACharacterBegins) {
    const SearchOptions ignore{false, true};
    const Lines lines{"beautiful,美しい", "BEAUTIFUL", "Beauty"};
    EXPECT_EQ(SearchWith(lines, "Beautiful", ignore), (Lines{"BEAUTIFUL", "beautiful,美しい"}));
    EXPECT_EQ(Search(lines, "Beautiful"), Lines{});
    // ア is 83 41 and ヂ is 83 61: their second bytes are never letters.
    const std::string a = "\x83\x41";
    const std::string dzi = "\x83\x61";
    EXPECT_EQ(SearchWith({a, dzi}, "a", ignore), Lines{});
    EXPECT_EQ(SearchWith({a, dzi}, "A", ignore), Lines{});
    EXPECT_EQ(SearchWith({a + "a", dzi}, "A", ignore), Lines{a + "a"});
    // Japanese matches by its bytes, as always.
    EXPECT_EQ(SearchWith({a, dzi}, dzi, ignore), Lines{dzi});
    // Headword-first compares without case too.
    EXPECT_EQ(SearchWith({"takeoff", "Take"}, "take", {true, true}), (Lines{"Take", "takeoff"}));
}

TEST(SkipPronunciation, ALineMatchingOnlyThroughItsCodeIsNotListed) {
    const SearchOptions skip{false, false, true};
    const Lines lines{"lid,futa,,lId", "lad,wakamono,,l1d", "lidded,futa,,lId1d", "ab,c,d,ef",
                      "abc,def"};
    // Found in the code only: listed by default, not with the option.
    EXPECT_EQ(Search(lines, "l1d"), Lines{"lad,wakamono,,l1d"});
    EXPECT_EQ(SearchWith(lines, "l1d", skip), Lines{});
    // A second keyword found only in the code, or a keyword across the
    // comma before it, does not list the line either.
    EXPECT_EQ(Search(lines, "lid I"), (Lines{"lid,futa,,lId", "lidded,futa,,lId1d"}));
    EXPECT_EQ(SearchWith(lines, "lid I", skip), Lines{});
    EXPECT_EQ(SearchWith(lines, "d,e", skip), Lines{});
    EXPECT_EQ(Search(lines, "d,e"), Lines{"ab,c,d,ef"});
    // What matches before the code is listed as ever; a line with no
    // code field is searched whole.
    EXPECT_EQ(SearchWith(lines, "lid", skip), (Lines{"lid,futa,,lId", "lidded,futa,,lId1d"}));
    EXPECT_EQ(SearchWith(lines, "c,def", skip), Lines{"abc,def"});
    // With the other options.
    EXPECT_EQ(SearchWith(lines, "LID", {true, true, true}),
              (Lines{"lid,futa,,lId", "lidded,futa,,lId1d"}));
}

TEST(SkipPronunciation, AgreesWithTheReferenceOnTheLineBeforeItsCode) {
    std::mt19937 random(2611);
    const std::vector<std::string> pieces = {"a",
                                             "e",
                                             "A",
                                             ",",
                                             "ta",
                                             "\x83"
                                             "a",
                                             " ",
                                             "1d"};
    for (int round = 0; round < 300; ++round) {
        Lines lines(1 + random() % 30);
        for (std::string& line : lines) {
            for (std::size_t n = random() % 10; n > 0; --n) {
                line += pieces[random() % pieces.size()];
            }
        }
        std::string keyword;
        for (std::size_t n = 1 + random() % 3; n > 0; --n) {
            keyword += pieces[random() % pieces.size()];
        }
        const bool ignoreCase = random() % 2 == 0;
        Lines expected;
        for (const std::string& line : lines) {
            // Up to the third comma, the long way.
            const std::vector<std::string_view> fields = SplitAtByte(line, ',');
            std::string before = line;
            if (fields.size() > 3) {
                before = std::string(fields[0]) + "," + std::string(fields[1]) + "," +
                         std::string(fields[2]);
            }
            if (testing::MatchesInOrderBaseline(before, KeywordTokens(keyword), ignoreCase)) {
                expected.push_back(line);
            }
        }
        const EntryTable table = TableOf(lines);
        const ResultOrder order(table);
        Lines found;
        for (const std::uint32_t index :
             SearchEntries(table, order, keyword, 0, {false, ignoreCase, true}).rows) {
            found.emplace_back(table.lineView(index));
        }
        std::sort(found.begin(), found.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(found, expected) << "round " << round << " keyword [" << keyword << "]";
    }
}

TEST(MatchSpans, AreTheOccurrencesTheSearchUses) {
    using Spans = std::vector<ByteSpan>;
    EXPECT_EQ(MatchSpans("take off,to take off", {"take", "off"}, false), (Spans{{0, 4}, {5, 3}}));
    // Each token after the end of the one before, at its first place there.
    EXPECT_EQ(MatchSpans("foo boo", {"o", "o", "o"}, false), (Spans{{1, 1}, {2, 1}, {5, 1}}));
    // Only where a character begins: the A inside ア (83 41) is passed over.
    EXPECT_EQ(MatchSpans("\x83\x41"
                         "A",
                         {"A"}, false),
              (Spans{{2, 1}}));
    EXPECT_EQ(MatchSpans("Take it", {"take"}, true), (Spans{{0, 4}}));
    // No match, no spans.
    EXPECT_EQ(MatchSpans("off take", {"take", "off"}, false), Spans{});
}

// The table scan reads 64 bytes a step: tables of a few hundred lines
// whose characters straddle the steps' edges, with runs of lead bytes
// before trail bytes that look like ASCII, tokens up to and past 64 bytes,
// and one-letter tokens that the table's letter index answers. Every search
// path must list what the byte-by-byte reference lists, under any limit.
TEST(KeywordMatcher, AgreesWithTheReferenceOnLargeTables) {
    std::mt19937 random(1207);
    const std::vector<std::string> pieces = {"a",
                                             "e",
                                             "A",
                                             "b",
                                             ",",
                                             "@",
                                             "\x81",
                                             "\x83",
                                             "\x9F",
                                             "\xE0",
                                             "\xA0",
                                             "\x80",
                                             "\xFD",
                                             Sjis("ア"),
                                             Sjis("表"),
                                             Sjis("示"),
                                             Sjis("離陸"),
                                             "ta",
                                             "off",
                                             std::string(1, '\x5C'),
                                             "E",
                                             "OF",
                                             "Ta",
                                             "\x83"
                                             "a",
                                             "z"};
    const auto randomText = [&](std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) {
            text += pieces[random() % pieces.size()];
        }
        return text;
    };
    for (int round = 0; round < 60; ++round) {
        std::vector<std::string> lines(50 + random() % 250);
        for (std::string& line : lines) {
            // Lengths around one and two 64-byte steps, and some empty.
            line = randomText(random() % 4 == 0 ? 0 : random() % 70);
        }
        const EntryTable table = TableOf(lines);
        EntryTable unindexed;
        unindexed.appendFileContents(testing::JoinCrLf(lines));
        for (int k = 0; k < 30; ++k) {
            std::string keyword;
            switch (random() % 5) {
                case 4:  // up to five short tokens, as a common phrase is typed
                    for (std::size_t n = 2 + random() % 4; n > 0; --n) {
                        keyword += pieces[random() % pieces.size()] + " ";
                    }
                    break;
                case 0:  // one piece: often a single letter
                    keyword = pieces[random() % pieces.size()];
                    break;
                case 1: {  // cut from a line, so it occurs; sometimes long
                    const std::string& source = lines[random() % lines.size()];
                    const std::size_t start = source.empty() ? 0 : random() % source.size();
                    keyword = source.substr(start, 1 + random() % 90);
                    break;
                }
                default:
                    keyword = randomText(1 + random() % 3) + " " + randomText(random() % 3);
            }
            std::replace(keyword.begin(), keyword.end(), '\0', 'a');
            const std::vector<std::string> tokens = KeywordTokens(keyword);
            const std::int32_t rowLimit =
                random() % 3 == 0 ? static_cast<std::int32_t>(random() % 20) : 0;
            for (const bool ignoreCase : {false, true}) {
                std::vector<std::uint32_t> expected;
                for (std::uint32_t i = 0; i < lines.size() && expected.size() < RowCap(rowLimit);
                     ++i) {
                    if (testing::MatchesInOrderBaseline(table.lineView(i), tokens, ignoreCase)) {
                        expected.push_back(i);
                    }
                }
                for (const EntryTable* searched :
                     {&table, static_cast<const EntryTable*>(&unindexed)}) {
                    std::vector<std::uint32_t> fast;
                    KeywordMatcher(tokens, ignoreCase).findMatches(*searched, rowLimit, fast);
                    ASSERT_EQ(fast, expected) << "round " << round << " keyword [" << keyword
                                              << "] ignoreCase " << ignoreCase;
                }
            }
        }
    }
}

TEST(KeywordMatcher, TokensInOrderAcrossManyBlocksAndNeverAcrossLines) {
    // Tokens far apart in one long line, a token split by a 64-byte step,
    // and tokens that occur in order only across a line end.
    const std::string filler(150, '-');
    const EntryTable table = TableOf({
        "a" + filler + "e" + filler,                          // 0: 'e' three steps after 'a'
        filler + "e" + filler + "a",                          // 1: wrong order
        std::string(60, '-') + "tabcdefgh" + "e",             // 2: the long token crosses byte 64
        "a" + filler,                                         // 3: 'a' here ...
        "e",                                                  // 4: ... and 'e' on the next line
        std::string(63, '-') + "\x83" + "a" + filler + "ae",  // 5: trail byte, then a real 'a'
    });
    const auto lines = [&table](const std::vector<std::string>& tokens) {
        std::vector<std::uint32_t> out;
        KeywordMatcher(tokens).findMatches(table, 0, out);
        return out;
    };
    EXPECT_EQ(lines({"a", "e"}), (std::vector<std::uint32_t>{0, 2, 5}));
    EXPECT_EQ(lines({"abcdefgh", "e"}), (std::vector<std::uint32_t>{2}));
    EXPECT_EQ(lines({"t", "abcdefgh", "e"}), (std::vector<std::uint32_t>{2}));
    EXPECT_EQ(lines({"e", "a"}), (std::vector<std::uint32_t>{1}));
}

TEST(KeywordMatcher, RowsAfterLongStretchesWithoutAHit) {
    // Empty lines put a line end at every byte: the scan that passes over
    // steps with no hit counts them all, many to a counter.
    std::vector<std::string> lines(20000);
    lines.push_back(Sjis("離陸"));
    lines.resize(lines.size() + 30000, "-");
    lines.push_back(Sjis("-離陸-離陸"));
    lines.resize(lines.size() + 17, "");
    lines.push_back(Sjis("離陸"));
    const EntryTable table = TableOf(lines);
    const auto rows = [&table](const std::vector<std::string>& tokens) {
        std::vector<std::uint32_t> out;
        KeywordMatcher(tokens).findMatches(table, 0, out);
        return out;
    };
    EXPECT_EQ(rows({Sjis("離陸")}), (std::vector<std::uint32_t>{20000, 50001, 50019}));
    EXPECT_EQ(rows({"-", Sjis("離陸")}), (std::vector<std::uint32_t>{50001}));
    EXPECT_EQ(rows({Sjis("離陸"), Sjis("離陸")}), (std::vector<std::uint32_t>{50001}));
}

TEST(KeywordMatcher, LeadByteRunsThatCrossA64ByteStep) {
    // Lead bytes from byte 62 on pair up from there: after three of them
    // the 'a' at 65 is a second byte, after two the 'a' at 64 is not. Each
    // line also holds a second byte 'a' later on, which the scan checks
    // with the first.
    const std::string dashes(62, '-');
    const auto matches = [](const std::string& line, bool ignoreCase) {
        std::vector<std::uint32_t> out;
        KeywordMatcher({"-", "a"}, ignoreCase).findMatches(TableOf({line}), 0, out);
        return !out.empty();
    };
    for (const bool ignoreCase : {false, true}) {
        EXPECT_FALSE(matches(dashes + "\x81\x81\x81"
                                      "a\x81"
                                      "a",
                             ignoreCase));
        EXPECT_TRUE(matches(dashes + "\x81\x81"
                                     "a\x81"
                                     "a",
                            ignoreCase));
        EXPECT_FALSE(matches("-" + dashes +
                                 "\x81\x81\x81"
                                 "a\x81"
                                 "a",
                             ignoreCase));
        EXPECT_TRUE(matches("-" + dashes +
                                "\x81\x81\x81\x81"
                                "a\x81"
                                "a",
                            ignoreCase));
    }
}

// The candidate lines the letter index leaves are each decided from masks
// of their own bytes: lines of one and two 64-byte steps, with lead bytes
// and trail bytes that look like letters, and longer lines, which go to
// the caller's test. All must agree with the reference.
TEST(KeywordMatcher, CandidateLinesAgreeWithTheReference) {
    if (!CanScanTokensInOrder({"a"})) {
        GTEST_SKIP() << "no vector scan on this processor";
    }
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
                                             "z",
                                             "\x81\x81\x81"};
    const auto randomText = [&](std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) {
            text += pieces[random() % pieces.size()];
        }
        return text;
    };
    std::size_t decided = 0;
    std::size_t asked = 0;
    for (int round = 0; round < 40; ++round) {
        std::vector<std::string> lines(60 + random() % 200);
        for (std::string& line : lines) {
            line = randomText(random() % 90);
        }
        const EntryTable table = TableOf(lines);
        std::vector<std::uint64_t> candidates((lines.size() + 63) / 64);
        for (std::uint64_t& word : candidates) {
            word = (std::uint64_t{random()} << 32 | random()) | (std::uint64_t{random()} << 32);
        }
        for (int k = 0; k < 20; ++k) {
            std::vector<std::string> tokens(1 + random() % 4);
            for (std::string& token : tokens) {
                // Now and then as long as a token the scans take.
                token = random() % 8 == 0 ? randomText(60).substr(0, 56 + random() % 9)
                                          : randomText(1 + random() % 3);
            }
            const std::size_t cap = random() % 4 == 0 ? random() % 10 : lines.size();
            for (const bool ignoreCase : {false, true}) {
                std::vector<std::uint32_t> expected;
                for (std::uint32_t i = 0; i < lines.size() && expected.size() < cap; ++i) {
                    if (((candidates[i / 64] >> (i % 64)) & 1) != 0 &&
                        testing::MatchesInOrderBaseline(table.lineView(i), tokens, ignoreCase)) {
                        expected.push_back(i);
                    }
                }
                std::vector<std::uint32_t> found;
                CheckLinesInOrder(
                    table, tokens, ignoreCase, candidates.data(), cap,
                    [&](std::size_t line) {
                        ++asked;
                        return testing::MatchesInOrderBaseline(table.lineView(line), tokens,
                                                               ignoreCase);
                    },
                    found);
                ASSERT_EQ(found, expected) << "round " << round << " tokens " << tokens.size();
                decided += lines.size();
            }
        }
    }
    // The masks decide most lines themselves.
    EXPECT_LT(asked * 4, decided);
}

TEST(KeywordSearch, EmptyTableAndLongestKeyword) {
    const EntryTable empty;
    const ResultOrder order(empty);
    for (const std::string& keyword :
         std::vector<std::string>{"", "a", "a b", std::string(999, 'a')}) {
        const Matches matches = SearchEntries(empty, order, keyword, 0);
        EXPECT_TRUE(matches.rows.empty());
        EXPECT_EQ(matches.total, 0u);
    }
    // A keyword of 999 bytes, one token, found where it occurs whole.
    const std::string longest(999, 'a');
    EXPECT_EQ(Search({longest, longest.substr(1), "x" + longest}, longest),
              (Lines{longest, "x" + longest}));
}

// Keystroke after keystroke, the narrowed search lists what a fresh one
// lists, and counts the same, also after a row limit cut the rows short.
TEST(NarrowingSearch, AgreesWithAFreshSearchWhileTyping) {
    std::vector<std::string> lines = testing::GenerateDictionaryLines(2000, 11);
    lines.push_back(Sjis("アA"));
    lines.push_back("water off,ta");
    const EntryTable table = TableOf(lines);
    const ResultOrder order(table);
    const std::vector<std::string> typed = {"water", "ta off", Sjis("離陸") + " " + "ok",
                                            Sjis("ア") + "A", "a  e ta"};
    for (const std::int32_t rowLimit : {0, 1, 3, 50}) {
        NarrowingSearch search;
        for (const std::string& text : typed) {
            // Type it, then take it back, a byte at a time.
            for (std::size_t length = 0; length <= 2 * text.size(); ++length) {
                const std::string now =
                    text.substr(0, length <= text.size() ? length : 2 * text.size() - length);
                const Matches narrowed = search.search(table, order, now, rowLimit);
                const Matches fresh = SearchEntries(table, order, now, rowLimit);
                ASSERT_EQ(narrowed.rows, fresh.rows) << "[" << now << "] limit " << rowLimit;
                ASSERT_EQ(narrowed.total, fresh.total) << "[" << now << "]";
            }
        }
        // The code left out, and back in, while typing: the narrowed
        // search follows the option.
        for (const std::string& text : typed) {
            for (std::size_t length = 0; length <= text.size(); ++length) {
                const SearchOptions options{false, false, length % 3 != 0};
                const std::string now = text.substr(0, length);
                const Matches narrowed = search.search(table, order, now, rowLimit, options);
                const Matches fresh = SearchEntries(table, order, now, rowLimit, options);
                ASSERT_EQ(narrowed.rows, fresh.rows) << "[" << now << "] " << length;
                ASSERT_EQ(narrowed.total, fresh.total) << "[" << now << "]";
            }
        }
        // A new table: what was found before must not be reused.
        const EntryTable other = TableOf({"water", "wat"});
        const ResultOrder otherOrder(other);
        search.forget();
        EXPECT_EQ(search.search(other, otherOrder, "wate", rowLimit).total, 1u);
    }
}

}  // namespace
}  // namespace pelmio
