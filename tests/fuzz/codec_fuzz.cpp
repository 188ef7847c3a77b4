// The code page 932 codec in both directions: bytes decode to one unit per
// character; text that encodes decodes back to itself.
#include <cstdint>
#include <string>
#include <string_view>

#include "dict/cp932.h"
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
    if (const auto encoded = pelmio::cp932::Encode(units)) {
        FUZZ_CHECK(pelmio::cp932::Decode(*encoded) == units);
        FUZZ_CHECK(pelmio::cp932::CutAtCharBoundary(*encoded, 999).size() <= 999);
    }
    return 0;
}
