#include "tests/support/reference_matcher.h"

#include <cstring>

#include "base/cp932.h"

namespace pelmio::testing {

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

bool MatchesInOrderBaseline(std::string_view line, const std::vector<std::string>& tokens) {
    std::size_t from = 0;
    for (const std::string& token : tokens) {
        bool found = false;
        std::size_t charStart = 0;
        for (std::size_t pos = from; pos + token.size() <= line.size(); ++pos) {
            while (charStart < pos) {
                charStart += cp932::CharLength(line, charStart);
            }
            if (charStart == pos && line.compare(pos, token.size(), token) == 0) {
                from = pos + token.size();
                found = true;
                break;
            }
        }
        if (!found) {
            return false;
        }
    }
    return true;
}

}  // namespace pelmio::testing
