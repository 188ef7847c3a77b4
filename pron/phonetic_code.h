#pragma once

#include <string_view>
#include <vector>

#include "pron/phonetic_code_table.h"

// The one-byte phonetic code of a dictionary line's pronunciation field and
// where each code's glyph sits in the glyph strip.
namespace pelmio {

// PhoneticCodeTable (generated): the glyph of PhoneticCodeTable[j] is
// cell j of the strip.

inline constexpr int kGlyphWidth = 7;
inline constexpr int kGlyphHeight = 15;
inline constexpr int kGlyphCount = 50;
static_assert(PhoneticCodeTable.size() == kGlyphCount);

// The strip's cell for a code byte, or kGlyphCount for a byte with none.
int GlyphCell(unsigned char byte);

// One glyph to copy: the 7 x 15 block at (sourceX, 0) of the strip to
// (targetX, targetY); a byte with no cell is a blank cell instead.
struct GlyphCopy {
    int sourceX;
    int targetX;
    int targetY;
    bool blank;
};

// The glyphs of a code string drawn from (x, y): every byte advances the
// pen by one cell, found or not, and the two bytes of a double-byte
// character are two cells. Stops once the pen passes rightEdge.
std::vector<GlyphCopy> PlanPronunciation(std::string_view code, int x, int y, int rightEdge);

}  // namespace pelmio
