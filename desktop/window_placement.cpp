#include "desktop/window_placement.h"

#include <algorithm>

namespace pelmio {

namespace {

// value moved into [low, high - size]; to low when it cannot fit at all.
int Clamp(int value, int size, int low, int high) {
    return std::max(low, std::min(value, high - size));
}

}  // namespace

bool FitsOnScreens(const ScreenRect& frame, const std::vector<ScreenRect>& screens) {
    return std::any_of(screens.begin(), screens.end(), [&frame](const ScreenRect& screen) {
        return frame.width > 0 && frame.height > 0 && frame.x >= screen.x && frame.y >= screen.y &&
               frame.right() <= screen.right() && frame.bottom() <= screen.bottom();
    });
}

ScreenPoint PlaceBeside(const ScreenRect& owner, int width, int height,
                        const ScreenRect& available) {
    const int rightX = owner.right() + kWindowGap;
    const int leftX = owner.x - kWindowGap - width;
    const int roomRight = available.right() - (rightX + width);
    const int roomLeft = leftX - available.x;
    int x;
    if (roomRight >= 0) {
        x = rightX;
    } else if (roomLeft >= 0) {
        x = leftX;
    } else {
        // No room on either side: the side with more room, pushed inside.
        x = roomRight >= roomLeft ? rightX : leftX;
    }
    return {Clamp(x, width, available.x, available.right()),
            Clamp(owner.y, height, available.y, available.bottom())};
}

}  // namespace pelmio
