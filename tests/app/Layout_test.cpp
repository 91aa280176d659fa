// The main window's resize rule.
#include "app/Layout.h"

#include <gtest/gtest.h>

namespace kavlor {
namespace {

TEST(ResizeRule, DecidesByMinimisedStateThenWidthThenHeight)
{
    struct Row {
        bool minimized;
        double width;
        double height;
        ResizeAction action;
    };
    const Row rows[] = {
        {true, 100, 100, ResizeAction::None},  // minimised: nothing, however small
        {false, 1679, 5000, ResizeAction::SnapWidth},  {false, 1679.99, 5000, ResizeAction::SnapWidth},
        {false, 1680, 5000, ResizeAction::LayOut},  // exactly the minimum passes
        {false, 5000, 1679, ResizeAction::SnapHeight}, {false, 5000, 1680, ResizeAction::LayOut},
        {false, 100, 100, ResizeAction::SnapWidth},    // both too small: the width first
        {false, 1680, 100, ResizeAction::SnapHeight},  // ...and the height in the nested pass
        {false, 8460, 6270, ResizeAction::LayOut},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(DecideResize(row.minimized, row.width, row.height), row.action)
            << row.minimized << " " << row.width << "x" << row.height;
    }
}

TEST(ResizeRule, PictureBoxRunsUnderTheToolbarForTheWholeClientHeight)
{
    PictureBoxPlacement p = PlacePictureBox(564, 418, 56);
    EXPECT_EQ(p.left, 0);
    EXPECT_EQ(p.top, 56);
    EXPECT_EQ(p.width, 564);
    EXPECT_EQ(p.height, 418);
}

TEST(ToolBarPictures, SizeIsTheDisplaysScaleRoundedUpToADrawnSize)
{
    const int rows[][2] = {{72, 32}, {96, 32}, {97, 48}, {120, 48}, {144, 48}, {145, 64}, {192, 64}, {288, 64}};
    for (const auto& row : rows) {
        EXPECT_EQ(ToolPictureSize(row[0]), row[1]) << row[0];
    }
}

TEST(ToolBarPictures, ButtonsOf825By780TwipsGrowByWhatThePictureExceedsTheDisplaysScale)
{
    // dpi, width, height: twips scaled, plus 48 - 40 at 120 and 48 - 32 at 97.
    const int rows[][3] = {{96, 55, 52}, {97, 72, 69}, {120, 77, 73}, {144, 82, 78}, {192, 110, 104}};
    for (const auto& row : rows) {
        ToolButtonSize size = SizeToolButton(row[0], 825, 780);
        EXPECT_EQ(size.width, row[1]) << row[0];
        EXPECT_EQ(size.height, row[2]) << row[0];
    }
}

}  // namespace
}  // namespace kavlor
