#include <gtest/gtest.h>

#include "desktop/window_placement.h"

namespace pelmio {
namespace {

constexpr ScreenRect kScreen{0, 0, 1920, 1040};  // a panel below
constexpr int kWidth = 380;
constexpr int kHeight = 320;

bool Overlaps(const ScreenRect& a, const ScreenRect& b) {
    return a.x < b.right() && b.x < a.right() && a.y < b.bottom() && b.y < a.bottom();
}

ScreenRect Placed(const ScreenRect& owner, const ScreenRect& available) {
    const ScreenPoint at = PlaceBeside(owner, kWidth, kHeight, available);
    return {at.x, at.y, kWidth, kHeight};
}

bool Inside(const ScreenRect& inner, const ScreenRect& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.right() <= outer.right() &&
           inner.bottom() <= outer.bottom();
}

TEST(PlaceBeside, GoesRightWhenThereIsRoomElseLeft) {
    const ScreenRect centred{770, 200, 380, 500};
    EXPECT_EQ(PlaceBeside(centred, kWidth, kHeight, kScreen),
              (ScreenPoint{centred.right() + kWindowGap, 200}));
    const ScreenRect atRightEdge{1500, 100, 380, 500};
    EXPECT_EQ(PlaceBeside(atRightEdge, kWidth, kHeight, kScreen),
              (ScreenPoint{1500 - kWindowGap - kWidth, 100}));
    // Exactly enough room on the right is room.
    const ScreenRect tight{1920 - kWidth - kWindowGap - 380, 0, 380, 500};
    EXPECT_EQ(PlaceBeside(tight, kWidth, kHeight, kScreen).x, 1920 - kWidth);
    for (const ScreenRect& owner : {centred, atRightEdge, tight}) {
        const ScreenRect placed = Placed(owner, kScreen);
        EXPECT_FALSE(Overlaps(placed, owner));
        EXPECT_TRUE(Inside(placed, kScreen));
    }
}

TEST(PlaceBeside, StaysInsideTheAvailableAreaOfAnyScreen) {
    // Near the bottom: moved up, still beside.
    const ScreenRect low{100, 900, 380, 500};
    EXPECT_EQ(PlaceBeside(low, kWidth, kHeight, kScreen), (ScreenPoint{488, 1040 - kHeight}));
    // A second screen to the right, with a panel on top.
    const ScreenRect second{1920, 30, 1280, 994};
    const ScreenRect owner{2700, 10, 380, 500};
    const ScreenRect placed = Placed(owner, second);
    EXPECT_TRUE(Inside(placed, second));
    EXPECT_FALSE(Overlaps(placed, owner));
    EXPECT_EQ(placed.x, 2700 - kWindowGap - kWidth);
}

TEST(PlaceBeside, OnAScreenTooNarrowForBothCoversAsLittleAsItCan) {
    const ScreenRect small{0, 0, 800, 600};
    const ScreenRect owner{300, 50, 380, 500};  // 300 px left, 120 px right
    const ScreenRect placed = Placed(owner, small);
    EXPECT_TRUE(Inside(placed, small));
    EXPECT_EQ(placed.x, 0);
    // A window larger than the screen keeps its top-left corner on it.
    EXPECT_EQ(PlaceBeside(owner, 1000, 900, small), (ScreenPoint{0, 0}));
}

TEST(FitsOnScreens, OnlyWhollyInsideOneScreen) {
    const std::vector<ScreenRect> screens{kScreen, {1920, 0, 1280, 1024}};
    EXPECT_TRUE(FitsOnScreens({100, 100, 400, 500}, screens));
    EXPECT_TRUE(FitsOnScreens({1920, 0, 1280, 1024}, screens));
    EXPECT_TRUE(FitsOnScreens({2000, 500, 400, 500}, screens));
    // Across the two screens, below the panel, off every screen, too large.
    EXPECT_FALSE(FitsOnScreens({1800, 100, 400, 500}, screens));
    EXPECT_FALSE(FitsOnScreens({100, 800, 400, 500}, screens));
    EXPECT_FALSE(FitsOnScreens({-500, 100, 400, 500}, screens));
    EXPECT_FALSE(FitsOnScreens({0, 0, 1921, 500}, screens));
    EXPECT_FALSE(FitsOnScreens({0, 0, 0, 0}, screens));
    EXPECT_FALSE(FitsOnScreens({0, 0, 400, 500}, {}));
}

}  // namespace
}  // namespace pelmio
