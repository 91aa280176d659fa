// Routing of menu items, shortcut keys and tool bar buttons to their commands.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/Texts.h"
#include "app/resource.h"
#include "info/AboutWindow_win.h"
#include "info/HelpWindow_win.h"
#include "tests/app/DocumentTestSupport_win.h"
#include "tests/win/TestSupport_win.h"

namespace kavlor::test {
namespace {

SIZE SizeOf(const RECT& r)
{
    return SIZE{r.right - r.left, r.bottom - r.top};
}

bool operator==(SIZE a, SIZE b)
{
    return a.cx == b.cx && a.cy == b.cy;
}

bool ShownWindowOfThisProcess(const wchar_t* className)
{
    HWND hwnd = nullptr;
    while ((hwnd = FindWindowExW(nullptr, hwnd, className, nullptr))) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid == GetCurrentProcessId() && IsWindowVisible(hwnd)) {
            return true;
        }
    }
    return false;
}

class Routing : public MainWindowTest {
protected:
    const PicturePtr& Picture() { return window().Picture1().GetPicture(); }
    SIZE PictureSize() { return Picture() ? Picture()->SizePixels() : SIZE{0, 0}; }
    SIZE OuterSize()
    {
        RECT r{};
        GetWindowRect(window().Hwnd(), &r);
        return SizeOf(r);
    }
    SIZE ClientSize()
    {
        RECT r{};
        GetClientRect(window().Hwnd(), &r);
        return SizeOf(r);
    }
    // A real click on the tool bar button at `index`.
    void ClickButton(int index)
    {
        HWND toolbar = window().Toolbar1().Hwnd();
        RECT r{};
        SendMessageW(toolbar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
        MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&r), 2);
        MoveMouse((r.left + r.right) / 2, (r.top + r.bottom) / 2, MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP);
    }
    void Disarm()
    {
        window().State().SelectionArmed = false;
        SetAppMousePointer(AppMousePointer::Default);
        ReleaseCapture();
    }
    // The automatic capture: its message, then after the wait a new picture.
    void ExpectAutomaticCapture(const std::function<void()>& start)
    {
        MessageBoxAnswerer answer(texts::kAutoCaptureTitle);
        PicturePtr before = Picture();
        start();
        EXPECT_TRUE(PumpUntil([&] { return answer.answered() && Picture() != before; }));
    }

    TempDir m_dir;
};

TEST_F(Routing, F5ToF9RunTheFiveCapturesInMenuOrder)
{
    PressKey(VK_F5);
    EXPECT_TRUE(PumpUntil(
        [&] { return Picture() && window().State().CurrentImagePath == std::to_wstring(Picture()->Handle()); }));
    PressKey(VK_F6);
    EXPECT_TRUE(PumpUntil([&] { return PictureSize() == OuterSize(); }));
    PressKey(VK_F7);
    EXPECT_TRUE(PumpUntil([&] { return PictureSize() == ClientSize(); }));
    ExpectAutomaticCapture([] { PressKey(VK_F8); });
    PressKey(VK_F9);
    EXPECT_TRUE(PumpUntil([&] { return window().State().SelectionArmed; }));
    Disarm();
}

TEST_F(Routing, ToolBarButtonsRunTheStepsOfTheirKeysInTableOrder)
{
    SchemeHandler mail(L"mailto", RecorderExePath());
    RecorderLog log(m_dir.file(L"links.txt"));
    window().State().CurrentImagePath = L"C:\\kept.bmp";

    ClickButton(0);  // buzuoqp: the screen, and unlike its menu twin the path stays
    const SIZE screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    EXPECT_TRUE(PumpUntil([&] { return PictureSize() == screen; }));
    EXPECT_EQ(window().State().CurrentImagePath, L"C:\\kept.bmp");
    ClickButton(1);  // buzuoqkou
    EXPECT_TRUE(PumpUntil([&] { return PictureSize() == OuterSize(); }));
    ClickButton(2);  // buzuobufen
    EXPECT_TRUE(PumpUntil([&] { return PictureSize() == ClientSize(); }));
    ExpectAutomaticCapture([&] { ClickButton(3); });  // zidongbzuo
    ClickButton(4);                                   // zxingbuzuo
    EXPECT_TRUE(PumpUntil([&] { return window().State().SelectionArmed; }));
    Disarm();
    {
        FileDialogDriver driver;
        ClickButton(6);  // savetx
        EXPECT_TRUE(PumpUntil([&] { return driver.seen(); }));
        EXPECT_EQ(driver.filterShown(), L"*.bmp");
    }
    ClickButton(5);  // clstx
    EXPECT_TRUE(PumpUntil([&] { return !Picture(); }));
    ClickButton(7);  // lianxiwm: the second address, unlike its menu twin
    ASSERT_TRUE(log.WaitForLines(1));
    EXPECT_TRUE(log.Lines()[0].ends_with(std::wstring(L"\"mailto:") + texts::kSecondContactAddress + L"\""))
        << log.Lines()[0];
    EXPECT_EQ(window().State().CurrentImagePath, L"C:\\kept.bmp");
}

TEST_F(Routing, KeysMatchingNoButtonExactlyDoNothing)
{
    Command(ID_buzuockou);
    const PicturePtr before = Picture();
    window().State().CurrentImagePath = L"C:\\kept.bmp";
    for (const wchar_t* key : {L"BUZUOQP", L"buzuoqp ", L"Clstx", L"", L"buzuoqping", L"qinchutx"}) {
        window().Toolbar1_ButtonClick(key);
        PumpPending();
        EXPECT_EQ(Picture(), before) << key;
        EXPECT_EQ(window().State().CurrentImagePath, L"C:\\kept.bmp") << key;
        EXPECT_FALSE(window().State().SelectionArmed) << key;
    }
}

// The document command tests reach open, save, clear, paint program, wallpaper and exit
// through their menu ids, and the shortcut test above the five captures; these are the rest.
TEST_F(Routing, EveryOtherMenuItemReachesItsHandler)
{
    SchemeHandler web(L"http", RecorderExePath());
    SchemeHandler secureWeb(L"https", RecorderExePath());
    SchemeHandler mail(L"mailto", RecorderExePath());
    RecorderLog log(m_dir.file(L"links.txt"));

    const struct {
        int id;
        SIZE size;
    } fixed[] = {{ID_buhuo, {640, 480}}, {ID_bu800, {800, 600}}, {ID_bu1024, {1024, 768}}};
    for (const auto& row : fixed) {
        Command(row.id);
        EXPECT_TRUE(PictureSize() == row.size) << row.id;
    }
    Command(ID_fangweng);
    ASSERT_TRUE(log.WaitForLines(1));
    Command(ID_lianxiwm);
    ASSERT_TRUE(log.WaitForLines(2));
    EXPECT_TRUE(log.Lines()[0].ends_with(std::wstring(L"\"") + texts::kWebAddress + L"\"")) << log.Lines()[0];
    EXPECT_TRUE(log.Lines()[1].ends_with(std::wstring(L"\"mailto:") + texts::kContactAddress + L"\""))
        << log.Lines()[1];
    Command(ID_guanyuwm);
    EXPECT_TRUE(PumpUntil([] { return ShownWindowOfThisProcess(AboutWindow::kClassName); }));
    Command(ID_bangzhu);
    EXPECT_TRUE(PumpUntil([] { return ShownWindowOfThisProcess(HelpWindow::kClassName); }));
}

}  // namespace
}  // namespace kavlor::test
