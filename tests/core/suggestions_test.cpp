#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "lookup/lookup_session.h"
#include "search/suggestions.h"
#include "tests/support/test_support.h"

namespace pelmio {
namespace {

using testing::JoinCrLf;
using testing::Sjis;
using testing::TempFolder;
using testing::WriteBytes;
using Lines = std::vector<std::string>;

const Lines kPhrases = {
    Sjis("give up,諦める,,gIv #p"),
    Sjis("go out,外出する,,g`u ~ut"),
    Sjis("take off,離陸する,,tEik O0f"),
};

const Lines kWords = {
    Sjis("definitely,確かに,,"),
    Sjis("English,英語,,"),
    Sjis("gave,giveの過去形,give,gEiv"),
    Sjis("give,与える,,gIv"),
    Sjis("go,行く,,g`u"),
    Sjis("receive,受け取る,,"),
    Sjis("stake,杭,,"),
    Sjis("relieve,和らげる,,"),
    Sjis("take,取る,,tEik"),
    Sjis("went,goの過去形,go,wEnt"),
    Sjis("テイク,テイク,,"),
    Sjis("バス,バス,,"),
};

// A session over a folder holding the two files, case mattering unless
// told otherwise.
struct Suggesting {
    TempFolder folder;
    LookupSession session{folder.path()};

    explicit Suggesting(const Lines& phrases = kPhrases, const Lines& words = kWords,
                        bool ignoreCase = false) {
        WriteBytes(folder / "settei_jyukugo.txt", JoinCrLf(phrases));
        WriteBytes(folder / "settei_tango.txt", JoinCrLf(words));
        LookupOptions options;
        options.ignoreCase = ignoreCase;
        session.setOptions(options);
        session.reload();
    }

    std::vector<std::string> suggest(const std::string& utf8) const {
        return session.search(Sjis(utf8)).suggestions;
    }
};

std::string First(const std::vector<std::string>& suggestions) {
    return suggestions.empty() ? std::string() : suggestions.front();
}

TEST(SuggestionsTest, TyposOfferTheNearestHeadwordFirst) {
    const Suggesting lookup;
    // relieve is one substitution away too; the swap comes first.
    EXPECT_EQ(lookup.suggest("recieve"), (Lines{"receive", "relieve"}));
    EXPECT_EQ(First(lookup.suggest("definately")), "definitely");
    // A short text allows one edit only: "tk" is two from "take".
    EXPECT_EQ(lookup.suggest("tk"), Lines{});
    EXPECT_EQ(First(lookup.suggest("tke")), "take");
}

TEST(SuggestionsTest, FullWidthAndOtherCaseAreTriedAsTyped) {
    const Suggesting lookup;
    // What was meant exactly comes alone, with no near spellings (stake).
    EXPECT_EQ(lookup.suggest("ｔａｋｅ"), Lines{"take"});
    EXPECT_EQ(First(lookup.suggest("ｔａｋｅ　ｏｆｆ")), "take off");
    EXPECT_EQ(First(lookup.suggest("english")), "English");
    EXPECT_EQ(First(lookup.suggest("TAKE")), "take");
}

TEST(SuggestionsTest, InflectedTokensGoBackToTheirBaseForms) {
    const Suggesting lookup;
    EXPECT_EQ(First(lookup.suggest("went out")), "go out");
    EXPECT_EQ(lookup.suggest("gave up"), Lines{"give up"});
    // Without the line that gives the base form, nothing leads to "go out".
    Lines words = kWords;
    std::erase(words, Sjis("went,goの過去形,go,wEnt"));
    words.push_back("went,,,");
    EXPECT_EQ(Suggesting(kPhrases, words).suggest("went out"), Lines{});
}

TEST(SuggestionsTest, JapaneseTextIsOfferedOnlyInTheOtherWidth) {
    const Suggesting lookup;
    EXPECT_EQ(lookup.suggest("ﾃｲｸ"), Lines{Sjis("テイク")});
    EXPECT_EQ(lookup.suggest("ﾊﾞｽ"), Lines{Sjis("バス")});
    // No spelling suggestions for Japanese: テイク is one character away.
    EXPECT_EQ(lookup.suggest("テイカ"), Lines{});
}

TEST(SuggestionsTest, OnlyWhenNothingIsListedAndEachListsSomething) {
    const Suggesting lookup;
    EXPECT_EQ(lookup.suggest("take"), Lines{});
    EXPECT_EQ(lookup.suggest(""), Lines{});
    for (const char* typed : {"recieve", "ｔａｋｅ", "went out", "english", "gve up", "ﾊﾞｽ"}) {
        const std::vector<std::string> offered = lookup.suggest(typed);
        EXPECT_FALSE(offered.empty()) << typed;
        EXPECT_LE(offered.size(), kMaxSuggestions);
        for (const std::string& text : offered) {
            EXPECT_GT(lookup.session.search(text).totalMatches, 0u) << typed << " -> " << text;
        }
    }
    // With case ignored, "english" lists its line and needs nothing.
    EXPECT_EQ(Suggesting(kPhrases, kWords, true).suggest("ENGLISH"), Lines{});
}

TEST(SuggestionsTest, AnEmptyTableOffersNothing) {
    const Suggesting lookup({}, {});
    EXPECT_EQ(lookup.suggest("recieve"), Lines{});
    EXPECT_EQ(lookup.suggest("ｔａｋｅ"), Lines{});
}

TEST(SuggestionsTest, NearHeadwordsKeepsTheBestFewEachOnce) {
    EntryTable table;
    table.appendFileContents(
        "cat,1,,\ncat,2,,\ncar,,,\ncut,,,\ncot,a small bed,,\nact,,,\ncast,,,\nbat,,,\n");
    const HeadwordIndex index(table);
    const auto heads = [&](std::string_view text, std::size_t count) {
        Lines found;
        for (const std::uint32_t line : NearHeadwords(table, index, text, count)) {
            found.emplace_back(table.lineView(line).substr(0, table.lineView(line).find(',')));
        }
        return found;
    };
    // The first "cat" only; "act" is a swap, "cast" lacks one letter, the
    // rest change one: "cot" with more meaning first, then table order.
    EXPECT_EQ(heads("cat", 3), (Lines{"cat", "act", "cast"}));
    EXPECT_EQ(heads("cat", 10), (Lines{"cat", "act", "cast", "cot", "car", "cut", "bat"}));
    EXPECT_EQ(heads("cta", 10), Lines{"cat"});  // a 3-byte text allows one edit
    EXPECT_EQ(heads("cat", 0), Lines{});
}

TEST(SuggestionsTest, SpellingDistanceCountsEachEditOnce) {
    EXPECT_EQ(SpellingDistance("recieve", "receive", 2), 1u);
    EXPECT_EQ(SpellingDistance("Receive", "rECEIVE", 2), 0u);
    EXPECT_EQ(SpellingDistance("ca", "abc", 5), 3u);  // no edit of a swapped pair
    EXPECT_EQ(SpellingDistance("kitten", "sitting", 5), 3u);
    EXPECT_EQ(SpellingDistance("kitten", "sitting", 2), 3u);  // past the limit
    EXPECT_EQ(SpellingDistance("", "abc", 3), 3u);
    const std::string longer(200, 'a');
    EXPECT_EQ(SpellingDistance(longer, longer + "b", 2), 1u);
}

// The whole edit table, as a textbook gives it.
std::size_t TableDistance(const std::string& a, const std::string& b) {
    const auto fold = [](char byte) {
        return byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte;
    };
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) {
        for (std::size_t j = 0; j <= b.size(); ++j) {
            if (i == 0 || j == 0) {
                d[i][j] = i + j;
                continue;
            }
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                                d[i - 1][j - 1] + (fold(a[i - 1]) == fold(b[j - 1]) ? 0 : 1)});
            if (i > 1 && j > 1 && fold(a[i - 1]) == fold(b[j - 2]) &&
                fold(a[i - 2]) == fold(b[j - 1])) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

TEST(SuggestionsTest, SpellingDistanceAgreesWithTheWholeTable) {
    std::mt19937 random(20261209);
    const std::string letters = "abAB";  // few letters: many swaps and ties
    const auto text = [&](std::size_t longest) {
        std::string made(random() % (longest + 1), ' ');
        for (char& byte : made) {
            byte = letters[random() % letters.size()];
        }
        return made;
    };
    for (int round = 0; round < 20000; ++round) {
        const std::size_t longest = round % 10 == 0 ? 80 : 10;  // past 64 bytes too
        const std::string a = text(longest);
        const std::string b = text(longest);
        const std::size_t expected = TableDistance(a, b);
        ASSERT_EQ(SpellingDistance(a, b, 100), expected) << a << " / " << b;
        ASSERT_EQ(SpellingDistance(a, b, 2), std::min<std::size_t>(expected, 3)) << a << " / " << b;
    }
}

// The letter masks only skip headwords too far apart: on random tables of
// few letters (many repeats), every headword within the allowed edits of
// the text is found, as the whole table measures it, each once.
TEST(SuggestionsTest, NearHeadwordsMissesNoHeadwordWithinReach) {
    std::mt19937 random(20261210);
    const std::string letters = "abcAB-";
    const auto text = [&](std::size_t shortest, std::size_t longest) {
        std::string made(shortest + random() % (longest - shortest + 1), ' ');
        for (char& byte : made) {
            byte = letters[random() % letters.size()];
        }
        return made;
    };
    for (int round = 0; round < 300; ++round) {
        std::string contents;
        std::vector<std::string> headwords;
        for (int line = 0; line < 40; ++line) {
            headwords.push_back(text(1, 9));
            contents += headwords.back() + ",,,\n";
        }
        EntryTable table;
        table.appendFileContents(contents);
        const HeadwordIndex index(table);
        const std::string typed = text(1, 8);
        const std::size_t limit = typed.size() <= 4 ? 1 : 2;
        std::vector<std::uint32_t> expected;  // the first line of each headword
        for (std::uint32_t line = 0; line < headwords.size(); ++line) {
            const auto before = headwords.begin() + line;
            if (TableDistance(typed, headwords[line]) <= limit &&
                std::find(headwords.begin(), before, headwords[line]) == before) {
                expected.push_back(line);
            }
        }
        std::vector<std::uint32_t> found = NearHeadwords(table, index, typed, headwords.size());
        std::sort(found.begin(), found.end());
        ASSERT_EQ(found, expected) << typed;
    }
}

}  // namespace
}  // namespace pelmio
