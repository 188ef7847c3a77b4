#include "settings/options_file.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "base/bytes.h"

namespace pelmio {
namespace {

constexpr std::string_view kHeadwordFirstKey = "headword-first";
constexpr std::string_view kIgnoreCaseKey = "ignore-case";
constexpr std::string_view kSkipPronunciationKey = "skip-pronunciation";
constexpr std::string_view kClipboardLookupKey = "clipboard-lookup";
constexpr std::string_view kMainSizeKey = "main-size";
constexpr std::string_view kDetailSizeKey = "detail-size";
constexpr std::string_view kDetailPositionKey = "detail-position";
constexpr std::string_view kOwnKeys[] = {kHeadwordFirstKey,   kIgnoreCaseKey, kSkipPronunciationKey,
                                         kClipboardLookupKey, kMainSizeKey,   kDetailSizeKey,
                                         kDetailPositionKey};
// Larger than any screen; a larger value is not one this program wrote.
constexpr int kMaxPixels = 1'000'000;

// The file's lines as read, each without its LF; the last is what follows
// the last LF (empty when the file ends with one). Nothing when the file
// is missing, cannot be read or is over kMaxOptionsFileBytes.
struct OptionLines {
    bool tooLarge = false;
    std::vector<std::string_view> lines;
    std::string bytes;
};

OptionLines ReadLines(const std::filesystem::path& path) {
    OptionLines file;
    ReadResult read = ReadFilePrefix(path, kMaxOptionsFileBytes + 1);
    if (read.status != FileStatus::Ok) {
        return file;
    }
    if (read.bytes.size() > kMaxOptionsFileBytes) {
        file.tooLarge = true;
        return file;
    }
    file.bytes = std::move(read.bytes);
    file.lines = SplitAtByte(file.bytes, '\n');
    return file;
}

// The key of a line of ours, "key=value" with an optional CR after it;
// empty for any other line.
std::string_view OwnKey(std::string_view line) {
    for (const std::string_view key : kOwnKeys) {
        if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 &&
            line[key.size()] == '=') {
            return key;
        }
    }
    return {};
}

std::string_view ValueOf(std::string_view line, std::string_view key) {
    std::string_view value = line.substr(key.size() + 1);
    if (!value.empty() && value.back() == '\r') {
        value.remove_suffix(1);
    }
    return value;
}

// Calls read(key, value) for each line of ours, in the file's order, so
// the last line of a key counts.
template <class Read>
void ReadOwnLines(const std::filesystem::path& path, const Read& read) {
    const OptionLines file = ReadLines(path);
    // Lines of other keys, notes and anything else are not ours to read.
    for (const std::string_view line : file.lines) {
        const std::string_view key = OwnKey(line);
        if (!key.empty()) {
            read(key, ValueOf(line, key));
        }
    }
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

std::optional<WindowGeometry::Size> ParseSize(std::string_view value) {
    const auto pair = ParsePair(value, 'x', false);
    if (!pair) {
        return std::nullopt;
    }
    return WindowGeometry::Size{pair->first, pair->second};
}

// A key of ours and its new value; an empty value drops the key's lines.
using KeyValue = std::pair<std::string_view, std::string>;

// Rewrites the lines of the keys given with their new values, adds those
// missing at the end, and keeps every other line byte for byte.
WriteResult ReplaceKeys(const std::filesystem::path& path, const std::vector<KeyValue>& values,
                        FileWriter& writer) {
    const OptionLines file = ReadLines(path);
    if (file.tooLarge) {
        // Rewriting it would lose what is past the bound: leave it whole.
        return {FileStatus::CannotOpen, path.string() + " is larger than an options file may be"};
    }
    std::vector<bool> written(values.size(), false);
    std::string bytes;
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        const std::string_view line = file.lines[i];
        const bool last = i + 1 == file.lines.size();
        if (last && line.empty()) {
            break;  // the file ended with a line end
        }
        const std::string_view key = OwnKey(line);
        const auto value = std::find_if(values.begin(), values.end(),
                                        [key](const KeyValue& each) { return each.first == key; });
        if (key.empty() || value == values.end()) {
            // Every line not understood, or not this writer's, stays as it
            // was, byte for byte.
            bytes += line;
        } else if (value->second.empty()) {
            continue;
        } else {
            bytes += key;
            bytes += '=';
            bytes += value->second;
            if (line.back() == '\r') {
                bytes += '\r';
            }
            written[static_cast<std::size_t>(value - values.begin())] = true;
        }
        bytes += '\n';
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!written[i] && !values[i].second.empty()) {
            bytes += values[i].first;
            bytes += '=';
            bytes += values[i].second;
            bytes += '\n';
        }
    }
    return ReplaceFileAtomically(path, bytes, writer);
}

}  // namespace

LookupOptions ReadLookupOptions(const std::filesystem::path& path) {
    LookupOptions options;
    ReadOwnLines(path, [&options](std::string_view key, std::string_view value) {
        if (key == kHeadwordFirstKey) {
            options.headwordFirst = value == "1";
        } else if (key == kIgnoreCaseKey) {
            options.ignoreCase = value == "1";
        } else if (key == kSkipPronunciationKey) {
            options.skipPronunciation = value == "1";
        } else if (key == kClipboardLookupKey) {
            options.lookUpClipboard = value == "1";
        }
    });
    return options;
}

WriteResult WriteLookupOptions(const std::filesystem::path& path, const LookupOptions& options,
                               FileWriter& writer) {
    return ReplaceKeys(path,
                       {{kHeadwordFirstKey, options.headwordFirst ? "1" : "0"},
                        {kIgnoreCaseKey, options.ignoreCase ? "1" : "0"},
                        {kSkipPronunciationKey, options.skipPronunciation ? "1" : "0"},
                        {kClipboardLookupKey, options.lookUpClipboard ? "1" : "0"}},
                       writer);
}

WindowGeometry ReadWindowGeometry(const std::filesystem::path& path) {
    WindowGeometry geometry;
    ReadOwnLines(path, [&geometry](std::string_view key, std::string_view value) {
        if (key == kMainSizeKey) {
            geometry.mainSize = ParseSize(value);
        } else if (key == kDetailSizeKey) {
            geometry.detailSize = ParseSize(value);
        } else if (key == kDetailPositionKey) {
            if (const auto pair = ParsePair(value, ',', true)) {
                geometry.detailPosition = WindowGeometry::Point{pair->first, pair->second};
            } else {
                geometry.detailPosition.reset();
            }
        }
    });
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
