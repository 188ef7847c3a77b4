#pragma once

#include <cstddef>

#include "base/cp932.h"

namespace pelmio::detail {

// Whether pos begins a character. known is a position at or before pos
// known to begin one, with no line end between them that matters: the
// look back stops at it or at a line end, whichever comes first.
//
// A byte below 0x80 always ends a character (it is a character of its own
// or the second byte of two), so a hit after one begins a character. Only
// after a run of lead bytes must we look back: the run pairs up from its
// start, so pos begins a character when the run is even, or when the byte
// at pos could not be a second byte anyway. known then moves past pos, so
// the look backs of one line cost linear time however many hits it has.
inline bool BeginsChar(const char* text, std::size_t pos, std::size_t& known) {
    if (pos == known || static_cast<unsigned char>(text[pos - 1]) < 0x80) {
        return true;
    }
    std::size_t run = pos;
    while (run > known && cp932::IsLeadByte(static_cast<unsigned char>(text[run - 1]))) {
        --run;
    }
    const bool begins =
        (pos - run) % 2 == 0 || !cp932::IsTrailByte(static_cast<unsigned char>(text[pos]));
    known = begins ? pos : pos + 1;
    return begins;
}

}  // namespace pelmio::detail
