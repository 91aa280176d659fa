// Size limit of pictures read from files, and the layout and headers of written BMP files.
#include "codec/ImageFile.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace kavlor {
namespace {

TEST(ImageFile, PictureSizeLimitIsPerSideAndInAll)
{
    const struct {
        uint64_t width;
        uint64_t height;
        bool allowed;
    } rows[] = {
        {1, 1, true},
        {32767, 3051, true},
        {32768, 1, false},
        {1, 32768, false},
        {10000, 10000, true},
        {10001, 10000, false},
        {0, 5, false},
        {5, 0, false},
        {4294967291u, 3, false},
        {UINT64_MAX, UINT64_MAX, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PictureSizeAllowed(row.width, row.height), row.allowed) << row.width << "x" << row.height;
    }
}

TEST(ImageFile, BmpRowsArePaddedToFourBytesAfterHeadersAndColourTable)
{
    const struct {
        int32_t width;
        int32_t height;
        uint16_t bits;
        BmpLayout layout;
    } rows[] = {
        {3, 2, 24, {12, 24, 0, 54, 78}}, {4, 2, 24, {12, 24, 0, 54, 78}},     {5, 3, 32, {20, 60, 0, 54, 114}},
        {3, 1, 16, {8, 8, 0, 54, 62}},   {5, 2, 8, {8, 16, 256, 1078, 1094}}, {9, 1, 4, {8, 8, 16, 118, 126}},
        {33, 2, 1, {8, 16, 2, 62, 78}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PlanBmp(row.width, row.height, row.bits), row.layout)
            << row.width << "x" << row.height << "@" << row.bits;
    }
}

TEST(ImageFile, NoLayoutForOtherDepthsEmptySizesOrFilesBeyondFourGigabytes)
{
    EXPECT_FALSE(PlanBmp(10, 10, 2));
    EXPECT_FALSE(PlanBmp(10, 10, 0));
    EXPECT_FALSE(PlanBmp(0, 10, 24));
    EXPECT_FALSE(PlanBmp(10, -10, 24));
    EXPECT_FALSE(PlanBmp(65536, 16384, 32));  // 4 GiB of pixels
    EXPECT_TRUE(PlanBmp(32767, 32767, 32));   // just under
}

TEST(ImageFile, HeadersHoldTheLayoutAndResolutionLittleEndian)
{
    BmpLayout layout = *PlanBmp(300, 2, 8);
    auto h = BmpHeaders(layout, 300, 2, 8, PixelsPerMetre(96));
    auto u32 = [&](size_t at) { return h[at] | h[at + 1] << 8 | h[at + 2] << 16 | uint32_t{h[at + 3]} << 24; };
    auto u16 = [&](size_t at) { return h[at] | h[at + 1] << 8; };
    EXPECT_EQ(h[0], 'B');
    EXPECT_EQ(h[1], 'M');
    EXPECT_EQ(u32(2), layout.fileBytes);
    EXPECT_EQ(u32(6), 0u);
    EXPECT_EQ(u32(10), 1078u);
    EXPECT_EQ(u32(14), 40u);
    EXPECT_EQ(u32(18), 300u);
    EXPECT_EQ(u32(22), 2u);
    EXPECT_EQ(u16(26), 1);
    EXPECT_EQ(u16(28), 8);
    EXPECT_EQ(u32(30), 0u);
    EXPECT_EQ(u32(34), 600u);
    EXPECT_EQ(u32(38), 3780u);
    EXPECT_EQ(u32(42), 3780u);
    EXPECT_EQ(u32(46), 256u);
    EXPECT_EQ(u32(50), 0u);
}

}  // namespace
}  // namespace kavlor
