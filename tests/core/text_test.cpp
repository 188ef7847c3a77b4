#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/cp932.h"
#include "tests/support/reference_matcher.h"
#include "tests/support/test_support.h"

namespace pelmio {
namespace {

TEST(FindSubstring, FindsTheFirstOccurrenceByteForByte) {
    using testing::FindSubstring;
    const char* haystack = "take off, takeoff";
    EXPECT_EQ(FindSubstring(haystack, "take"), haystack);
    EXPECT_EQ(FindSubstring(haystack, "off"), haystack + 5);
    EXPECT_EQ(FindSubstring(haystack, ""), haystack);
    const char* empty = "";
    EXPECT_EQ(FindSubstring(empty, ""), empty);
    EXPECT_EQ(FindSubstring(empty, "a"), nullptr);
    EXPECT_EQ(FindSubstring(haystack, "Take"), nullptr);
    EXPECT_EQ(FindSubstring("ab", "abc"), nullptr);
    EXPECT_EQ(FindSubstring(haystack, "eoff"), haystack + 13);
    // Byte-wise: "A" is found inside the double-byte character ア (83 41).
    const char* katakana = "\x83\x41";
    EXPECT_EQ(FindSubstring(katakana, "A"), katakana + 1);
}

TEST(SplitAtByte, SeparatorsGiveOneMorePiece) {
    using Pieces = std::vector<std::string_view>;
    EXPECT_EQ(SplitAtByte("", ' '), (Pieces{""}));
    EXPECT_EQ(SplitAtByte("take off", ' '), (Pieces{"take", "off"}));
    EXPECT_EQ(SplitAtByte(" take  off ", ' '), (Pieces{"", "take", "", "off", ""}));
    EXPECT_EQ(SplitAtByte("one,,three,four", ','), (Pieces{"one", "", "three", "four"}));
    EXPECT_EQ(SplitAtByte(std::string(150, ','), ',').size(), 151u);
}

TEST(Cp932, EveryMappedCharacterRoundTrips) {
    std::size_t mapped = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!cp932::IsLeadByte(static_cast<unsigned char>(lead))) {
            continue;
        }
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (!cp932::IsTrailByte(static_cast<unsigned char>(trail))) {
                continue;
            }
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            const std::u16string text = cp932::Decode(bytes);
            ASSERT_EQ(text.size(), 1u);
            if (text[0] == u'\uFFFD') {
                continue;
            }
            ++mapped;
            const auto again = cp932::Encode(text);
            ASSERT_TRUE(again.has_value());
            // Duplicates (NEC and IBM rows) encode to one chosen form, which
            // decodes to the same character.
            EXPECT_EQ(cp932::Decode(*again), text);
        }
    }
    EXPECT_GT(mapped, 9000u);
    EXPECT_EQ(cp932::Decode(testing::Sjis("離陸ｱｲ")), u"離陸ｱｲ");
    EXPECT_EQ(*cp932::Encode(u"～"), "\x81\x60");
}

TEST(Cp932, InvalidBytesDecodeToReplacementCharacters) {
    // A lead byte at the end, a lead byte with an invalid trail, an unmapped
    // pair: every byte belongs to exactly one character.
    EXPECT_EQ(cp932::Decode("a\x83"), u"a\uFFFD");
    EXPECT_EQ(cp932::Decode("\x81 b"), u"\uFFFD b");
    EXPECT_EQ(cp932::Decode("\x85\x40"), u"\uFFFD");
    EXPECT_EQ(cp932::Decode(std::string("\0", 1)), std::u16string(1, u'\0'));
}

TEST(Cp932, UnrepresentableTextIsRefusedNotReplaced) {
    EXPECT_FALSE(cp932::Encode(u"wave\u301C").has_value());  // wave dash: only ～ (U+FF5E) maps
    EXPECT_FALSE(cp932::Encode(u"\u2212").has_value());
    EXPECT_FALSE(cp932::Encode(u"\U0001F600").has_value());
    EXPECT_FALSE(cp932::Encode(u"é").has_value());
    EXPECT_FALSE(cp932::Encode(std::u16string(1, u'\xD800')).has_value());
    EXPECT_EQ(*cp932::Encode(u""), "");
}

TEST(Cp932, EncodePrefixLooksOnlyAtWhatFits) {
    EXPECT_EQ(*cp932::EncodePrefix(u"abc\u301C", 3), "abc");
    EXPECT_FALSE(cp932::EncodePrefix(u"ab\u301C", 3).has_value());
    // A double-byte character that would cross the limit is left out whole.
    EXPECT_EQ(*cp932::EncodePrefix(u"abア", 3), "ab");
    EXPECT_EQ(*cp932::EncodePrefix(u"abア", 4), "ab\x83\x41");
    EXPECT_EQ(*cp932::EncodePrefix(u"", 0), "");
}

TEST(Cp932, CutNeverSplitsACharacter) {
    const std::string text = testing::Sjis("aア離");  // 61 83 41 97 A3
    EXPECT_EQ(cp932::CutAtCharBoundary(text, 5), text);
    EXPECT_EQ(cp932::CutAtCharBoundary(text, 4), text.substr(0, 3));
    EXPECT_EQ(cp932::CutAtCharBoundary(text, 2), text.substr(0, 1));
    EXPECT_EQ(cp932::CutAtCharBoundary(text, 0), "");
    // 999 bytes of text ending in a double-byte character split by the cut.
    const std::string longText = std::string(998, 'a') + "\x83\x41";
    EXPECT_EQ(cp932::CutAtCharBoundary(longText, 999).size(), 998u);
}

}  // namespace
}  // namespace pelmio
