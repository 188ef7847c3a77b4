#include "settings/options_file.h"

#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/bytes.h"

namespace pelmio {
namespace {

constexpr std::string_view kHeadwordFirstKey = "headword-first";
constexpr std::string_view kIgnoreCaseKey = "ignore-case";
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

bool IsOn(const Line& line) {
    return std::string_view(line.text).substr(line.key.size() + 1) == "1";
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
    bool damaged = false;
    std::string bytes;
    for (const Line& line : ReadLines(path, damaged)) {
        if (line.key != kHeadwordFirstKey && line.key != kIgnoreCaseKey) {
            bytes += line.text;
            bytes += '\n';
        }
    }
    const auto add = [&bytes](std::string_view key, bool on) {
        bytes += key;
        bytes += on ? "=1\n" : "=0\n";
    };
    add(kHeadwordFirstKey, options.headwordFirst);
    add(kIgnoreCaseKey, options.ignoreCase);
    return ReplaceFileAtomically(path, bytes, writer);
}

}  // namespace pelmio
