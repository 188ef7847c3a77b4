#pragma once

#include <string>
#include <string_view>

#include "pron/phonetic_code.h"

// What the detail window needs to draw a line's pronunciation field: the
// glyph strip's cells and where each code byte's glyph goes
// (PlanPronunciation, kGlyphWidth, kGlyphHeight), and the part of the
// field it keeps.
namespace pelmio {

// The longest pronunciation code kept, in bytes.
inline constexpr std::size_t kMaxPronunciationBytes = 999;

// The field as the detail window keeps it: its first kMaxPronunciationBytes
// bytes at most, cut between characters.
std::string KeptPronunciation(std::string_view field);

}  // namespace pelmio
