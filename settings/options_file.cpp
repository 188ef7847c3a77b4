#include "settings/options_file.h"

#include <string>
#include <string_view>
#include <vector>

#include "base/bytes.h"

namespace pelmio {
namespace {

constexpr std::string_view kHeadwordFirstKey = "headword-first";
constexpr std::string_view kIgnoreCaseKey = "ignore-case";

// The file's lines as read, each without its LF; the last is what follows
// the last LF (empty when the file ends with one). Nothing when the file
// is missing, cannot be read or is over kMaxOptionsFileBytes.
struct OptionLines {
    FileStatus status = FileStatus::Ok;
    bool tooLarge = false;
    std::vector<std::string_view> lines;
    std::string bytes;
};

OptionLines ReadLines(const std::filesystem::path& path) {
    OptionLines file;
    ReadResult read = ReadFilePrefix(path, kMaxOptionsFileBytes + 1);
    file.status = read.status;
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
    for (const std::string_view key : {kHeadwordFirstKey, kIgnoreCaseKey}) {
        if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 &&
            line[key.size()] == '=') {
            return key;
        }
    }
    return {};
}

bool IsOn(std::string_view line, std::string_view key) {
    std::string_view value = line.substr(key.size() + 1);
    if (!value.empty() && value.back() == '\r') {
        value.remove_suffix(1);
    }
    return value == "1";
}

}  // namespace

LookupOptions ReadLookupOptions(const std::filesystem::path& path) {
    const OptionLines file = ReadLines(path);
    LookupOptions options;
    // Lines of other keys, notes and anything else are not ours to read.
    for (const std::string_view line : file.lines) {
        const std::string_view key = OwnKey(line);
        if (key == kHeadwordFirstKey) {
            options.headwordFirst = IsOn(line, key);
        } else if (key == kIgnoreCaseKey) {
            options.ignoreCase = IsOn(line, key);
        }
    }
    return options;
}

WriteResult WriteLookupOptions(const std::filesystem::path& path, const LookupOptions& options,
                               FileWriter& writer) {
    const OptionLines file = ReadLines(path);
    if (file.tooLarge) {
        // Rewriting it would lose what is past the bound: leave it whole.
        return {FileStatus::CannotOpen, path.string() + " is larger than an options file may be"};
    }
    const auto ownLine = [&options](std::string_view key) {
        const bool on = key == kHeadwordFirstKey ? options.headwordFirst : options.ignoreCase;
        return std::string(key) + (on ? "=1" : "=0");
    };
    std::string bytes;
    bool headwordFirstWritten = false;
    bool ignoreCaseWritten = false;
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        const std::string_view line = file.lines[i];
        const bool last = i + 1 == file.lines.size();
        if (last && line.empty()) {
            break;  // the file ended with a line end
        }
        const std::string_view key = OwnKey(line);
        if (key.empty()) {
            // Every line not understood stays as it was, byte for byte.
            bytes += line;
        } else {
            bytes += ownLine(key);
            if (line.back() == '\r') {
                bytes += '\r';
            }
            (key == kHeadwordFirstKey ? headwordFirstWritten : ignoreCaseWritten) = true;
        }
        bytes += '\n';
    }
    if (!headwordFirstWritten) {
        bytes += ownLine(kHeadwordFirstKey) + "\n";
    }
    if (!ignoreCaseWritten) {
        bytes += ownLine(kIgnoreCaseKey) + "\n";
    }
    return ReplaceFileAtomically(path, bytes, writer);
}

}  // namespace pelmio
