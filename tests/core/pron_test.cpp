#include <gtest/gtest.h>

#include <set>
#include <string>

#include "dict/entry_fields.h"
#include "pron/phonetic_code.h"

namespace pelmio {
namespace {

TEST(PhoneticCode, EveryCodeHasItsOwnCellInTableOrder) {
    const std::string codes = "a123iueopbtdkgmn4lRfvsz5678jhw0r()-A!\"#IUEO=^~\\/@`";
    std::set<int> cells;
    for (std::size_t j = 0; j < codes.size(); ++j) {
        EXPECT_EQ(GlyphCell(static_cast<unsigned char>(codes[j])), static_cast<int>(j)) << codes[j];
        cells.insert(GlyphCell(static_cast<unsigned char>(codes[j])));
    }
    EXPECT_EQ(cells.size(), 50u);
    // "R" and "r" are different symbols; so are "a" and "^".
    EXPECT_EQ(GlyphCell('R'), 18);
    EXPECT_EQ(GlyphCell('r'), 31);
}

TEST(PhoneticCode, OtherBytesHaveNoCell) {
    int withCell = 0;
    for (int byte = 0; byte < 256; ++byte) {
        withCell += GlyphCell(static_cast<unsigned char>(byte)) != kGlyphCount;
    }
    EXPECT_EQ(withCell, 50);
    for (const unsigned char byte : {' ', 'x', 'q', 'c', 'y', '9', ',', '\0', '\x83', '\xFF'}) {
        EXPECT_EQ(GlyphCell(byte), kGlyphCount) << int(byte);
    }
}

TEST(PhoneticCode, EveryByteAdvancesOneCell) {
    const auto glyphs = PlanPronunciation("2pl", 1, 2, 1000);
    ASSERT_EQ(glyphs.size(), 3u);
    EXPECT_EQ(glyphs[0].targetX, 1);
    EXPECT_EQ(glyphs[1].targetX, 8);
    EXPECT_EQ(glyphs[2].targetX, 15);
    EXPECT_EQ(glyphs[0].sourceX, 2 * 7);
    EXPECT_EQ(glyphs[1].sourceX, 8 * 7);
    EXPECT_EQ(glyphs[2].sourceX, 17 * 7);
    EXPECT_EQ(glyphs[2].targetY, 2);
    const auto spaced = PlanPronunciation("t x\x83\x41t", 0, 0, 1000);
    ASSERT_EQ(spaced.size(), 6u);
    EXPECT_TRUE(spaced[1].blank);
    EXPECT_TRUE(spaced[2].blank);
    EXPECT_EQ(spaced[5].targetX, 35);
    EXPECT_FALSE(spaced[5].blank);
    // Nothing is planned past the right edge.
    EXPECT_EQ(PlanPronunciation(std::string(999, 'a'), 1, 2, 100).size(), 15u);
    EXPECT_TRUE(PlanPronunciation("", 1, 2, 100).empty());
}

TEST(EntryFields, SplitAtEveryComma) {
    const EntryFields four = SplitEntryFields("one,two,three,four");
    EXPECT_EQ(four.headword, "one");
    EXPECT_EQ(four.meaning, "two");
    EXPECT_EQ(four.baseForm, "three");
    EXPECT_EQ(four.pronunciation, "four");
    const EntryFields none = SplitEntryFields("no comma at all");
    EXPECT_EQ(none.headword, "no comma at all");
    EXPECT_EQ(none.meaning, "");
    EXPECT_EQ(none.pronunciation, "");
    EXPECT_EQ(SplitEntryFields("one,,three,four").meaning, "");
    const EntryFields six = SplitEntryFields("a,b,c,d,e,f");
    EXPECT_EQ(six.pronunciation, "d");
    // Spaces and the ideographic comma (81 41) belong to their field.
    const EntryFields spaced = SplitEntryFields(
        " a ,b\x81\x41"
        "c");
    EXPECT_EQ(spaced.headword, " a ");
    EXPECT_EQ(spaced.meaning,
              "b\x81\x41"
              "c");
    EXPECT_EQ(SplitEntryFields(std::string(150, ',') + "x").headword, "");
}

TEST(EntryFields, LongLinesAreCutAt999BytesFirst) {
    const std::string line = "head,mean,base," + std::string(1200, 'a');
    EXPECT_EQ(SplitEntryFields(line).pronunciation.size(), 999u - 15u);
    // A double-byte character across byte 999 is dropped whole.
    const std::string japanese = "h," + std::string(996, 'x') + "\x83\x41,z";
    EXPECT_EQ(SplitEntryFields(japanese).meaning, std::string(996, 'x'));
    EXPECT_EQ(SplitEntryFields(japanese).baseForm, "");
}

}  // namespace
}  // namespace pelmio
