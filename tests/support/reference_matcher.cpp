#include "tests/support/reference_matcher.h"

#include <algorithm>
#include <cstring>
#include <tuple>

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

namespace {

// The order is written out here from its rule, not taken from search/, so
// that a fault in the program's order shows as a difference.

// Only this many first bytes of a line decide its place.
constexpr std::size_t kComparedBytes = 256;

// The line's first kComparedBytes bytes with every A-Z that begins a
// character written as a-z: the key that sorts upper and lower case
// together.
std::string CaselessKey(std::string_view line) {
    std::string key(line.substr(0, kComparedBytes));
    for (std::size_t pos = 0; pos < key.size(); pos += cp932::CharLength(key, pos)) {
        if (key[pos] >= 'A' && key[pos] <= 'Z') {
            key[pos] = static_cast<char>(key[pos] - 'A' + 'a');
        }
    }
    return key;
}

// The headword: the line up to its first comma, or all of it.
std::string_view Headword(std::string_view line) {
    return line.substr(0, line.find(','));
}

// 0 when the headword is the typed text (its spaces at both ends left out),
// 1 when it begins with it, 2 otherwise; an empty text ranks every line 2.
// Case is as the matching has it.
int RankOfHeadword(std::string_view line, std::string_view keyword, bool ignoreCase) {
    const std::size_t first = keyword.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return 2;
    }
    const std::string_view text = keyword.substr(first, keyword.find_last_not_of(' ') + 1 - first);
    const std::string_view headword = Headword(line);
    if (text.size() > headword.size() || !TokenHere(line, 0, text, ignoreCase)) {
        return 2;
    }
    return text.size() == headword.size() ? 0 : 1;
}

// Rows sorted by their caseless keys, then by their raw first bytes, then
// by table index. std::string compares its bytes as unsigned char.
void SortForDisplay(const EntryTable& table, std::vector<std::uint32_t>& rows) {
    struct Keyed {
        std::string caseless;
        std::string raw;
        std::uint32_t index;
    };
    std::vector<Keyed> keyed;
    for (const std::uint32_t row : rows) {
        const std::string_view line = table.lineView(row);
        keyed.push_back({CaselessKey(line), std::string(line.substr(0, kComparedBytes)), row});
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& x, const Keyed& y) {
        return std::tie(x.caseless, x.raw, x.index) < std::tie(y.caseless, y.raw, y.index);
    });
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i] = keyed[i].index;
    }
}

}  // namespace

std::vector<std::uint32_t> ArrangedBaseline(const EntryTable& table,
                                            const std::vector<std::uint32_t>& lines,
                                            std::string_view keyword, std::size_t cap,
                                            bool headwordFirst, bool ignoreCase) {
    std::vector<std::uint32_t> rows;
    for (int rank = headwordFirst ? 0 : 2; rank <= 2; ++rank) {
        std::vector<std::uint32_t> group;
        for (const std::uint32_t line : lines) {
            const int its =
                headwordFirst ? RankOfHeadword(table.lineView(line), keyword, ignoreCase) : 2;
            if (its == rank && rows.size() + group.size() < cap) {
                group.push_back(line);
            }
        }
        SortForDisplay(table, group);
        rows.insert(rows.end(), group.begin(), group.end());
    }
    return rows;
}

}  // namespace pelmio::testing
