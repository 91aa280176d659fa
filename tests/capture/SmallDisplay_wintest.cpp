// Captures on a small 256-colour palette display.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/resource.h"
#include "capture/Capture_win.h"
#include "tests/win/TestSupport_win.h"

namespace kavlor::test {
namespace {

using SmallPaletteDisplay = MainWindowTest;

TEST_F(SmallPaletteDisplay, GrabCarriesACopyOfThe256EntrySystemPalette)
{
    HDC screen = GetDC(nullptr);
    ASSERT_TRUE(GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) << "needs an 8-bit display";
    ASSERT_EQ(GetDeviceCaps(screen, SIZEPALETTE), 256);
    PALETTEENTRY system[256]{};
    GetSystemPaletteEntries(screen, 0, 256, system);
    ReleaseDC(nullptr, screen);

    PicturePtr picture = CaptureScreen().picture;
    ASSERT_TRUE(picture);
    ASSERT_TRUE(picture->Palette());
    PALETTEENTRY copied[256]{};
    ASSERT_EQ(GetPaletteEntries(picture->Palette(), 0, 256, copied), 256u);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(copied[i].peRed, system[i].peRed) << i;
        EXPECT_EQ(copied[i].peGreen, system[i].peGreen) << i;
        EXPECT_EQ(copied[i].peBlue, system[i].peBlue) << i;
    }
}

TEST_F(SmallPaletteDisplay, LargestFixedSizeIsTakenWholeFromASmallerScreen)
{
    ASSERT_LT(GetSystemMetrics(SM_CXSCREEN), 1024);
    ASSERT_LT(GetSystemMetrics(SM_CYSCREEN), 768);
    Command(ID_bu1024);
    const PicturePtr& picture = window().Picture1().GetPicture();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->SizePixels().cx, 1024);
    EXPECT_EQ(picture->SizePixels().cy, 768);
    Pixels shown = ReadBitmap(picture->Bitmap());
    EXPECT_EQ(shown, ReadClipboardBitmap());
}

}  // namespace
}  // namespace kavlor::test
