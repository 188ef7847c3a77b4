#include "settings/settings_file.h"

#include <algorithm>
#include <limits>

namespace pelmio {
namespace {
constexpr std::size_t kFileSize = 8;
}

std::int32_t ReadRowLimit(const std::filesystem::path& path) {
    // Only the first bytes count, however large the file.
    const ReadResult file = ReadFilePrefix(path, kFileSize);
    if (file.status != FileStatus::Ok || file.bytes.size() < 4) {
        return 0;
    }
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(file.bytes[static_cast<std::size_t>(i)]);
    }
    return static_cast<std::int32_t>(value);
}

WriteResult WriteRowLimit(const std::filesystem::path& path, std::int32_t rowLimit,
                          FileWriter& writer) {
    std::string bytes(kFileSize, '\0');
    const auto value = static_cast<std::uint32_t>(rowLimit);
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return ReplaceFileAtomically(path, bytes, writer);
}

std::int32_t ParseRowLimit(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || (text[pos] >= '\t' && text[pos] <= '\r'))) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        value = std::min(value * 10 + (text[pos] - '0'), kLimit);
    }
    value = negative ? -value : value;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace pelmio
