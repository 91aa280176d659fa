// The fit-to-page arithmetic and the printer entries of the default-printer window.
#include "print/FitToPage.h"

#include <gtest/gtest.h>

#include "print/PrinterEntry.h"

namespace kavlor {
namespace {

TEST(FitToPage, OrientationFollowsTheShape)
{
    EXPECT_EQ(OrientationFor(24000, 12000), PageOrientation::Landscape);
    EXPECT_EQ(OrientationFor(12000, 24000), PageOrientation::Portrait);
    EXPECT_EQ(OrientationFor(5000, 5000), PageOrientation::Portrait);
}

// At 254 dpi one device pixel is 10 HIMETRIC, which keeps the worked examples exact; the last
// rows are a printer twice as fine across as down, whose printed picture keeps its physical
// proportions (width / dpiX : height / dpiY = the picture's ratio).
TEST(FitToPage, FillsTheWidthOrTheHeightFromTheCorner)
{
    struct Row {
        int32_t width;
        int32_t height;
        PrintableArea area;
        PrintedSize expected;
    };
    const Row rows[] = {
        {24000, 12000, {2700, 1800, 254, 254}, {2700, 1350}},  // wide on landscape: strip below
        {12000, 24000, {1800, 2700, 254, 254}, {1350, 2700}},  // tall on portrait: strip right
        {10000, 10000, {1800, 2700, 254, 254}, {1800, 1800}},  // square on portrait fills the width
        {18000, 27000, {1800, 2700, 254, 254}, {1800, 2700}},  // equal ratios fill the whole area
        {10000, 10000, {4800, 3300, 600, 300}, {4800, 2400}},  // 8 x 11 in: 8 x 8 in printed
        {10000, 30000, {4800, 3300, 600, 300}, {2200, 3300}},  // 11 in high, 11/3 in wide
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.width << "x" << row.height << " on " << row.area.width << "x"
                                        << row.area.height);
        std::optional<PrintedSize> size = FitPictureToPage(row.width, row.height, row.area);
        ASSERT_TRUE(size);
        EXPECT_NEAR(size->width, row.expected.width, 0.01);
        EXPECT_NEAR(size->height, row.expected.height, 0.01);
    }
}

TEST(FitToPage, EmptyPictureOrAreaCannotBeFitted)
{
    const PrintableArea page{2479, 3508, 300, 300};
    EXPECT_FALSE(FitPictureToPage(1000, 0, page));
    EXPECT_FALSE(FitPictureToPage(0, 1000, page));
    EXPECT_FALSE(FitPictureToPage(1000, 1000, {2479, 0, 300, 300}));
    EXPECT_FALSE(FitPictureToPage(1000, 1000, {0, 3508, 300, 300}));
    EXPECT_FALSE(FitPictureToPage(1000, 1000, {2479, 3508, 0, 300}));
    EXPECT_FALSE(FitPictureToPage(1, 2'000'000'000, {2479, 3508, 300, 300}));  // too thin to draw
}

TEST(PrinterEntry, JoinsAndSplitsWithSingleCommas)
{
    EXPECT_EQ(PrinterEntry(L"Laser 1", L"winspool", L"LPT1:"), L"Laser 1,winspool,LPT1:");
    EXPECT_EQ(PrinterEntry(L"激光打印机", L"wineps.drv", L"CUPS:激光"), L"激光打印机,wineps.drv,CUPS:激光");
    EXPECT_EQ(SplitDeviceValue(L"winspool,Ne00:"), (DriverAndPort{L"winspool", L"Ne00:"}));
    EXPECT_EQ(SplitDeviceValue(L"winspool,IP_10,0,0,1"), (DriverAndPort{L"winspool", L"IP_10,0,0,1"}));
    EXPECT_EQ(SplitDeviceValue(L"winspool"), (DriverAndPort{L"winspool", L""}));
}

}  // namespace
}  // namespace kavlor
