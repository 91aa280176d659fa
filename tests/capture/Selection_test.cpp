// The region selection's geometry: normalising, which pixels the frame inverts, the size label
// and where it is centred.
#include "capture/Selection.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <utility>

namespace kavlor {
namespace {

TEST(Selection, NormalizeRectOrdersTheCorners)
{
    struct Row {
        Rect in;
        Rect out;
    };
    const Row rows[] = {
        {{100, 100, 400, 300}, {100, 100, 400, 300}},
        {{400, 300, 100, 100}, {100, 100, 400, 300}},
        {{400, 100, 100, 300}, {100, 100, 400, 300}},
        {{100, 300, 400, 100}, {100, 100, 400, 300}},
        {{-5, 7, -20, 7}, {-20, 7, -5, 7}},
        {{3, 3, 3, 3}, {3, 3, 3, 3}},
        {{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN}, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}},
    };
    for (const Row& row : rows) {
        Rect r = row.in;
        NormalizeRect(r);
        EXPECT_EQ(r, row.out) << row.in.left << "," << row.in.top << "," << row.in.right << "," << row.in.bottom;
    }

    int32_t same = 42;
    SwapLong(same, same);
    EXPECT_EQ(same, 42);
}

// How often the strips invert each pixel.
std::map<std::pair<int32_t, int32_t>, int> InversionCounts(const SelectionFrameLayout& frame)
{
    std::map<std::pair<int32_t, int32_t>, int> counts;
    for (const FrameStrip& s : frame.strips) {
        EXPECT_GT(s.width, 0);
        EXPECT_GT(s.height, 0);
        for (int32_t y = s.y; y < s.y + s.height; ++y) {
            for (int32_t x = s.x; x < s.x + s.width; ++x) {
                ++counts[{x, y}];
            }
        }
    }
    return counts;
}

TEST(Selection, FrameInvertsTheBorderRowsAndColumnsWithCornersTwice)
{
    const Rect rects[] = {
        {100, 100, 400, 300}, {0, 0, 1, 1}, {5, 5, 7, 7}, {-10, -4, -9, 6}, {2, 9, 12, 10}, {0, 0, 3, 4},
    };
    for (const Rect& r : rects) {
        auto frame = LayOutSelectionFrame(r);
        ASSERT_TRUE(frame);
        auto counts = InversionCounts(*frame);
        int expectedPixels = 0;
        for (int32_t y = r.top - 1; y <= r.bottom; ++y) {
            for (int32_t x = r.left - 1; x <= r.right; ++x) {
                bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                int expected = inside ? (y == r.top) + (y == r.bottom - 1) + (x == r.left) + (x == r.right - 1) : 0;
                auto found = counts.find({x, y});
                EXPECT_EQ(found == counts.end() ? 0 : found->second, expected)
                    << "pixel " << x << "," << y << " of " << r.left << "," << r.top << "," << r.right << ","
                    << r.bottom;
                expectedPixels += expected > 0;
            }
        }
        EXPECT_EQ(static_cast<int>(counts.size()), expectedPixels);
    }
}

TEST(Selection, EmptyOrUnmeasurableRectanglesDrawNothing)
{
    const Rect rects[] = {
        {100, 100, 100, 100}, {100, 100, 400, 100},          {100, 100, 100, 300},
        {400, 300, 100, 100}, {INT32_MIN, 0, INT32_MAX, 10},
    };
    for (const Rect& r : rects) {
        EXPECT_FALSE(LayOutSelectionFrame(r)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST(Selection, LabelIsWidthXHeight)
{
    EXPECT_EQ(LayOutSelectionFrame(Rect{100, 100, 400, 300})->label, L"300x200");
    EXPECT_EQ(LayOutSelectionFrame(Rect{-20, -10, -19, -9})->label, L"1x1");
    EXPECT_EQ(LayOutSelectionFrame(Rect{-70000, 0, 1, 3})->label, L"70001x3");
}

TEST(Selection, LabelIsCentredWithHalfPixelsToEven)
{
    struct Row {
        Rect rect;
        Size label;
        LabelOrigin origin;
    };
    const Row rows[] = {
        {{100, 100, 400, 300}, {60, 16}, {220, 192}},
        {{0, 0, 10, 10}, {5, 5}, {2, 2}},        // 2.5 -> 2
        {{1, 1, 10, 10}, {4, 4}, {4, 4}},        // 3.5 -> 4
        {{-10, -10, -1, -1}, {4, 6}, {-8, -8}},  // -7.5 -> -8, -8.5 -> -8
        // Smaller than the label: the label spreads beyond the frame on both sides.
        {{100, 100, 104, 103}, {42, 16}, {81, 94}},  // 93.5 -> 94
        {{500, 500, 501, 501}, {35, 13}, {483, 494}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CentreLabel(row.rect, row.label), row.origin) << row.rect.left << "," << row.rect.top;
    }
}

}  // namespace
}  // namespace kavlor
