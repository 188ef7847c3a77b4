#include "search/matcher.h"

#include <cstring>
#include <limits>

#include "base/bytes.h"
#include "base/cp932.h"
#include "search/find_bytes.h"
#include "search/match_spans.h"

namespace pelmio {
namespace {

// Walks the characters of one line forwards; positions asked about must not
// decrease, so a line costs linear time however many candidates it has.
class CharStarts {
public:
    CharStarts(std::string_view line, std::size_t knownStart) : m_line(line), m_next(knownStart) {}

    bool isCharStart(std::size_t pos) {
        while (m_next < pos) {
            m_next += cp932::CharLength(m_line, m_next);
        }
        return m_next == pos;
    }
    std::size_t knownStart() const { return m_next; }

private:
    std::string_view m_line;
    std::size_t m_next;
};

// First occurrence of token in line at or after from that starts a character.
std::size_t FindAtCharStart(std::string_view line, std::size_t from, std::string_view token,
                            CharStarts& starts) {
    const char* const end = line.data() + line.size();
    while (from <= line.size()) {
        const char* hit = FindBytes(line.data() + from, end, token);
        if (hit == nullptr) {
            return std::string_view::npos;
        }
        const auto pos = static_cast<std::size_t>(hit - line.data());
        if (starts.isCharStart(pos)) {
            return pos;
        }
        from = pos + 1;
    }
    return std::string_view::npos;
}

}  // namespace

std::vector<std::string> KeywordTokens(std::string_view keywordText) {
    keywordText = keywordText.substr(0, keywordText.find('\0'));
    std::vector<std::string> tokens;
    for (const std::string_view piece : SplitAtByte(keywordText, ' ')) {
        if (!piece.empty()) {
            tokens.emplace_back(piece);
        }
    }
    return tokens;
}

std::size_t RowCap(std::int32_t rowLimit) {
    if (rowLimit == 0) {
        return std::numeric_limits<std::size_t>::max();
    }
    return rowLimit < 0 ? 1 : static_cast<std::size_t>(rowLimit);
}

KeywordMatcher::KeywordMatcher(std::vector<std::string> tokens, bool ignoreCase)
    : m_tokens(std::move(tokens)), m_ignoreCase(ignoreCase) {
    for (const std::string& token : m_tokens) {
        m_impossible = m_impossible || token.find('\0') != std::string::npos;
    }
    std::erase_if(m_tokens, [](const std::string& token) { return token.empty(); });
    for (const std::string& token : m_tokens) {
        m_minLength += token.size();
    }
}

bool KeywordMatcher::restMatches(std::string_view line, std::size_t from,
                                 std::size_t boundary) const {
    CharStarts starts(line, boundary);
    for (std::size_t k = 1; k < m_tokens.size(); ++k) {
        const std::size_t pos = FindAtCharStart(line, from, m_tokens[k], starts);
        if (pos == std::string_view::npos) {
            return false;
        }
        from = pos + m_tokens[k].size();
    }
    return true;
}

bool KeywordMatcher::matchesLine(std::string_view line) const {
    if (m_impossible || line.size() < m_minLength) {
        return false;
    }
    if (m_tokens.empty()) {
        return true;
    }
    if (m_ignoreCase) {
        return !MatchSpans(line, m_tokens, true).empty();
    }
    CharStarts starts(line, 0);
    const std::size_t pos = FindAtCharStart(line, 0, m_tokens.front(), starts);
    return pos != std::string_view::npos &&
           restMatches(line, pos + m_tokens.front().size(), starts.knownStart());
}

void KeywordMatcher::findMatches(const EntryTable& table, std::int32_t rowLimit,
                                 std::vector<std::uint32_t>& out) const {
    const std::size_t cap = RowCap(rowLimit);
    const auto lineCount = static_cast<std::size_t>(table.count());
    if (m_impossible || out.size() >= cap || lineCount == 0) {
        return;
    }
    if (m_tokens.empty() || m_ignoreCase) {
        for (std::size_t i = 0; i < lineCount && out.size() < cap; ++i) {
            if (m_tokens.empty() || matchesLine(table.lineView(i))) {
                out.push_back(static_cast<std::uint32_t>(i));
            }
        }
        return;
    }
    // Look for one token in the whole table at once, then check the line
    // each hit falls in. The longest token is likely the rarest.
    std::size_t anchor = 0;
    for (std::size_t k = 1; k < m_tokens.size(); ++k) {
        if (m_tokens[k].size() > m_tokens[anchor].size()) {
            anchor = k;
        }
    }
    const std::string_view text = table.text();
    const std::string_view needle = m_tokens[anchor];
    const char* const end = text.data() + text.size();
    std::size_t from = 0;
    std::size_t lineIndex = 0;
    CharStarts starts(table.lineView(0), 0);
    while (from < text.size()) {
        const char* hit = FindBytes(text.data() + from, end, needle);
        if (hit == nullptr) {
            return;
        }
        const auto offset = static_cast<std::size_t>(hit - text.data());
        if (offset > table.lineEnd(lineIndex)) {
            lineIndex = table.lineAt(offset);
            starts = CharStarts(table.lineView(lineIndex), 0);
        }
        const std::string_view line = table.lineView(lineIndex);
        const std::size_t pos = offset - table.lineStart(lineIndex);
        if (line.size() < m_minLength) {
            from = table.lineEnd(lineIndex) + 1;
            continue;
        }
        if (!starts.isCharStart(pos)) {
            from = offset + 1;
            continue;
        }
        // With the first token as anchor its first hit is where the match
        // starts; any other anchor only says the line is worth checking.
        const bool matches = anchor == 0
                                 ? restMatches(line, pos + needle.size(), starts.knownStart())
                                 : matchesLine(line);
        if (matches) {
            out.push_back(static_cast<std::uint32_t>(lineIndex));
            if (out.size() >= cap) {
                return;
            }
        }
        // The first hit that starts a character decides the line: for the
        // first token a later hit leaves less of the line for the others.
        from = table.lineEnd(lineIndex) + 1;
    }
}

}  // namespace pelmio
