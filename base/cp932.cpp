#include "base/cp932.h"

#include <algorithm>

namespace pelmio::cp932 {
namespace {

#include "base/cp932_table.inc"

constexpr unsigned short kNone = 0xFFFF;
constexpr char16_t kReplacement = 0xFFFD;

std::size_t LeadRow(unsigned char lead) {
    return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31;
}

}  // namespace

std::string_view CutAtCharBoundary(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) {
        return text;
    }
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t length = CharLength(text, pos);
        if (pos + length > maxBytes) {
            break;
        }
        pos += length;
    }
    return text.substr(0, pos);
}

std::u16string Decode(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t pos = 0; pos < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[pos]);
        if (CharLength(bytes, pos) == 2) {
            const auto trail = static_cast<unsigned char>(bytes[pos + 1]);
            const unsigned short unit = kDoubleByte[LeadRow(lead)][trail - kFirstTrail];
            out.push_back(unit == kNone ? kReplacement : static_cast<char16_t>(unit));
            pos += 2;
            continue;
        }
        const unsigned short unit = kSingleByte[lead];
        out.push_back(unit == kNone ? kReplacement : static_cast<char16_t>(unit));
        ++pos;
    }
    return out;
}

std::optional<std::string> Encode(std::u16string_view text) {
    return EncodePrefix(text, std::string::npos);
}

std::optional<std::string> EncodePrefix(std::u16string_view text, std::size_t maxBytes) {
    std::string out;
    out.reserve(std::min(text.size() * 2, maxBytes));
    for (const char16_t unit : text) {
        if (out.size() >= maxBytes) {
            break;
        }
        if (unit < 0x80) {
            out.push_back(static_cast<char>(unit));
            continue;
        }
        const auto* end = std::end(kEncode);
        const auto* found = std::lower_bound(
            std::begin(kEncode), end, unit,
            [](const auto& entry, char16_t value) { return entry.codePoint < value; });
        if (found == end || found->codePoint != unit) {
            return std::nullopt;
        }
        if (found->bytes > 0xFF) {
            if (out.size() + 2 > maxBytes) {
                break;
            }
            out.push_back(static_cast<char>(found->bytes >> 8));
        }
        out.push_back(static_cast<char>(found->bytes & 0xFF));
    }
    return out;
}

}  // namespace pelmio::cp932
