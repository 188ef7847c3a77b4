#include "search/matcher.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <numeric>

#include "base/bytes.h"
#include "search/token_scan.h"

namespace pelmio {
namespace {

// Checking the candidate lines the letter index leaves beats a scan when
// they are at most 2 * lines / share: a candidate costs 7 to 15 ns, the
// scan for one rare token about 1 ns a line, the scan in order 5 to 12.
constexpr std::size_t kLineCheckShareAnchor = 24;
constexpr std::size_t kLineCheckShareInOrder = 3;

// How many tokens the scan matches at once (CanScanTokensInOrder): a
// search for more is narrowed by that many first.
constexpr std::size_t kNarrowingTokens = 4;

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
    : m_tokens(std::move(tokens)) {
    for (const std::string& token : m_tokens) {
        m_impossible = m_impossible || token.find('\0') != std::string::npos;
    }
    std::erase_if(m_tokens, [](const std::string& token) { return token.empty(); });
    for (const std::string& token : m_tokens) {
        m_minLength += token.size();
        m_folds.push_back(FoldOf(token, ignoreCase));
        m_ignoreCase = m_ignoreCase || m_folds.back() != TokenFold::None;
    }
}

bool KeywordMatcher::matchesLine(std::string_view line) const {
    return !m_impossible && line.size() >= m_minLength && MatchLine(line, m_tokens, m_folds);
}

void KeywordMatcher::findMatchesIn(const EntryTable& table,
                                   const std::vector<std::uint32_t>& candidates,
                                   std::int32_t rowLimit, std::vector<std::uint32_t>& out) const {
    const std::size_t cap = RowCap(rowLimit);
    for (const std::uint32_t index : candidates) {
        if (out.size() >= cap) {
            return;
        }
        if (matchesLine(table.lineView(index))) {
            out.push_back(index);
        }
    }
}

// Exact, needing no rule: a token of one byte below 0x80 matches where the
// line holds that byte where a character begins (in either case, where
// case does not matter), which is what the index records.
bool KeywordMatcher::findIndexed(const LetterIndex& letters, std::size_t lines, std::size_t cap,
                                 std::vector<std::uint32_t>& out) const {
    if (m_tokens.size() != 1 || m_tokens.front().size() != 1) {
        return false;
    }
    const char byte = m_tokens.front().front();
    const std::uint64_t* bits = letters.linesWith(byte);
    const std::uint64_t* others = m_ignoreCase ? letters.linesWith(OtherCase(byte)) : bits;
    if (bits == nullptr || others == nullptr) {
        return false;
    }
    for (std::size_t word = 0; word * 64 < lines; ++word) {
        for (std::uint64_t set = bits[word] | others[word]; set != 0; set &= set - 1) {
            out.push_back(static_cast<std::uint32_t>(
                word * 64 + static_cast<std::size_t>(std::countr_zero(set))));
            if (out.size() >= cap) {
                return true;
            }
        }
    }
    return true;
}

void KeywordMatcher::findByLongestTokens(const EntryTable& table, std::int32_t rowLimit,
                                         std::vector<std::uint32_t>& out,
                                         const LetterIndex* letters) const {
    std::vector<std::size_t> picked(m_tokens.size());
    std::iota(picked.begin(), picked.end(), std::size_t{0});
    std::stable_sort(picked.begin(), picked.end(), [this](std::size_t a, std::size_t b) {
        return m_tokens[a].size() > m_tokens[b].size();
    });
    picked.resize(kNarrowingTokens);
    std::sort(picked.begin(), picked.end());
    std::vector<std::string> longest;
    for (const std::size_t k : picked) {
        longest.push_back(m_tokens[k]);
    }
    std::vector<std::uint32_t> narrowed;
    KeywordMatcher(std::move(longest), m_ignoreCase).findMatches(table, 0, narrowed, letters);
    findMatchesIn(table, narrowed, rowLimit, out);
}

std::size_t KeywordMatcher::anchor() const {
    return static_cast<std::size_t>(
        std::max_element(
            m_tokens.begin(), m_tokens.end(),
            [](const std::string& a, const std::string& b) { return a.size() < b.size(); }) -
        m_tokens.begin());
}

bool KeywordMatcher::scansInOrder() const {
    const std::string& longest = m_tokens[anchor()];
    return longest.size() <= 2 || static_cast<unsigned char>(longest[0]) >= 0x80;
}

void KeywordMatcher::findByScan(const EntryTable& table, std::size_t cap,
                                std::vector<std::uint32_t>& out) const {
    if (scansInOrder() || m_tokens.size() == 1) {
        ScanTokensInOrder(table.text(), m_tokens, m_ignoreCase, cap, out);
        return;
    }
    // The scan for the longest token alone proposes lines; the rule
    // decides them.
    std::vector<std::uint32_t> proposed;
    ScanTokensInOrder(table.text(), {m_tokens[anchor()]}, m_ignoreCase,
                      std::numeric_limits<std::size_t>::max(), proposed);
    for (const std::uint32_t line : proposed) {
        if (matchesLine(table.lineView(line))) {
            out.push_back(line);
            if (out.size() >= cap) {
                return;
            }
        }
    }
}

bool KeywordMatcher::findFromLetters(const EntryTable& table, const LetterIndex& letters,
                                     std::size_t cap, std::vector<std::uint32_t>& out) const {
    const LetterCandidates candidates = CandidatesFromLetters(letters, m_tokens, m_ignoreCase);
    const std::size_t share = scansInOrder() ? kLineCheckShareInOrder : kLineCheckShareAnchor;
    if (candidates.lines.empty() ||
        candidates.count * share > static_cast<std::size_t>(table.count()) * 2) {
        return false;
    }
    CheckLinesInOrder(
        table, m_tokens, m_ignoreCase, candidates.lines.data(), cap,
        [this, &table](std::size_t line) { return matchesLine(table.lineView(line)); }, out);
    return true;
}

void KeywordMatcher::findMatches(const EntryTable& table, std::int32_t rowLimit,
                                 std::vector<std::uint32_t>& out,
                                 const LetterIndex* letters) const {
    const std::size_t cap = RowCap(rowLimit);
    const auto lineCount = static_cast<std::size_t>(table.count());
    if (m_impossible || out.size() >= cap || lineCount == 0) {
        return;
    }
    if (m_tokens.empty()) {
        for (std::size_t i = 0; i < lineCount && out.size() < cap; ++i) {
            out.push_back(static_cast<std::uint32_t>(i));
        }
        return;
    }
    const bool indexed = letters != nullptr && letters->covers(table);
    if (indexed && findIndexed(*letters, lineCount, cap, out)) {
        return;
    }
    if (m_tokens.size() > kNarrowingTokens) {
        findByLongestTokens(table, rowLimit, out, letters);
    } else if (!CanScanTokensInOrder(m_tokens)) {
        // No vector scan: the rule on every line.
        for (std::size_t i = 0; i < lineCount && out.size() < cap; ++i) {
            if (matchesLine(table.lineView(i))) {
                out.push_back(static_cast<std::uint32_t>(i));
            }
        }
    } else if (!indexed || !findFromLetters(table, *letters, cap, out)) {
        findByScan(table, cap, out);
    }
}

}  // namespace pelmio
