// Extents of screen rectangles, including the ones whose subtraction would overflow.
#include "capture/ScreenRect.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace kavlor {
namespace {

TEST(ScreenRect, ExtentIsRightMinusLeftAndBottomMinusTop)
{
    EXPECT_EQ(Extent(Rect{0, 0, 640, 480}), (Size{640, 480}));
    EXPECT_EQ(Extent(Rect{100, 100, 400, 300}), (Size{300, 200}));
    EXPECT_EQ(Extent(Rect{-50, -20, 50, 20}), (Size{100, 40}));
    EXPECT_EQ(Extent(Rect{10, 10, 10, 10}), (Size{0, 0}));
    EXPECT_EQ(Extent(Rect{10, 10, 5, 0}), (Size{-5, -10}));
}

TEST(ScreenRect, OverflowingSubtractionGivesNothing)
{
    EXPECT_FALSE(Extent(Rect{INT32_MIN, 0, INT32_MAX, 10}));
    EXPECT_FALSE(Extent(Rect{0, INT32_MIN, 10, 1}));
    EXPECT_FALSE(Extent(Rect{1, 0, INT32_MIN, 0}));
    EXPECT_EQ(CheckedSub(INT32_MAX, 0), INT32_MAX);
    EXPECT_EQ(CheckedSub(-1, INT32_MAX), INT32_MIN);
    EXPECT_FALSE(CheckedSub(-2, INT32_MAX));
}

// The compositor's frame where it gave a plausible one, the window's rectangle elsewhere.
TEST(ScreenRect, WholeWindowCaptureTakesTheShownFrame)
{
    const Rect window{100, 50, 916, 689};
    const Rect frame{107, 50, 909, 682};
    EXPECT_EQ(VisibleWindowRect(window, frame), frame);
    for (std::optional<Rect> odd : {std::optional<Rect>{}, std::optional{Rect{107, 50, 107, 682}},
                                    std::optional{Rect{90, 50, 909, 682}}}) {  // none, no width, beyond
        EXPECT_EQ(VisibleWindowRect(window, odd), window);
    }
}

}  // namespace
}  // namespace kavlor
