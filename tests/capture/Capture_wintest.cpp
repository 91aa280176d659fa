// Capture targets and capture commands against the real screen and clipboard.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <utility>

#include "app/resource.h"
#include "capture/Capture_win.h"
#include "capture/Wait.h"
#include "convert/ConverterWindow_win.h"
#include "info/AboutWindow_win.h"
#include "info/HelpWindow_win.h"
#include "tests/win/TestSupport_win.h"

namespace kavlor::test {
namespace {

using CaptureCommands = MainWindowTest;

bool IsDecimal(const std::wstring& text)
{
    size_t start = (!text.empty() && text[0] == L'-') ? 1 : 0;
    if (text.size() <= start) {
        return false;
    }
    for (size_t i = start; i < text.size(); ++i) {
        if (!std::iswdigit(text[i])) {
            return false;
        }
    }
    return true;
}

void PutTextOnClipboard(const wchar_t* text)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(memory), text, bytes);
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

TEST_F(CaptureCommands, FullScreenFromTheMenuEqualsTheScreenAndRecordsTheHandle)
{
    PatternWindow pattern(RECT{0, 0, 300, 200});
    ASSERT_TRUE(pattern.WaitShown());
    window().State().CurrentImagePath = L"C:\\old.bmp";
    Command(ID_buzuoqping);
    const PicturePtr& picture = window().Picture1().GetPicture();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->SizePixels().cx, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(picture->SizePixels().cy, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(ReadBitmap(picture->Bitmap()), ReadScreen(ScreenRect()));
    // A true-colour display gives no palette.
    EXPECT_EQ(picture->Palette(), nullptr);
    EXPECT_EQ(window().State().CurrentImagePath, std::to_wstring(picture->Handle()));
    EXPECT_TRUE(IsDecimal(window().State().CurrentImagePath));
}

TEST_F(CaptureCommands, ToolBarTwinsReplaceThePictureAndReleaseTheOldOne)
{
    struct Row {
        int button;
        bool client;
    };
    window().State().CurrentImagePath = L"C:\\kept.bmp";
    Command(ID_buzuoqping);
    for (Row row : {Row{ID_TB_buzuoqp, false}, Row{ID_TB_buzuoqkou, false}, Row{ID_TB_buzuobufen, true}}) {
        HBITMAP old = window().Picture1().GetPicture()->Bitmap();
        std::wstring path = window().State().CurrentImagePath;
        Command(row.button);
        ASSERT_TRUE(window().Picture1().GetPicture());
        EXPECT_NE(window().Picture1().GetPicture()->Bitmap(), old);
        EXPECT_EQ(GetObjectType(old), 0u) << "the replaced picture's bitmap was not deleted";
        // Only the menu's full-screen capture records the handle.
        EXPECT_EQ(window().State().CurrentImagePath, path);
    }
}

TEST_F(CaptureCommands, F6GivesTheWindowWithItsFrameAndF7OnlyTheClientArea)
{
    HWND hwnd = window().Hwnd();
    RECT outer{};
    GetWindowRect(hwnd, &outer);
    RECT client{};
    GetClientRect(hwnd, &client);

    PressKey(VK_F6);
    ASSERT_TRUE(PumpUntil([&] { return window().Picture1().GetPicture() != nullptr; }));
    SIZE frame = window().Picture1().GetPicture()->SizePixels();
    EXPECT_EQ(frame.cx, outer.right - outer.left);
    EXPECT_EQ(frame.cy, outer.bottom - outer.top);

    HBITMAP first = window().Picture1().GetPicture()->Bitmap();
    PressKey(VK_F7);
    ASSERT_TRUE(PumpUntil([&] { return window().Picture1().GetPicture()->Bitmap() != first; }));
    SIZE inner = window().Picture1().GetPicture()->SizePixels();
    EXPECT_EQ(inner.cx, client.right);
    EXPECT_EQ(inner.cy, client.bottom);
}

TEST_F(CaptureCommands, ClientAreaCaptureHoldsTheWindowsOwnPixels)
{
    HWND hwnd = window().Hwnd();
    RECT client{};
    GetClientRect(hwnd, &client);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    RECT outer{};
    GetWindowRect(hwnd, &outer);
    // Both grabs run before anything repaints, so the screen still shows what was grabbed.
    Command(ID_buzuobfeng);
    EXPECT_EQ(ReadBitmap(window().Picture1().GetPicture()->Bitmap()), ReadScreen(client));
    Command(ID_buzuockou);
    EXPECT_EQ(ReadBitmap(window().Picture1().GetPicture()->Bitmap()), ReadScreen(outer));
}

// Where a second monitor lies left of the primary, at negative x (the two-monitor session).
class CaptureOnTwoMonitors : public CaptureCommands {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PumpUntil([] { return GetSystemMetrics(SM_CMONITORS) == 2; })) << "one monitor only";
        CaptureCommands::SetUp();
    }
};

// The main window starts on the primary monitor. Moved onto the second one, then across the
// boundary, its grabs hold its own pixels there.
TEST_F(CaptureOnTwoMonitors, WindowGrabsOnTheSecondMonitorAndAcrossHoldTheWindowsPixels)
{
    HWND hwnd = window().Hwnd();
    EXPECT_EQ(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONULL), MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTONULL));
    RECT outer{};
    GetWindowRect(hwnd, &outer);
    for (const int left : {-1000, -static_cast<int>(outer.right - outer.left) / 2}) {
        SetWindowPos(hwnd, nullptr, left, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        UpdateWindow(hwnd);
        ASSERT_TRUE(PumpUntil([&] { return GetWindowRect(hwnd, &outer) && outer.left == left; }));
        PumpPending();
        RECT client{};
        GetClientRect(hwnd, &client);
        MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
        Command(ID_buzuobfeng);
        EXPECT_EQ(ReadBitmap(window().Picture1().GetPicture()->Bitmap()), ReadScreen(client)) << left;
        Command(ID_buzuockou);
        EXPECT_EQ(ReadBitmap(window().Picture1().GetPicture()->Bitmap()), ReadScreen(outer)) << left;
    }
}

// F8 takes the window clicked during its pause on the second monitor, and across the boundary.
TEST_F(CaptureOnTwoMonitors, AutomaticCaptureTakesAWindowOnTheSecondMonitorAndAcross)
{
    for (const RECT& area : {RECT{-900, 60, -600, 260}, RECT{-150, 300, 150, 500}}) {
        PatternWindow pattern(area);
        ASSERT_TRUE(pattern.WaitShown());
        MessageBoxAnswerer user(L"Quenmar", [&] { SetForegroundWindow(pattern.hwnd()); });
        Command(ID_zdongbuzuo);
        ASSERT_TRUE(user.answered());
        const PicturePtr& picture = window().Picture1().GetPicture();
        ASSERT_TRUE(picture);
        EXPECT_EQ(ReadBitmap(picture->Bitmap()), ReadScreen(area)) << area.left;
    }
}

// The converter starts on the primary monitor; About and Help open over their owner on the
// second one.
TEST_F(CaptureOnTwoMonitors, TheConverterStartsOnThePrimaryAndAboutAndHelpOverTheirOwner)
{
    Command(ID_plzhuan);
    HWND converter = FindWindowW(ConverterWindow::kClassName, nullptr);
    ASSERT_TRUE(converter);
    EXPECT_EQ(MonitorFromWindow(converter, MONITOR_DEFAULTTONULL),
              MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTONULL));
    SendMessageW(converter, WM_CLOSE, 0, 0);
    HWND hwnd = window().Hwnd();
    SetWindowPos(hwnd, nullptr, -1000, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT owner{};
    GetWindowRect(hwnd, &owner);
    const POINT centre{(owner.left + owner.right) / 2, (owner.top + owner.bottom) / 2};
    for (const auto& [command, className] :
         {std::pair{ID_guanyuwm, AboutWindow::kClassName}, std::pair{ID_bangzhu, HelpWindow::kClassName}}) {
        Command(command);
        HWND shown = FindWindowW(className, nullptr);
        ASSERT_TRUE(shown) << command;
        RECT place{};
        GetWindowRect(shown, &place);
        EXPECT_TRUE(PtInRect(&place, centre)) << command;
        EXPECT_EQ(MonitorFromWindow(shown, MONITOR_DEFAULTTONULL), MonitorFromWindow(hwnd, MONITOR_DEFAULTTONULL))
            << command;
        SendMessageW(shown, WM_CLOSE, 0, 0);
    }
}

TEST_F(CaptureCommands, FixedSizesLeaveTheSamePictureOnTheClipboardAndInThePictureBox)
{
    PatternWindow pattern(RECT{0, 0, 1100, 800});
    ASSERT_TRUE(pattern.WaitShown());
    struct Row {
        int command;
        int width;
        int height;
    };
    for (Row row : {Row{ID_buhuo, 640, 480}, Row{ID_bu800, 800, 600}, Row{ID_bu1024, 1024, 768}}) {
        Command(row.command);
        const PicturePtr& picture = window().Picture1().GetPicture();
        ASSERT_TRUE(picture) << row.width;
        EXPECT_EQ(picture->SizePixels().cx, row.width);
        EXPECT_EQ(picture->SizePixels().cy, row.height);
        Pixels shown = ReadBitmap(picture->Bitmap());
        EXPECT_EQ(shown, ReadClipboardBitmap()) << row.width;
        EXPECT_EQ(shown, ReadScreen(RECT{0, 0, row.width, row.height})) << row.width;
        EXPECT_EQ(shown.at(17, 23), PatternColor(17, 23));
    }
}

// Another program keeps the clipboard open through a fixed-size capture: the command gives up
// after a short wait and says so; the picture box and the clipboard keep what they held.
TEST_F(CaptureCommands, ABusyClipboardLeavesThePictureAndTheClipboardAsTheyWere)
{
    Command(ID_buzuockou);
    const PicturePtr before = window().Picture1().GetPicture();
    ClipboardHolder holder;
    ASSERT_TRUE(holder.holding());
    {
        MessageBoxAnswerer box(L"Kavlor 提示");
        Command(ID_buhuo);
        EXPECT_TRUE(box.answered());
        EXPECT_EQ(box.text(),
                  L"无法把截取的图像放入剪贴板:剪贴板正被其他程序使用。图像框中的图像没有改变,请稍后再试。");
    }
    EXPECT_EQ(window().Picture1().GetPicture(), before);
    holder.Release();
    EXPECT_EQ(ClipboardText(), L"held by another program");
    Command(ID_buhuo);
    EXPECT_EQ(window().Picture1().GetPicture()->SizePixels().cx, 640);
}

// A capture with nothing to take keeps the picture and says why, and so does one whose bitmap
// cannot be made.
TEST_F(CaptureCommands, AFailedCaptureKeepsThePictureAndSaysWhy)
{
    Command(ID_buzuockou);
    const PicturePtr before = window().Picture1().GetPicture();
    ShowWindow(window().Hwnd(), SW_MINIMIZE);
    {
        MessageBoxAnswerer box(L"Kavlor 提示");
        Command(ID_buzuobfeng);
        EXPECT_EQ(box.text(), L"没有可以捕捉的内容:窗口不存在、已最小化或者大小为零。图像框中的图像没有改变。");
    }
    EXPECT_EQ(window().Picture1().GetPicture(), before);
    Captured huge = CaptureWindow(GetDesktopWindow(), false, 0, 0, 1 << 20, 1 << 20);
    EXPECT_FALSE(huge.picture);
    EXPECT_EQ(huge.failure, CaptureFailure::NoBitmap);
}

TEST_F(CaptureCommands, AutomaticCaptureWaitsWhileMessagesRunThenTakesTheForegroundWindow)
{
    PatternWindow pattern(RECT{40, 60, 340, 260});
    ASSERT_TRUE(pattern.WaitShown());
    // A message posted during the wait must be handled inside it.
    static long long handledAtMs = 0;
    handledAtMs = 0;
    HWND probe = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(probe, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                          if (m == WM_APP) {
                              handledAtMs = WallClockMs();
                              return 0;
                          }
                          return DefWindowProcW(h, m, w, l);
                      }));
    // Plays the user: answers the message box, then clicks the window to capture.
    MessageBoxAnswerer user(L"Quenmar", [&] {
        SetForegroundWindow(pattern.hwnd());
        PostMessageW(probe, WM_APP, 0, 0);
    });

    Command(ID_zdongbuzuo);
    long long returnedAtMs = WallClockMs();

    ASSERT_TRUE(user.answered());
    EXPECT_EQ(user.text(), L"两秒钟内请单击要捕捉的窗口.");
    EXPECT_NE(handledAtMs, 0) << "messages did not run during the wait";
    EXPECT_GE(returnedAtMs, AutoCaptureWaitEndMs(user.answeredAtMs()));
    const PicturePtr& picture = window().Picture1().GetPicture();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->SizePixels().cx, 300);
    EXPECT_EQ(picture->SizePixels().cy, 200);
    EXPECT_EQ(ReadBitmap(picture->Bitmap()), ReadScreen(pattern.area()));
    EXPECT_EQ(GetFocus(), window().Hwnd());
    DestroyWindow(probe);
}

TEST_F(CaptureCommands, AutomaticCaptureWithoutAClickTakesTheMainWindow)
{
    MessageBoxAnswerer user(L"Quenmar");
    Command(ID_zdongbuzuo);
    ASSERT_TRUE(user.answered());
    RECT outer{};
    GetWindowRect(window().Hwnd(), &outer);
    const PicturePtr& picture = window().Picture1().GetPicture();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->SizePixels().cx, outer.right - outer.left);
    EXPECT_EQ(picture->SizePixels().cy, outer.bottom - outer.top);
}

TEST_F(CaptureCommands, RectanglesWithoutPixelsOrABitmapCopyNothing)
{
    PutTextOnClipboard(L"kept");
    struct Row {
        Rect rect;
        ClipboardCopy result;
    };
    const Row rows[] = {
        {Rect{5, 5, 5, 100}, ClipboardCopy::Empty},
        {Rect{5, 5, 100, 5}, ClipboardCopy::Empty},
        {Rect{INT32_MIN, 0, INT32_MAX, 10}, ClipboardCopy::Overflow},
        {Rect{0, INT32_MAX, 10, -10}, ClipboardCopy::Overflow},
        {Rect{0, 0, 1 << 20, 1 << 20}, ClipboardCopy::NoBitmap},  // no bitmap can be that large
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CopyScreenRectToClipboard(row.rect), row.result);
        EXPECT_EQ(ClipboardText(), L"kept");
    }
}

TEST(CaptureWithoutActiveWindow, ClipboardCopyStopsBeforeOpeningTheClipboard)
{
    ASSERT_EQ(GetActiveWindow(), nullptr);
    PutTextOnClipboard(L"kept");
    EXPECT_EQ(CopyScreenRectToClipboard(Rect{0, 0, 64, 64}), ClipboardCopy::NoOwner);
    EXPECT_EQ(ClipboardText(), L"kept");
}

}  // namespace
}  // namespace kavlor::test
