// Capture targets against the real screen.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/resource.h"
#include "capture/Capture_win.h"
#include "tests/win/TestSupport_win.h"

namespace kavlor::test {
namespace {

using CaptureCommands = MainWindowTest;

TEST_F(CaptureCommands, FullScreenEqualsTheScreenPixelForPixel)
{
    PatternWindow pattern(RECT{0, 0, 300, 200});
    ASSERT_TRUE(pattern.WaitShown());
    Command(ID_buzuoqping);
    const PicturePtr& picture = window().Picture1().GetPicture();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->SizePixels().cx, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(picture->SizePixels().cy, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(ReadBitmap(picture->Bitmap()), ReadScreen(ScreenRect()));
    EXPECT_EQ(window().State().CurrentImagePath, std::to_wstring(picture->Handle()));
}

}  // namespace
}  // namespace kavlor::test
