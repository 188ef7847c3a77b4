#include "settings/options_file.h"

#include <charconv>
#include <map>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/bytes.h"

namespace pelmio {
namespace {

constexpr std::string_view kHeadwordFirstKey = "headword-first";
constexpr std::string_view kIgnoreCaseKey = "ignore-case";
constexpr std::string_view kMainSizeKey = "main-size";
constexpr std::string_view kDetailSizeKey = "detail-size";
constexpr std::string_view kDetailPositionKey = "detail-position";
// Larger than any screen; a larger value is not one this program wrote.
constexpr int kMaxPixels = 1'000'000;
// Far more than the options need; a larger file is not ours.
constexpr std::uintmax_t kMaxFileBytes = 64 * 1024;

struct Line {
    std::string key;
    std::string text;  // the whole line, as read
};

// The file's lines, or nothing when it is missing or not a file of options:
// too large, holding a NUL, or a line that is neither empty nor key=value.
std::vector<Line> ReadLines(const std::filesystem::path& path, bool& damaged) {
    damaged = false;
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kMaxFileBytes) {
        damaged = !error;
        return {};
    }
    const ReadResult file = ReadWholeFile(path);
    if (file.status != FileStatus::Ok || file.bytes.size() > kMaxFileBytes ||
        file.bytes.find('\0') != std::string::npos) {
        damaged = file.status == FileStatus::Ok;
        return {};
    }
    std::vector<Line> lines;
    for (std::string_view text : SplitAtByte(file.bytes, '\n')) {
        if (!text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
        }
        if (text.empty()) {
            continue;
        }
        const std::size_t equals = text.find('=');
        if (equals == 0 || equals == std::string_view::npos) {
            damaged = true;
            return {};
        }
        lines.push_back({std::string(text.substr(0, equals)), std::string(text)});
    }
    return lines;
}

std::string_view ValueOf(const Line& line) {
    return std::string_view(line.text).substr(line.key.size() + 1);
}

bool IsOn(const Line& line) {
    return ValueOf(line) == "1";
}

// "A<separator>B" of two whole numbers within kMaxPixels, negative ones
// only where allowed (a place on a screen left of or above the first).
std::optional<std::pair<int, int>> ParsePair(std::string_view text, char separator,
                                             bool allowNegative) {
    const std::size_t at = text.find(separator);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    const auto number = [allowNegative](std::string_view digits) -> std::optional<int> {
        int value = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
            value > kMaxPixels || value < (allowNegative ? -kMaxPixels : 1)) {
            return std::nullopt;
        }
        return value;
    };
    const std::optional<int> first = number(text.substr(0, at));
    const std::optional<int> second = number(text.substr(at + 1));
    if (!first || !second) {
        return std::nullopt;
    }
    return std::pair(*first, *second);
}

std::optional<WindowGeometry::Size> ParseSize(const Line& line) {
    const auto pair = ParsePair(ValueOf(line), 'x', false);
    if (!pair) {
        return std::nullopt;
    }
    return WindowGeometry::Size{pair->first, pair->second};
}

// Every line but those of the keys given, then the new lines.
WriteResult ReplaceKeys(const std::filesystem::path& path,
                        const std::vector<std::pair<std::string_view, std::string>>& values,
                        FileWriter& writer) {
    bool damaged = false;
    std::string bytes;
    for (const Line& line : ReadLines(path, damaged)) {
        bool replaced = false;
        for (const auto& value : values) {
            replaced = replaced || line.key == value.first;
        }
        if (!replaced) {
            bytes += line.text;
            bytes += '\n';
        }
    }
    for (const auto& [key, value] : values) {
        if (!value.empty()) {
            bytes += key;
            bytes += '=';
            bytes += value;
            bytes += '\n';
        }
    }
    return ReplaceFileAtomically(path, bytes, writer);
}

}  // namespace

LookupOptions ReadLookupOptions(const std::filesystem::path& path) {
    bool damaged = false;
    LookupOptions options;
    for (const Line& line : ReadLines(path, damaged)) {
        if (line.key == kHeadwordFirstKey) {
            options.headwordFirst = IsOn(line);
        } else if (line.key == kIgnoreCaseKey) {
            options.ignoreCase = IsOn(line);
        }
    }
    return options;
}

WriteResult WriteLookupOptions(const std::filesystem::path& path, const LookupOptions& options,
                               FileWriter& writer) {
    return ReplaceKeys(path,
                       {{kHeadwordFirstKey, options.headwordFirst ? "1" : "0"},
                        {kIgnoreCaseKey, options.ignoreCase ? "1" : "0"}},
                       writer);
}

WindowGeometry ReadWindowGeometry(const std::filesystem::path& path) {
    bool damaged = false;
    WindowGeometry geometry;
    for (const Line& line : ReadLines(path, damaged)) {
        if (line.key == kMainSizeKey) {
            geometry.mainSize = ParseSize(line);
        } else if (line.key == kDetailSizeKey) {
            geometry.detailSize = ParseSize(line);
        } else if (line.key == kDetailPositionKey) {
            if (const auto pair = ParsePair(ValueOf(line), ',', true)) {
                geometry.detailPosition = WindowGeometry::Point{pair->first, pair->second};
            } else {
                geometry.detailPosition.reset();
            }
        }
    }
    return geometry;
}

WriteResult WriteWindowGeometry(const std::filesystem::path& path, const WindowGeometry& geometry,
                                FileWriter& writer) {
    const auto size = [](const std::optional<WindowGeometry::Size>& value) {
        return value ? std::to_string(value->width) + "x" + std::to_string(value->height)
                     : std::string();
    };
    const std::string position = geometry.detailPosition
                                     ? std::to_string(geometry.detailPosition->x) + "," +
                                           std::to_string(geometry.detailPosition->y)
                                     : std::string();
    return ReplaceKeys(path,
                       {{kMainSizeKey, size(geometry.mainSize)},
                        {kDetailSizeKey, size(geometry.detailSize)},
                        {kDetailPositionKey, position}},
                       writer);
}

}  // namespace pelmio
