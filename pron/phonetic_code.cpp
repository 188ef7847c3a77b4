#include "pron/phonetic_code.h"

namespace pelmio {

int GlyphCell(unsigned char byte) {
    const std::size_t cell = PhoneticCodeTable.find(static_cast<char>(byte));
    // A NUL is never a code: find would not match it anyway, but say so.
    return byte == 0 || cell == std::string_view::npos ? kGlyphCount : static_cast<int>(cell);
}

std::vector<GlyphCopy> PlanPronunciation(std::string_view code, int x, int y, int rightEdge) {
    std::vector<GlyphCopy> glyphs;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const int targetX = x + kGlyphWidth * static_cast<int>(i);
        if (targetX >= rightEdge) {
            break;
        }
        const int cell = GlyphCell(static_cast<unsigned char>(code[i]));
        glyphs.push_back({cell * kGlyphWidth, targetX, y, cell == kGlyphCount});
    }
    return glyphs;
}

}  // namespace pelmio
