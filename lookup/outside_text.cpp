#include "lookup/outside_text.h"

#include <array>

namespace pelmio {
namespace {

constexpr bool IsAsciiSpace(char byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r' || byte == '\v' ||
           byte == '\f';
}

constexpr bool IsLetter(char byte) {
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
}

// Spaces other programs put around a selection: ASCII ones, the no-break
// space and the ideographic space of Japanese text.
constexpr std::array<std::string_view, 2> kWideSpaces = {"\xC2\xA0", "\xE3\x80\x80"};

std::size_t SpaceLengthAt(std::string_view text, std::size_t pos) {
    if (IsAsciiSpace(text[pos])) {
        return 1;
    }
    for (const std::string_view space : kWideSpaces) {
        if (text.substr(pos, space.size()) == space) {
            return space.size();
        }
    }
    return 0;
}

std::size_t SpaceLengthBefore(std::string_view text, std::size_t end) {
    if (IsAsciiSpace(text[end - 1])) {
        return 1;
    }
    for (const std::string_view space : kWideSpaces) {
        if (end >= space.size() && text.substr(end - space.size(), space.size()) == space) {
            return space.size();
        }
    }
    return 0;
}

std::string_view Trim(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t length = SpaceLengthAt(text, begin);
        if (length == 0) {
            break;
        }
        begin += length;
    }
    std::size_t end = text.size();
    while (end > begin) {
        const std::size_t length = SpaceLengthBefore(text, end);
        if (length == 0) {
            break;
        }
        end -= length;
    }
    return text.substr(begin, end - begin);
}

}  // namespace

std::string SelectionLookupText(std::string_view selection) {
    std::string_view text = Trim(selection);
    text = text.substr(0, text.find_first_of("\r\n"));
    return std::string(Trim(text));
}

std::optional<std::string> ClipboardLookupText(std::string_view copied) {
    const std::string_view text = Trim(copied);
    if (text.empty() || text.size() > kMaxClipboardLookupBytes) {
        return std::nullopt;
    }
    std::string words;
    int count = 0;
    bool inWord = false;
    bool wordHasLetter = false;
    for (const char byte : text) {
        if (byte == ' ' || byte == '\t') {
            if (inWord && !wordHasLetter) {
                return std::nullopt;
            }
            inWord = false;
            continue;
        }
        if (!IsLetter(byte) && byte != '-' && byte != '\'') {
            return std::nullopt;  // line ends, digits, punctuation, non-ASCII
        }
        if (!inWord) {
            if (++count > kMaxClipboardLookupWords) {
                return std::nullopt;
            }
            if (!words.empty()) {
                words += ' ';
            }
            inWord = true;
            wordHasLetter = false;
        }
        wordHasLetter = wordHasLetter || IsLetter(byte);
        words += byte;
    }
    if (!wordHasLetter) {
        return std::nullopt;
    }
    return words;
}

}  // namespace pelmio
