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

namespace {

char Folded(char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
}

// The token's bytes at pos, pos beginning a character; with ignoreCase a
// byte that begins a character is compared without case.
bool TokenHere(std::string_view line, std::size_t pos, std::string_view token, bool ignoreCase) {
    std::size_t charStart = pos;
    for (std::size_t k = 0; k < token.size(); ++k) {
        char a = line[pos + k];
        char b = token[k];
        if (pos + k == charStart) {
            charStart += cp932::CharLength(line, pos + k);
            if (ignoreCase) {
                a = Folded(a);
                b = Folded(b);
            }
        }
        if (a != b) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool MatchesInOrderBaseline(std::string_view line, const std::vector<std::string>& tokens,
                            bool ignoreCase) {
    std::size_t from = 0;
    for (const std::string& token : tokens) {
        bool found = false;
        std::size_t charStart = 0;
        for (std::size_t pos = from; pos + token.size() <= line.size(); ++pos) {
            while (charStart < pos) {
                charStart += cp932::CharLength(line, charStart);
            }
            if (charStart == pos && TokenHere(line, pos, token, ignoreCase)) {
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
