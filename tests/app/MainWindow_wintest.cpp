// The main window at start-up and under the resize rule.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/resource.h"
#include "tests/win/TestSupport_win.h"

namespace kavlor::test {
namespace {

using MainWindowStartUp = MainWindowTest;

TEST_F(MainWindowStartUp, CaptionSizeAndPosition)
{
    wchar_t caption[64] = L"";
    GetWindowTextW(window().Hwnd(), caption, 64);
    EXPECT_STREQ(caption, L"Kavlor 简化版");

    RECT client{};
    GetClientRect(window().Hwnd(), &client);
    EXPECT_EQ(client.right, 564);
    EXPECT_EQ(client.bottom, 418);

    RECT outer{};
    GetWindowRect(window().Hwnd(), &outer);
    int width = outer.right - outer.left;
    int height = outer.bottom - outer.top;
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
}

}  // namespace
}  // namespace kavlor::test
