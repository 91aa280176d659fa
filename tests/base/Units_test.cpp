// Rounding and unit conversions.
#include "base/Units.h"

#include <gtest/gtest.h>

#include <limits>

namespace kavlor {
namespace {

TEST(Units, RoundHalfEvenTiesGoToTheEvenNeighbour)
{
    struct Row {
        double in;
        int32_t out;
    };
    const Row rows[] = {{0.5, 0},   {1.5, 2},    {2.5, 2},    {3.5, 4},      {-0.5, 0}, {-1.5, -2},
                        {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {-2.5001, -3}, {7.0, 7},  {2147483647.0, 2147483647}};
    for (const Row& row : rows) {
        EXPECT_EQ(RoundHalfEven(row.in), row.out) << row.in;
    }
}

TEST(Units, RoundHalfEvenRefusesValuesOutside32Bits)
{
    EXPECT_FALSE(RoundHalfEven(2147483647.5 + 1.0));
    EXPECT_FALSE(RoundHalfEven(-2147483649.0));
    EXPECT_FALSE(RoundHalfEven(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(RoundHalfEven(std::numeric_limits<double>::infinity()));
}

TEST(Units, TwipsPerPixelFollowsTheDisplayDpi)
{
    EXPECT_DOUBLE_EQ(TwipsPerPixel(96), 15.0);
    EXPECT_DOUBLE_EQ(TwipsPerPixel(120), 12.0);
    EXPECT_DOUBLE_EQ(TwipsPerPixel(144), 10.0);
    // The main window's design client size.
    EXPECT_EQ(PixelsFromTwips(8460, 96), 564);
    EXPECT_EQ(PixelsFromTwips(6270, 96), 418);
    EXPECT_EQ(PixelsFromTwips(1680, 96), 112);
    EXPECT_EQ(PixelsFromTwips(1680, 120), 140);
    // 22.5 pixels: a tie, to the even 22.
    EXPECT_EQ(PixelsFromTwips(337.5, 96), 22);
}

TEST(Units, ScreenSizeIsTheScreensPixelsAtEveryDpi)
{
    for (int dpi : {96, 110, 120, 144, 168, 192, 216}) {
        double perPixel = TwipsPerPixel(dpi);
        for (int32_t pixels : {1920, 1080, 1024, 1}) {
            EXPECT_EQ(ScreenPixelsFromTwips(pixels * perPixel, perPixel), pixels) << dpi;
        }
    }
    EXPECT_EQ(ScreenPixelsFromTwips(100, 0.0), 0);
}

TEST(Units, HimetricFromPixels)
{
    EXPECT_EQ(HimetricFromPixels(96, 96), 2540);
    EXPECT_EQ(HimetricFromPixels(1, 96), 26);  // 26.458...
    EXPECT_EQ(HimetricFromPixels(120, 120), 2540);
}

}  // namespace
}  // namespace kavlor
