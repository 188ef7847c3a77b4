#pragma once

#include <vector>

// Where a second window opens the first time: plain arithmetic on screen
// rectangles in pixels, so it is tested without a window system.
namespace pelmio {

struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int right() const { return x + width; }  // one past the last column
    int bottom() const { return y + height; }
    bool operator==(const ScreenRect&) const = default;
};

struct ScreenPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// The gap left between the two windows.
inline constexpr int kWindowGap = 8;

// The top-left corner for a window of width x height (frame included) that
// opens beside owner (its frame): to the right of it, or to its left when
// there is no room on the right, top edges level, inside available (the
// screen less its panels). It covers the owner only when the screen has
// no room on either side, and then as little as it can.
// Whether a window of this frame, restored from an earlier run, still fits
// the screens: wholly inside one of them (their rectangles less panels).
bool FitsOnScreens(const ScreenRect& frame, const std::vector<ScreenRect>& screens);

ScreenPoint PlaceBeside(const ScreenRect& owner, int width, int height,
                        const ScreenRect& available);

}  // namespace pelmio
