#include "dict/bytes.h"

#include <cstring>

namespace pelmio {

const char* FindSubstring(const char* haystack, const char* needle) {
    const std::size_t haystackLength = std::strlen(haystack);
    const std::size_t needleLength = std::strlen(needle);
    if (needleLength > haystackLength) {
        return nullptr;
    }
    for (std::size_t start = 0; start + needleLength <= haystackLength; ++start) {
        if (std::memcmp(haystack + start, needle, needleLength) == 0) {
            return haystack + start;
        }
    }
    return nullptr;
}

bool StringsEqual(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

std::vector<std::string_view> SplitAtByte(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (;;) {
        const std::size_t found = text.find(separator, start);
        if (found == std::string_view::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, found - start));
        start = found + 1;
    }
}

}  // namespace pelmio
