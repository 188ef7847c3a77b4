// The code page 932 codec in both directions: bytes decode to one unit per
// character; text that encodes decodes back to itself.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/cp932.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string text = pelmio::cp932::Decode(bytes);
    std::size_t characters = 0;
    for (std::size_t pos = 0; pos < bytes.size(); pos += pelmio::cp932::CharLength(bytes, pos)) {
        ++characters;
    }
    FUZZ_CHECK(text.size() == characters);
    if (text.find(u'\uFFFD') == std::u16string::npos) {
        const auto again = pelmio::cp932::Encode(text);
        FUZZ_CHECK(again.has_value());
        FUZZ_CHECK(pelmio::cp932::Decode(*again) == text);
    }

    // The same bytes read as UTF-16 text.
    const std::u16string units(reinterpret_cast<const char16_t*>(data), size / 2);
    const auto encoded = pelmio::cp932::Encode(units);
    if (encoded) {
        FUZZ_CHECK(pelmio::cp932::Decode(*encoded) == units);
        FUZZ_CHECK(pelmio::cp932::CutAtCharBoundary(*encoded, 999).size() <= 999);
    }
    // A prefix: whole characters that fit, decoding to the text's start.
    const std::size_t limit = size == 0 ? 0 : data[0] % 16;
    if (const auto prefix = pelmio::cp932::EncodePrefix(units, limit)) {
        FUZZ_CHECK(prefix->size() <= limit);
        const std::u16string back = pelmio::cp932::Decode(*prefix);
        FUZZ_CHECK(units.compare(0, back.size(), back) == 0);
        if (encoded) {
            FUZZ_CHECK(*prefix == pelmio::cp932::CutAtCharBoundary(*encoded, limit));
        }
    } else {
        FUZZ_CHECK(!encoded);
    }
    return 0;
}
