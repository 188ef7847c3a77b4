#include "tests/support/reference_matcher.h"

#include <algorithm>
#include <cstring>

#include "base/cp932.h"
#include "search/keyword_search.h"
#include "search/result_order.h"

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

std::vector<std::uint32_t> ArrangedBaseline(const EntryTable& table,
                                            const std::vector<std::uint32_t>& lines,
                                            std::string_view keyword, std::size_t cap,
                                            bool headwordFirst, bool ignoreCase) {
    std::vector<std::uint32_t> rows;
    for (int rank = headwordFirst ? 0 : 2; rank <= 2; ++rank) {
        std::vector<std::uint32_t> group;
        for (const std::uint32_t line : lines) {
            const int its =
                headwordFirst ? HeadwordRank(table.lineView(line), keyword, ignoreCase) : 2;
            if (its == rank && rows.size() + group.size() < cap) {
                group.push_back(line);
            }
        }
        std::sort(group.begin(), group.end(), [&table](std::uint32_t a, std::uint32_t b) {
            return RowLess(table.lineView(a), a, table.lineView(b), b);
        });
        rows.insert(rows.end(), group.begin(), group.end());
    }
    return rows;
}

}  // namespace pelmio::testing
