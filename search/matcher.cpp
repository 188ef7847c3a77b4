#include "search/matcher.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <numeric>

#include "base/bytes.h"
#include "base/cp932.h"
#include "search/char_start.h"
#include "search/find_bytes.h"
#include "search/match_spans.h"
#include "search/token_scan.h"
#include "search/x86_vectors.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace pelmio {
namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

// Anchors longer than this are looked for with FindBytes, whose long-needle
// search stays linear; the block scan's verify step costs up to the
// token's length per candidate.
constexpr std::size_t kBlockScanToken = 64;

// Checking the candidate lines the letter index leaves beats a scan when
// they are at most 2 * lines / share: a candidate costs 7 to 15 ns, the
// anchor scan about 1 ns a line, the scan in order 5 to 12.
constexpr std::size_t kLineCheckShareAnchor = 24;
constexpr std::size_t kLineCheckShareInOrder = 3;

// How many tokens the scans match at once (CanScanTokensInOrder): a
// search for more is narrowed by that many first.
constexpr std::size_t kNarrowingTokens = 4;

using detail::BeginsChar;

// Whether the bytes at `at` between the token's first and last byte are
// the token's: the block scans compare the first and last bytes in their
// masks (CandidateMask), and this the rest. With FindBytes for the per-line
// searches, these are the places a byte comparison of the matcher lives,
// should it ever learn to ignore case.
inline bool InnerBytesMatch(const char* at, std::string_view token) {
    return token.size() <= 2 || std::memcmp(at + 1, token.data() + 1, token.size() - 2) == 0;
}

// Whether the ASCII bytes at `at` are token's, letters in either case.
// Where the first begins a character, each of them does, so folding them
// all is folding where a character begins.
inline bool AsciiFoldedEqual(const char* at, std::string_view token) {
    for (std::size_t k = 0; k < token.size(); ++k) {
        const auto byte = static_cast<unsigned char>(at[k]);
        const auto want = static_cast<unsigned char>(token[k]);
        if (byte != want &&
            !(byte == (want ^ 0x20u) && (want | 0x20u) >= 'a' && (want | 0x20u) <= 'z')) {
            return false;
        }
    }
    return true;
}

// The same when ASCII letters match either case: the whole token is
// compared again, folding only bytes that begin a character. text runs to
// the table's end, so a lead byte's second byte is always there to see.
// Kept to a bool, as it sits in the anchor scan's inner loop.
inline bool AnchorBytesMatch(std::string_view text, std::size_t pos, std::string_view token,
                             bool ignoreCase) {
    return ignoreCase ? TokenAt(text, pos, token, true) : InnerBytesMatch(text.data() + pos, token);
}

// Whether token is at pos in line, where case does not matter.
inline bool FoldedTokenAt(std::string_view line, std::size_t pos, std::string_view token,
                          TokenFold fold) {
    return fold == TokenFold::Ascii ? AsciiFoldedEqual(line.data() + pos, token)
                                    : TokenAt(line, pos, token, true);
}

// The first byte at or after from in line, up to last, that or-ed with
// fold is head; npos if none.
std::size_t FindFoldedByte(std::string_view line, std::size_t from, std::size_t last,
                           unsigned char head, unsigned char fold) {
#ifdef __SSE2__
    const __m128i heads = _mm_set1_epi8(static_cast<char>(head));
    const __m128i folds = _mm_set1_epi8(static_cast<char>(fold));
    // Loads stay inside the line: the last line of a table ends its text.
    for (; from + 16 <= line.size() && from <= last; from += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + from));
        const auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(bytes, folds), heads)));
        if (mask != 0) {
            const std::size_t pos = from + static_cast<std::size_t>(std::countr_zero(mask));
            return pos <= last ? pos : std::string_view::npos;
        }
    }
#endif
    for (; from <= last; ++from) {
        if ((static_cast<unsigned char>(line[from]) | fold) == head) {
            return from;
        }
    }
    return std::string_view::npos;
}

// First occurrence of token in line at or after from that begins a
// character; known as for BeginsChar, at or before from.
std::size_t FindAtCharStart(std::string_view line, std::size_t from, std::string_view token,
                            std::size_t& known, TokenFold fold) {
    if (token.size() > line.size()) {
        return std::string_view::npos;
    }
    if (fold != TokenFold::None) {
        // Only lines that are worth checking come here: a search for the
        // first byte in either case, then a closer look.
        const auto head = static_cast<unsigned char>(cp932::FoldAscii(token.front()));
        const unsigned char headFold = head >= 'a' && head <= 'z' ? 0x20 : 0;
        const std::size_t last = line.size() - token.size();
        for (; from <= last; ++from) {
            from = FindFoldedByte(line, from, last, head, headFold);
            if (from == std::string_view::npos) {
                break;
            }
            if (FoldedTokenAt(line, from, token, fold) && BeginsChar(line.data(), from, known)) {
                return from;
            }
        }
        return std::string_view::npos;
    }
    const char* const end = line.data() + line.size();
    while (from + token.size() <= line.size()) {
        const char* hit = FindBytes(line.data() + from, end, token);
        if (hit == nullptr) {
            return std::string_view::npos;
        }
        const auto pos = static_cast<std::size_t>(hit - line.data());
        if (BeginsChar(line.data(), pos, known)) {
            return pos;
        }
        from = pos + 1;
    }
    return std::string_view::npos;
}

// Calls visit(offset) for candidate offsets of token in text, in
// increasing order: every offset where the token occurs is among them.
// visit returns the offset to go on from (greater than the one it got), or
// kNone to stop.
template <class Visit>
void ForEachCandidatePortable(std::string_view text, std::string_view token, Visit& visit) {
    const char* const end = text.data() + text.size();
    std::size_t from = 0;
    while (from < text.size()) {
        const char* hit = FindBytes(text.data() + from, end, token);
        if (hit == nullptr) {
            return;
        }
        from = visit(static_cast<std::size_t>(hit - text.data()));
    }
}

#ifdef PELMIO_HAVE_X86_VECTORS
// The 32 bytes at p compared with value, after or-ing fold into them:
// 0x20 folds a letter to lower case and makes no other byte equal a
// lower-case letter; 0 leaves them as they are.
template <bool Fold>
__attribute__((target("avx2"))) inline __m256i Equal(const __m256i* p, __m256i fold,
                                                     __m256i value) {
    if constexpr (!Fold) {
        return _mm256_cmpeq_epi8(_mm256_loadu_si256(p), value);
    }
    return _mm256_cmpeq_epi8(_mm256_or_si256(_mm256_loadu_si256(p), fold), value);
}

// Bit i: the 64 bytes at block hold the token's first byte at i and its
// last byte at i + lastOffset (either case, where their fold is 0x20).
template <bool Fold>
__attribute__((target("avx2"))) inline std::uint64_t CandidateMask(const char* block,
                                                                   std::size_t lastOffset,
                                                                   const __m256i (&bytes)[4]) {
    const auto* a = reinterpret_cast<const __m256i*>(block);
    const auto* b = reinterpret_cast<const __m256i*>(block + lastOffset);
    const __m256i low =
        _mm256_and_si256(Equal<Fold>(a, bytes[1], bytes[0]), Equal<Fold>(b, bytes[3], bytes[2]));
    const __m256i high = _mm256_and_si256(Equal<Fold>(a + 1, bytes[1], bytes[0]),
                                          Equal<Fold>(b + 1, bytes[3], bytes[2]));
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(low)) |
           (static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(high)))
            << 32);
}

// The same as ForEachCandidatePortable in one pass over the text, 64 bytes
// a step, with no call per candidate. token is 1 to kBlockScanToken bytes.
template <bool Fold, class Visit>
__attribute__((target("avx2"))) void ForEachCandidateAvx2(std::string_view text,
                                                          std::string_view token, bool fold,
                                                          Visit& visit) {
    const std::size_t lastOffset = token.size() - 1;
    // The first and last byte, each with its fold: more candidates than
    // matches where a folded byte is a second byte, which the visit checks.
    char values[2] = {token.front(), token.back()};
    char folds[2] = {0, 0};
    for (int k = 0; k < 2; ++k) {
        const char lower = cp932::FoldAscii(values[k]);
        if (fold && lower >= 'a' && lower <= 'z') {
            values[k] = lower;
            folds[k] = 0x20;
        }
    }
    const __m256i bytes[4] = {_mm256_set1_epi8(values[0]), _mm256_set1_epi8(folds[0]),
                              _mm256_set1_epi8(values[1]), _mm256_set1_epi8(folds[1])};
    const std::size_t size = text.size();
    std::size_t base = 0;
    while (base < size) {
        std::uint64_t mask = 0;
        if (size - base >= 64 + lastOffset) {
            mask = CandidateMask<Fold>(text.data() + base, lastOffset, bytes);
        } else {
            // The last blocks, from a copy padded with NULs, which no token
            // holds, so the padding makes no candidates.
            alignas(32) char padded[64 + kBlockScanToken + 64] = {};
            const std::size_t have = size - base;
            std::memcpy(padded, text.data() + base, have);
            mask = CandidateMask<Fold>(padded, lastOffset, bytes);
            if (have < 64) {
                mask &= (std::uint64_t{1} << have) - 1;
            }
        }
        std::size_t nextBase = base + 64;
        while (mask != 0) {
            const std::size_t next = visit(base + static_cast<std::size_t>(__builtin_ctzll(mask)));
            if (next == kNone) {
                return;
            }
            if (next >= base + 64) {
                nextBase = next;
                break;
            }
            mask &= ~std::uint64_t{0} << (next - base);
        }
        base = nextBase;
    }
}

#endif

// Returns false, having visited nothing, when it cannot fold: without
// AVX2, or for a token longer than kBlockScanToken.
template <class Visit>
bool ForEachCandidate(std::string_view text, std::string_view token, bool fold, Visit& visit) {
#ifdef PELMIO_HAVE_X86_VECTORS
    if (token.size() <= kBlockScanToken && detail::HaveAvx2()) {
        if (fold) {
            ForEachCandidateAvx2<true>(text, token, fold, visit);
        } else {
            ForEachCandidateAvx2<false>(text, token, fold, visit);
        }
        return true;
    }
#endif
    if (fold) {
        return false;
    }
    ForEachCandidatePortable(text, token, visit);
    return true;
}

// The lines that hold every indexed ASCII byte that begins a character of
// a token (either case of a letter when case does not matter): a superset
// of the matching lines, as a bitmap over the table's lines. Empty when
// the index knows none of the tokens' bytes.
struct LetterCandidates {
    std::vector<std::uint64_t> lines;
    std::size_t count = 0;
};

LetterCandidates CandidatesFromLetters(const EntryTable& table,
                                       const std::vector<std::string>& tokens, bool ignoreCase) {
    LetterCandidates candidates;
    std::uint64_t done[2] = {0, 0};  // bytes already applied, as bits 0 .. 127
    const std::size_t words = (static_cast<std::size_t>(table.count()) + 63) / 64;
    for (const std::string& token : tokens) {
        for (std::size_t pos = 0; pos < token.size(); pos += cp932::CharLength(token, pos)) {
            const char byte = ignoreCase ? cp932::FoldAscii(token[pos]) : token[pos];
            const auto value = static_cast<unsigned char>(byte);
            if (value >= 0x80 || ((done[value / 64] >> (value % 64)) & 1) != 0) {
                continue;
            }
            done[value / 64] |= std::uint64_t{1} << (value % 64);
            const bool letter = ignoreCase && byte >= 'a' && byte <= 'z';
            const std::uint64_t* lines = table.linesWithChar(byte);
            const std::uint64_t* others =
                letter ? table.linesWithChar(static_cast<char>(byte - ('a' - 'A'))) : lines;
            if (lines == nullptr || others == nullptr) {
                continue;
            }
            if (candidates.lines.empty()) {
                candidates.lines.assign(words, ~std::uint64_t{0});
            }
            for (std::size_t word = 0; word < words; ++word) {
                candidates.lines[word] &= lines[word] | others[word];
            }
        }
    }
    for (const std::uint64_t word : candidates.lines) {
        candidates.count += static_cast<std::size_t>(std::popcount(word));
    }
    return candidates;
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
    : m_tokens(std::move(tokens)) {
    for (const std::string& token : m_tokens) {
        m_impossible = m_impossible || token.find('\0') != std::string::npos;
    }
    std::erase_if(m_tokens, [](const std::string& token) { return token.empty(); });
    for (const std::string& token : m_tokens) {
        m_minLength += token.size();
        // Folding matters only where a token holds a letter.
        const auto letter = [](char byte) { return (byte | 0x20) >= 'a' && (byte | 0x20) <= 'z'; };
        const auto ascii = [](char byte) { return static_cast<unsigned char>(byte) < 0x80; };
        const bool folds = ignoreCase && std::any_of(token.begin(), token.end(), letter);
        m_folds.push_back(!folds                                           ? TokenFold::None
                          : std::all_of(token.begin(), token.end(), ascii) ? TokenFold::Ascii
                                                                           : TokenFold::Chars);
        m_ignoreCase = m_ignoreCase || folds;
    }
}

bool KeywordMatcher::restMatches(std::string_view line, std::size_t from, std::size_t known) const {
    for (std::size_t k = 1; k < m_tokens.size(); ++k) {
        const std::size_t pos = FindAtCharStart(line, from, m_tokens[k], known, m_folds[k]);
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
    std::size_t known = 0;
    const std::size_t pos = FindAtCharStart(line, 0, m_tokens.front(), known, m_folds.front());
    return pos != std::string_view::npos && restMatches(line, pos + m_tokens.front().size(), pos);
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

void KeywordMatcher::findByLongestTokens(const EntryTable& table, std::int32_t rowLimit,
                                         std::vector<std::uint32_t>& out) const {
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
    KeywordMatcher(std::move(longest), m_ignoreCase).findMatches(table, 0, narrowed);
    findMatchesIn(table, narrowed, rowLimit, out);
}

void KeywordMatcher::findMatches(const EntryTable& table, std::int32_t rowLimit,
                                 std::vector<std::uint32_t>& out) const {
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
    // One printable character: the table knows its lines already (those
    // of both cases of a letter when case does not matter).
    if (m_tokens.size() == 1 && m_tokens.front().size() == 1) {
        const char byte = m_tokens.front().front();
        const char lower = cp932::FoldAscii(byte);
        const char upper =
            lower >= 'a' && lower <= 'z' ? static_cast<char>(lower - ('a' - 'A')) : lower;
        const std::uint64_t* lines = table.linesWithChar(m_ignoreCase ? lower : byte);
        const std::uint64_t* others = m_ignoreCase ? table.linesWithChar(upper) : lines;
        if (lines != nullptr && others != nullptr) {
            const std::size_t words = (lineCount + 63) / 64;
            for (std::size_t word = 0; word < words; ++word) {
                for (std::uint64_t bits = lines[word] | others[word]; bits != 0; bits &= bits - 1) {
                    out.push_back(static_cast<std::uint32_t>(
                        word * 64 + static_cast<std::size_t>(std::countr_zero(bits))));
                    if (out.size() >= cap) {
                        return;
                    }
                }
            }
            return;
        }
    }
    if (m_tokens.size() > kNarrowingTokens) {
        findByLongestTokens(table, rowLimit, out);
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
    const bool canScan = CanScanTokensInOrder(m_tokens);
    // Even the longest token is a letter or two, or Japanese, whose lead
    // bytes are everywhere: most lines would be checked one by one. Match
    // them all in one pass instead.
    const bool scanInOrder = canScan && (m_tokens[anchor].size() <= 2 ||
                                         static_cast<unsigned char>(m_tokens[anchor][0]) >= 0x80);
    // Unless few lines hold every letter of the tokens: look at those
    // alone. The scan in order is the slower one to beat.
    if (canScan) {
        const LetterCandidates candidates = CandidatesFromLetters(table, m_tokens, m_ignoreCase);
        const std::size_t share = scanInOrder ? kLineCheckShareInOrder : kLineCheckShareAnchor;
        if (!candidates.lines.empty() && candidates.count * share <= lineCount * 2) {
            CheckLinesInOrder(
                table, m_tokens, m_ignoreCase, candidates.lines.data(), cap,
                [this, &table](std::size_t line) { return matchesLine(table.lineView(line)); },
                out);
            return;
        }
    }
    if (scanInOrder) {
        ScanTokensInOrder(table.text(), m_tokens, m_ignoreCase, cap, out);
        return;
    }
    const std::string_view text = table.text();
    const std::string_view needle = m_tokens[anchor];
    const std::size_t lastLine = lineCount - 1;
    std::size_t line = 0;
    std::size_t lineEnd = table.lineEnd(0);
    std::size_t known = 0;
    auto visit = [&](std::size_t offset) -> std::size_t {
        if (!AnchorBytesMatch(text, offset, needle, m_ignoreCase)) {
            return offset + 1;
        }
        if (offset > lineEnd) {
            // Gallop from the line of the last hit: a near hit costs a
            // step or two, a far one a search of a short stretch.
            std::size_t below = line;  // its line ends before offset
            std::size_t step = 1;
            std::size_t above = line + 1;
            while (table.lineEnd(above) < offset) {
                below = above;
                step *= 2;
                above = std::min(line + step, lastLine);
            }
            while (above - below > 1) {
                const std::size_t middle = below + (above - below) / 2;
                (table.lineEnd(middle) < offset ? below : above) = middle;
            }
            line = above;
            lineEnd = table.lineEnd(line);
        }
        if (!BeginsChar(text.data(), offset, known)) {
            return offset + 1;
        }
        const std::size_t lineStart = table.lineStart(line);
        const std::string_view lineText(text.data() + lineStart, lineEnd - lineStart);
        if (lineText.size() >= m_minLength) {
            // With the first token as anchor its first hit is where the
            // match starts; any other anchor only says the line is worth
            // checking.
            const std::size_t pos = offset - lineStart;
            const bool matches = anchor == 0 ? restMatches(lineText, pos + needle.size(), pos)
                                             : matchesLine(lineText);
            if (matches) {
                out.push_back(static_cast<std::uint32_t>(line));
                if (out.size() >= cap) {
                    return kNone;
                }
            }
        }
        // The first hit that begins a character decides the line: for the
        // first token a later hit leaves less of the line for the others.
        return lineEnd + 1;
    };
    if (!ForEachCandidate(text, needle, m_ignoreCase, visit)) {
        // No vector scan to fold with: line by line.
        for (std::size_t i = 0; i < lineCount && out.size() < cap; ++i) {
            if (matchesLine(table.lineView(i))) {
                out.push_back(static_cast<std::uint32_t>(i));
            }
        }
    }
}

}  // namespace pelmio
