#include "search/match_spans.h"

#include <algorithm>
#include <bit>

#include "search/find_bytes.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace pelmio {
namespace {

// The first byte at or after from in line, up to last, that or-ed with
// fold is head; npos if none.
std::size_t FindFoldedByte(std::string_view line, std::size_t from, std::size_t last,
                           unsigned char head, unsigned char fold) {
#ifdef __SSE2__
    const __m128i heads = _mm_set1_epi8(static_cast<char>(head));
    const __m128i folds = _mm_set1_epi8(static_cast<char>(fold));
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

// The first occurrence of a token whose case does not matter at or after
// from in line that begins a character: a search for its first byte in
// either case, then a closer look.
std::size_t FindFolded(std::string_view line, std::size_t from, std::string_view token,
                       std::size_t& known) {
    const auto head = static_cast<unsigned char>(cp932::FoldAscii(token.front()));
    const unsigned char headFold = IsAsciiLetter(token.front()) ? 0x20 : 0;
    const std::size_t last = line.size() - token.size();
    for (; from <= last; ++from) {
        from = FindFoldedByte(line, from, last, head, headFold);
        if (from == std::string_view::npos) {
            break;
        }
        if (TokenAt(line, from, token, true) && BeginsChar(line.data(), from, known)) {
            return from;
        }
    }
    return std::string_view::npos;
}

// The first occurrence of token in line at or after from that begins a
// character; known as for BeginsChar, at or before from.
std::size_t FindAtCharStart(std::string_view line, std::size_t from, std::string_view token,
                            std::size_t& known, TokenFold fold) {
    if (token.size() > line.size()) {
        return std::string_view::npos;
    }
    if (fold != TokenFold::None) {
        return FindFolded(line, from, token, known);
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

}  // namespace

bool TokenAt(std::string_view line, std::size_t pos, std::string_view token, bool ignoreCase) {
    if (pos > line.size() || token.size() > line.size() - pos) {
        return false;
    }
    std::size_t charStart = pos;
    for (std::size_t k = 0; k < token.size(); ++k) {
        auto a = static_cast<unsigned char>(line[pos + k]);
        auto b = static_cast<unsigned char>(token[k]);
        if (pos + k == charStart) {
            charStart += cp932::CharLength(line, pos + k);
            if (ignoreCase) {
                a = cp932::FoldAscii(a);
                b = cp932::FoldAscii(b);
            }
        }
        if (a != b) {
            return false;
        }
    }
    return true;
}

TokenFold FoldOf(std::string_view token, bool ignoreCase) {
    return ignoreCase && std::any_of(token.begin(), token.end(), IsAsciiLetter) ? TokenFold::Chars
                                                                                : TokenFold::None;
}

bool MatchLine(std::string_view line, const std::vector<std::string>& tokens,
               const std::vector<TokenFold>& folds, std::vector<ByteSpan>* spans) {
    std::size_t from = 0;
    std::size_t known = 0;
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        const std::size_t pos = FindAtCharStart(line, from, tokens[k], known, folds[k]);
        if (pos == std::string_view::npos) {
            return false;
        }
        if (spans != nullptr) {
            spans->push_back({pos, tokens[k].size()});
        }
        from = pos + tokens[k].size();
        known = std::max(known, pos);
    }
    return true;
}

std::vector<ByteSpan> MatchSpans(std::string_view line, const std::vector<std::string>& tokens,
                                 bool ignoreCase) {
    std::vector<std::string> kept;
    std::vector<TokenFold> folds;
    for (const std::string& token : tokens) {
        if (!token.empty()) {
            kept.push_back(token);
            folds.push_back(FoldOf(token, ignoreCase));
        }
    }
    std::vector<ByteSpan> spans;
    if (!MatchLine(line, kept, folds, &spans)) {
        spans.clear();
    }
    return spans;
}

}  // namespace pelmio
