#include "search/match_spans.h"

#include "base/cp932.h"

namespace pelmio {

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

std::vector<ByteSpan> MatchSpans(std::string_view line, const std::vector<std::string>& tokens,
                                 bool ignoreCase) {
    std::vector<ByteSpan> spans;
    std::size_t from = 0;
    std::size_t charStart = 0;
    for (const std::string& token : tokens) {
        if (token.empty()) {
            continue;
        }
        bool found = false;
        for (std::size_t pos = from; pos + token.size() <= line.size(); ++pos) {
            while (charStart < pos) {
                charStart += cp932::CharLength(line, charStart);
            }
            if (charStart == pos && TokenAt(line, pos, token, ignoreCase)) {
                spans.push_back({pos, token.size()});
                from = pos + token.size();
                found = true;
                break;
            }
        }
        if (!found) {
            return {};
        }
    }
    return spans;
}

}  // namespace pelmio
