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
    const Rect rows[][2] = {
        {{100, 100, 400, 300}, {100, 100, 400, 300}},
        {{400, 300, 100, 100}, {100, 100, 400, 300}},
        {{400, 100, 100, 300}, {100, 100, 400, 300}},
        {{-5, 7, -20, 7}, {-20, 7, -5, 7}},
        {{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN}, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}},
    };
    for (const auto& row : rows) {
        Rect r = row[0];
        NormalizeRect(r);
        EXPECT_EQ(r, row[1]) << row[0].left << "," << row[0].top << "," << row[0].right << "," << row[0].bottom;
    }
}

// Each strip must be a plain positive extent, and the strips together must invert row top and
// row bottom - 1, column left and column right - 1 of the rectangle, corners twice.
TEST(Selection, FrameInvertsTheBorderRowsAndColumnsWithCornersTwice)
{
    const Rect rects[] = {{100, 100, 400, 300}, {0, 0, 1, 1}, {5, 5, 7, 7}, {-10, -4, -9, 6}, {2, 9, 12, 10}};
    for (const Rect& r : rects) {
        auto frame = LayOutSelectionFrame(r);
        ASSERT_TRUE(frame);
        std::map<std::pair<int32_t, int32_t>, int> counts;
        for (const FrameStrip& s : frame->strips) {
            ASSERT_GT(s.width, 0);
            ASSERT_GT(s.height, 0);
            for (int32_t y = s.y; y < s.y + s.height; ++y) {
                for (int32_t x = s.x; x < s.x + s.width; ++x) {
                    ++counts[{x, y}];
                }
            }
        }
        std::map<std::pair<int32_t, int32_t>, int> expected;
        for (int32_t y = r.top; y < r.bottom; ++y) {
            for (int32_t x = r.left; x < r.right; ++x) {
                if (int n = (y == r.top) + (y == r.bottom - 1) + (x == r.left) + (x == r.right - 1)) {
                    expected[{x, y}] = n;
                }
            }
        }
        EXPECT_EQ(counts, expected) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST(Selection, EmptyOrUnmeasurableRectanglesDrawNothing)
{
    const Rect rects[] = {{100, 100, 100, 100}, {100, 100, 400, 100}, {400, 300, 100, 100}, {INT32_MIN, 0, 5, 10}};
    for (const Rect& r : rects) {
        EXPECT_FALSE(LayOutSelectionFrame(r)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
    EXPECT_EQ(LayOutSelectionFrame(Rect{100, 100, 400, 300})->label, L"300x200");
    EXPECT_EQ(LayOutSelectionFrame(Rect{-70000, -10, 1, -9})->label, L"70001x1");
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
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CentreLabel(row.rect, row.label), row.origin) << row.rect.left << "," << row.rect.top;
    }
}

}  // namespace
}  // namespace kavlor
