// Printing on a 256-colour display: a picture held with a palette prints in the colours it
// shows on the screen.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/resource.h"
#include "tests/print/PrintDriver_win.h"

namespace kavlor::test {
namespace {

using PalettePrintTest = MainWindowTest;

TEST_F(PalettePrintTest, PrintsTheColoursTheScreenShows)
{
    constexpr int kSide = 200;
    PicturePtr picture = MakeQuarterPicture(kSide, kSide, true);
    ASSERT_TRUE(picture && picture->Palette());
    window().Picture1().SetPicture(picture);
    PumpPending();
    RECT box{};
    GetWindowRect(window().Picture1().Hwnd(), &box);
    const POINT quarters[4] = {
        {kSide / 4, kSide / 4}, {3 * kSide / 4, kSide / 4}, {3 * kSide / 4, 3 * kSide / 4}, {kSide / 4, 3 * kSide / 4}};
    uint32_t shown[4] = {};
    for (int i = 0; i < 4; ++i) {
        shown[i] = ReadScreen({box.left + quarters[i].x, box.top + quarters[i].y, box.left + quarters[i].x + 1,
                               box.top + quarters[i].y + 1})
                       .at(0, 0);
    }

    PrintQueue queue(1);
    const int completed = queue.CompletedJobs();
    {
        PrintDialogAnswerer dialog(true);
        Command(ID_dayingtux);
    }
    ASSERT_TRUE(queue.WaitForCompletedJobs(completed + 1));
    std::optional<PrintedPage> page = ReadNewestPage(queue);
    ASSERT_TRUE(page);
    RECT ink = InkBounds(page->pixels);
    const LONG side = ink.right - ink.left;
    for (int i = 0; i < 4; ++i) {
        uint32_t printed =
            page->pixels.at(ink.left + quarters[i].x * side / kSide, ink.top + quarters[i].y * side / kSide);
        EXPECT_EQ(printed, shown[i]) << i;
    }
}

}  // namespace
}  // namespace kavlor::test
