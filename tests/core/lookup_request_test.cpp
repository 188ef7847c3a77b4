// What other programs hand the lookup: requests from a second start, the
// selected text and copied text.
#include <gtest/gtest.h>

#include <string>

#include "lookup/lookup_request.h"
#include "lookup/outside_text.h"

namespace pelmio {
namespace {

using State = LookupRequestReader::State;

// Feeds a stream to a reader as a server does: never more than it wants.
LookupRequestReader ReadStream(std::string_view stream, std::size_t* consumed = nullptr) {
    LookupRequestReader reader;
    std::size_t at = 0;
    while (reader.state() == State::Reading && at < stream.size()) {
        const std::size_t take = std::min(reader.bytesWanted(), stream.size() - at);
        reader.feed(stream.substr(at, take));
        at += take;
    }
    if (consumed != nullptr) {
        *consumed = at;
    }
    return reader;
}

TEST(LookupRequest, ReadsWhatWasSentInPiecesOfAnySize) {
    for (const std::string& text : {std::string(), std::string("take"),
                                    std::string("give up\nlookup 3\n"), std::string("和英 ｶﾅ")}) {
        const std::string request = LookupRequest(text);
        const LookupRequestReader whole = ReadStream(request);
        ASSERT_EQ(whole.state(), State::Done) << text;
        EXPECT_EQ(whole.text(), text);
        // A byte at a time, as a slow client sends it.
        LookupRequestReader reader;
        for (const char byte : request) {
            ASSERT_EQ(reader.state(), State::Reading);
            reader.feed(std::string_view(&byte, 1));
        }
        EXPECT_EQ(reader.state(), State::Done);
        EXPECT_EQ(reader.text(), text);
    }
    // The text at the bound is still a request.
    const std::string longest(kMaxLookupTextBytes, 'a');
    EXPECT_EQ(ReadStream(LookupRequest(longest)).text(), longest);
}

TEST(LookupRequest, NeverTakesMoreThanTheRequest) {
    std::size_t consumed = 0;
    const std::string request = LookupRequest("take");
    const LookupRequestReader reader = ReadStream(request + "lookup 2\nno", &consumed);
    EXPECT_EQ(reader.state(), State::Done);
    EXPECT_EQ(consumed, request.size());
    EXPECT_EQ(reader.bytesWanted(), 0u);
    // Bytes past what it wanted make the request bad, not longer.
    LookupRequestReader greedy;
    EXPECT_EQ(greedy.feed("lookup 1\nab"), State::Bad);
}

TEST(LookupRequest, RejectsMalformedAndOversizedRequestsEarly) {
    for (const std::string& stream :
         {std::string("LOOKUP 4\ntake"), std::string("lookup\ntake"), std::string("lookup x\n"),
          std::string("lookup -1\n"), std::string("lookup 4 \ntake"), std::string("lookup \n"),
          std::string("lookup 99999999999999999999999\n"),
          "lookup " + std::to_string(kMaxLookupTextBytes + 1) + "\n"}) {
        EXPECT_EQ(ReadStream(stream).state(), State::Bad) << stream;
    }
    // A header with no end is given up within a few bytes, not read to the end.
    std::size_t consumed = 0;
    const std::string endless(10 * 1024 * 1024, '7');
    EXPECT_EQ(ReadStream("lookup " + endless, &consumed).state(), State::Bad);
    EXPECT_LT(consumed, 64u);
}

TEST(SelectionLookupText, TrimsAndKeepsTheFirstLine) {
    EXPECT_EQ(SelectionLookupText("  take  "), "take");
    EXPECT_EQ(SelectionLookupText("\n\t give up \r\nthe second line\n"), "give up");
    EXPECT_EQ(SelectionLookupText("first\rsecond"), "first");
    // Spaces a Japanese page or a web page puts around a word.
    EXPECT_EQ(SelectionLookupText("\xE3\x80\x80"
                                  "辞書\xC2\xA0"),
              "辞書");
    EXPECT_EQ(SelectionLookupText(" \n \r\n"), "");
    EXPECT_EQ(SelectionLookupText(""), "");
}

TEST(ClipboardLookupText, TakesOneToFourEnglishWords) {
    EXPECT_EQ(ClipboardLookupText("take"), "take");
    EXPECT_EQ(ClipboardLookupText(" give up\n"), "give up");
    EXPECT_EQ(ClipboardLookupText("well-known  rock'n'roll\tO'Neill e-mail"),
              "well-known rock'n'roll O'Neill e-mail");
    const std::string longest = std::string(31, 'a') + " " + std::string(32, 'b');
    EXPECT_EQ(ClipboardLookupText(longest), longest);
}

TEST(ClipboardLookupText, LeavesEveryOtherCopyAlone) {
    for (const std::string& copied :
         {std::string(), std::string("  \n"), std::string("one two three four five"),
          std::string(65, 'a'), std::string(31, 'a') + "  " + std::string(32, 'b'),
          std::string("take\ngive"), std::string("take."), std::string("take2"),
          std::string("https://example.org/"), std::string("x = y;"), std::string("辞書"),
          std::string("ｔａｋｅ"), std::string("caf\xC3\xA9"), std::string("- -"),
          std::string("take ''"), std::string("'")}) {
        EXPECT_EQ(ClipboardLookupText(copied), std::nullopt) << copied;
    }
}

}  // namespace
}  // namespace pelmio
