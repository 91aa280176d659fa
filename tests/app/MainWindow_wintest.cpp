// The main window at start-up and under the resize rule.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Texts.h"
#include "app/resource.h"
#include "base/Handles.h"
#include "base/Units.h"
#include "tests/win/TestSupport_win.h"

namespace kavlor::test {
namespace {

using MainWindowStartUp = MainWindowTest;
using ResizeRule = MainWindowTest;

int DisplayDpi()
{
    WindowDC screen(nullptr);
    return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

// A design length in twips as pixels of this display: twips * dpi / 1440 (twips / 15 at 96 dpi).
int Px(double twips)
{
    return PixelsFromTwips(twips, DisplayDpi());
}

// The tool bar for each display dpi: the strip of pictures, their side and the button size
// (825 x 780 twips, plus what a picture drawn larger than the display's scale needs).
struct PictureSet {
    int dpi;
    int strip;
    int size;
    SIZE button;
};
constexpr PictureSet kPictureSets[] = {{96, IDB_TOOLBAR, 32, {55, 52}},
                                       {120, IDB_TOOLBAR48, 48, {77, 73}},
                                       {144, IDB_TOOLBAR48, 48, {82, 78}},
                                       {192, IDB_TOOLBAR64, 64, {110, 104}}};

const PictureSet* PictureSetFor(int dpi)
{
    for (const PictureSet& row : kPictureSets) {
        if (row.dpi == dpi) {
            return &row;
        }
    }
    return nullptr;
}
constexpr int kToolBarImages[] = {1, 2, 3, 4, 7, 8, 10, 9};  // the buttons' pictures, in order
constexpr uint32_t kMaskPixel = 0xC0C0C0;                    // shows the button face instead

// Whether picture `image` (1-based) of the strip shows somewhere in `shown`; mask pixels match anything.
bool ShowsPicture(const Pixels& shown, const Pixels& strip, int size, int image)
{
    auto matchesAt = [&](int left, int top) {
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                uint32_t want = strip.at((image - 1) * size + x, y);
                if (want != kMaskPixel && shown.at(left + x, top + y) != want) {
                    return false;
                }
            }
        }
        return true;
    };
    for (int top = 0; top + size <= shown.height; ++top) {
        for (int left = 0; left + size <= shown.width; ++left) {
            if (matchesAt(left, top)) {
                return true;
            }
        }
    }
    return false;
}

Pixels StripPixels(int strip)
{
    UniqueBitmap bitmap(static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(strip), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    return ReadBitmap(bitmap.get());
}

// Sets the display dpi that Wine gives the processes started from now on; puts back the old
// setting at the end.
class DpiSetting {
public:
    explicit DpiSetting(DWORD dpi)
    {
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key,
                        nullptr);
        DWORD size = sizeof(m_old);
        m_hadOld = RegQueryValueExW(m_key, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&m_old), &size) ==
                   ERROR_SUCCESS;
        RegSetValueExW(m_key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi));
    }
    ~DpiSetting()
    {
        if (m_hadOld) {
            RegSetValueExW(m_key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&m_old), sizeof(m_old));
        } else {
            RegDeleteValueW(m_key, L"LogPixels");
        }
        RegCloseKey(m_key);
    }
    DpiSetting(const DpiSetting&) = delete;
    DpiSetting& operator=(const DpiSetting&) = delete;

private:
    HKEY m_key = nullptr;
    DWORD m_old = 0;
    bool m_hadOld = false;
};

TEST_F(MainWindowStartUp, CaptionSizeAndPosition)
{
    wchar_t caption[64] = L"";
    GetWindowTextW(window().Hwnd(), caption, 64);
    EXPECT_STREQ(caption, L"Kavlor 简化版");

    RECT client{};
    GetClientRect(window().Hwnd(), &client);
    EXPECT_EQ(client.right, Px(8460));
    EXPECT_EQ(client.bottom, Px(6270));

    RECT outer{};
    GetWindowRect(window().Hwnd(), &outer);
    int width = outer.right - outer.left;
    int height = outer.bottom - outer.top;
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    LONG style = GetWindowLongW(window().Hwnd(), GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_SYSMENU);
}

struct MenuRow {
    int depth;
    std::wstring caption;  // with "\t" and the shortcut where there is one; "-" for a separator
    bool enabled;
};

void CollectMenu(HMENU menu, int depth, std::vector<MenuRow>& rows)
{
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU;
        GetMenuItemInfoW(menu, i, TRUE, &info);
        if (info.fType & MFT_SEPARATOR) {
            rows.push_back({depth, L"-", true});
            continue;
        }
        wchar_t text[128] = L"";
        GetMenuStringW(menu, i, text, 128, MF_BYPOSITION);
        rows.push_back({depth, text, !(info.fState & MFS_GRAYED)});
        if (info.hSubMenu) {
            CollectMenu(info.hSubMenu, depth + 1, rows);
        }
    }
}

TEST_F(MainWindowStartUp, MenuCaptionsShortcutsAndInitialStates)
{
    const std::vector<MenuRow> expected = {
        {0, L"文件(&F)", true},
        {1, L"新建(&N)", true},
        {2, L"画图程序(&H)", true},
        {2, L"批量互换(&P)", true},
        {1, L"打开图像(&O)", true},
        {1, L"保存图像(&S)", true},
        {1, L"清除图像(&C)", true},
        {1, L"-", true},
        {1, L"退出程序(&T)", true},
        {0, L"操作(&C)", true},
        {1, L"捕捉全屏(&A)\tF5", true},
        {1, L"捕捉窗口(&W)\tF6", true},
        {1, L"捕捉部分(&B)\tF7", true},
        {1, L"自动捕捉(&Z)\tF8", true},
        {1, L"自定义捕捉(&Z)\tF9", true},
        {0, L"其他(&O)", true},
        {1, L"设置墙纸(&S)", false},
        {1, L"捕获640×480尺寸(&B)", true},
        {1, L"捕获800×600尺寸(&E)", true},
        {1, L"捕获1024×768尺寸(&O)", true},
        {0, L"打印(&D)", true},
        {1, L"打印设置(&D)", true},
        {1, L"打印图像(&P)", false},
        {0, L"说明文件(&S)", true},
        {1, L"关于我们(&G)", true},
        {1, L"联系我们(&L)", true},
        {1, L"访问我们(&F)", true},
        {1, L"-", true},
        {1, L"帮助文件(&H)", true},
    };
    std::vector<MenuRow> rows;
    CollectMenu(GetMenu(window().Hwnd()), 0, rows);
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].depth, expected[i].depth) << i;
        EXPECT_EQ(rows[i].caption, expected[i].caption) << i;
        EXPECT_EQ(rows[i].enabled, expected[i].enabled) << expected[i].caption;
    }
}

TEST_F(MainWindowStartUp, ShortcutKeysF5ToF9RunTheCaptureCommands)
{
    std::vector<ACCEL> table(CopyAcceleratorTableW(window().Accelerators(), nullptr, 0));
    CopyAcceleratorTableW(window().Accelerators(), table.data(), static_cast<int>(table.size()));
    const std::pair<WORD, WORD> expected[] = {{VK_F5, ID_buzuoqping},
                                              {VK_F6, ID_buzuockou},
                                              {VK_F7, ID_buzuobfeng},
                                              {VK_F8, ID_zdongbuzuo},
                                              {VK_F9, ID_zidingyi}};
    ASSERT_EQ(table.size(), std::size(expected));
    for (size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].key, expected[i].first);
        EXPECT_EQ(table[i].cmd, expected[i].second);
        EXPECT_EQ(table[i].fVirt & ~FNOINVERT, FVIRTKEY);
    }
}

TEST_F(MainWindowStartUp, ToolBarButtonsCaptionsKeysImagesAndToolTips)
{
    struct Button {
        const wchar_t* caption;
        const wchar_t* key;
        const wchar_t* tip;
        int image;
    };
    const Button expected[] = {
        {L"捕捉全屏", L"buzuoqp", L"捕捉全屏", 1},
        {L"捕捉窗口", L"buzuoqkou", L"捕捉当前窗口", 2},
        {L"捕捉部分", L"buzuobufen", L"捕捉部分窗口(仅客户区)", 3},
        {L"自动捕捉", L"zidongbzuo", L"捕捉活动窗口", 4},
        {L"自行捕捉", L"zxingbuzuo", L"自定义捕捉", 7},
        {L"清除图像", L"clstx", L"清除图像", 8},
        {L"保存图像", L"savetx", L"保存捕捉的图像", 10},
        {L"联系我们", L"lianxiwm", L"如果你有什么问题,请来信告诉我,谢谢!", 9},
    };
    HWND toolbar = window().Toolbar1().Hwnd();
    ASSERT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), static_cast<LRESULT>(std::size(expected)));
    HWND tips = reinterpret_cast<HWND>(SendMessageW(toolbar, TB_GETTOOLTIPS, 0, 0));
    ASSERT_TRUE(tips);
    for (int i = 0; i < static_cast<int>(std::size(expected)); ++i) {
        TBBUTTON button{};
        SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        EXPECT_EQ(button.iBitmap, expected[i].image - 1) << i;
        EXPECT_TRUE(button.fsState & TBSTATE_ENABLED);
        wchar_t text[64] = L"";
        SendMessageW(toolbar, TB_GETBUTTONTEXTW, button.idCommand, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, expected[i].caption);
        EXPECT_STREQ(window().Toolbar1().KeyOf(button.idCommand), expected[i].key);

        // Ask the tool bar's own tool tip control for the text it would show.
        wchar_t tip[128] = L"";
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = toolbar;
        tool.uId = static_cast<UINT_PTR>(button.idCommand);
        tool.lpszText = tip;
        SendMessageW(tips, TTM_GETTEXTW, std::size(tip), reinterpret_cast<LPARAM>(&tool));
        EXPECT_STREQ(tool.lpszText, expected[i].tip) << i;
    }
    // 825 x 780 twips (55 x 52 pixels at 96 dpi), caption under the pictures drawn for this display.
    const PictureSet* set = PictureSetFor(DisplayDpi());
    ASSERT_TRUE(set) << "no row for " << DisplayDpi() << " dpi";
    LRESULT size = SendMessageW(toolbar, TB_GETBUTTONSIZE, 0, 0);
    EXPECT_EQ(LOWORD(size), set->button.cx);
    EXPECT_EQ(HIWORD(size), set->button.cy);
}

// In this process at the test run's dpi, then in the real program started at each dpi in turn
// (a process reads the dpi when it starts): every button shows its picture from the strip
// drawn for that dpi, and the buttons have that dpi's size.
TEST_F(MainWindowStartUp, ToolBarShowsThePicturesDrawnForTheDisplaysDpi)
{
    auto expectPictures = [](HWND toolbar, int dpi) {
        const PictureSet* set = PictureSetFor(dpi);
        ASSERT_TRUE(set) << "no row for " << dpi << " dpi";
        LRESULT size = SendMessageW(toolbar, TB_GETBUTTONSIZE, 0, 0);
        ASSERT_EQ(LOWORD(size), set->button.cx) << dpi;
        ASSERT_EQ(HIWORD(size), set->button.cy) << dpi;
        RECT bar{};
        GetWindowRect(toolbar, &bar);
        Pixels strip = StripPixels(set->strip);
        EXPECT_TRUE(PumpUntil([&] {
            for (int i = 0; i < static_cast<int>(std::size(kToolBarImages)); ++i) {
                int left = bar.left + i * LOWORD(size);
                Pixels shown = ReadScreen(RECT{left, bar.top, left + LOWORD(size), bar.bottom});
                if (!ShowsPicture(shown, strip, set->size, kToolBarImages[i])) {
                    return false;
                }
            }
            return true;
        })) << dpi
            << " dpi";
    };
    expectPictures(window().Toolbar1().Hwnd(), DisplayDpi());
    ShowWindow(window().Hwnd(), SW_HIDE);
    for (const PictureSet& row : kPictureSets) {
        DpiSetting dpi(row.dpi);
        KavlorProcess kavlor;
        ASSERT_TRUE(kavlor.MainHwnd()) << row.dpi;
        expectPictures(FindWindowExW(kavlor.MainHwnd(), nullptr, TOOLBARCLASSNAMEW, nullptr), row.dpi);
    }
}

TEST_F(MainWindowStartUp, StatusBarShowsNoticeDateAndTimeByItself)
{
    StatusBar& bar = window().StatusBar1();
    EXPECT_EQ(bar.PanelText(0), texts::kStatusNotice);
    wchar_t date[80] = L"";
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 80);
    EXPECT_EQ(bar.PanelText(1), date);

    // The clock panel puts the time back by itself, with no command run.
    SendMessageW(bar.Hwnd(), SB_SETTEXTW, 2, reinterpret_cast<LPARAM>(L"--"));
    EXPECT_TRUE(PumpUntil([&] {
        wchar_t now[80] = L"";
        GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, nullptr, nullptr, now, 80);
        return bar.PanelText(2) == now;
    }));

    // Date and time panels are 1440 twips wide; the notice takes the rest. The bar is 375 twips.
    int edges[3]{};
    SendMessageW(bar.Hwnd(), SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges));
    RECT client{};
    GetClientRect(bar.Hwnd(), &client);
    EXPECT_EQ(edges[0], client.right - 2 * Px(1440));
    EXPECT_EQ(edges[1] - edges[0], Px(1440));
    EXPECT_EQ(edges[2], -1);
    RECT barRect{};
    GetWindowRect(bar.Hwnd(), &barRect);
    EXPECT_EQ(barRect.bottom - barRect.top, Px(375));
}

RECT ChildRect(HWND parent, HWND child)
{
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

SIZE OuterSize(HWND hwnd)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    return {r.right - r.left, r.bottom - r.top};
}

TEST_F(ResizeRule, SnapsWidthThenHeightToTheMinimum)
{
    HWND hwnd = window().Hwnd();
    struct Row {
        int width;
        int height;
        int expectedWidth;
        int expectedHeight;
    };
    // 1680 twips (112 pixels at 96 dpi); exactly the minimum passes, and both too small snap in turn.
    const int min = Px(1680);
    const Row rows[] = {
        {60, 400, min, 400},  {400, 60, 400, min},      {50, 40, min, min},
        {min, min, min, min}, {min - 1, 300, min, 300}, {600, 500, 600, 500},
    };
    for (const Row& row : rows) {
        SetWindowPos(hwnd, nullptr, 0, 0, row.width, row.height, SWP_NOMOVE | SWP_NOZORDER);
        PumpPending();
        SIZE size = OuterSize(hwnd);
        EXPECT_EQ(size.cx, row.expectedWidth) << row.width << "x" << row.height;
        EXPECT_EQ(size.cy, row.expectedHeight) << row.width << "x" << row.height;
    }
}

TEST_F(ResizeRule, PictureBoxRunsUnderTheToolBarForTheWholeClientHeight)
{
    HWND hwnd = window().Hwnd();
    for (SIZE outer : {SIZE{700, 500}, SIZE{300, 200}, SIZE{900, 700}}) {
        SetWindowPos(hwnd, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER);
        PumpPending();
        RECT client{};
        GetClientRect(hwnd, &client);
        RECT toolbar = ChildRect(hwnd, window().Toolbar1().Hwnd());
        RECT box = ChildRect(hwnd, window().Picture1().Hwnd());
        EXPECT_EQ(box.left, 0);
        EXPECT_EQ(box.top, toolbar.bottom - toolbar.top);
        EXPECT_EQ(box.right - box.left, client.right);
        EXPECT_EQ(box.bottom - box.top, client.bottom);
        // The tool bar and the status bar stay above the box where they overlap it.
        EXPECT_EQ(GetWindow(window().Picture1().Hwnd(), GW_HWNDLAST), window().Picture1().Hwnd());
    }
}

TEST_F(ResizeRule, MinimisingLeavesThePictureBoxAndRestoringLaysItOutAgain)
{
    HWND hwnd = window().Hwnd();
    RECT before = ChildRect(hwnd, window().Picture1().Hwnd());
    RECT beforeScreen{};
    GetWindowRect(window().Picture1().Hwnd(), &beforeScreen);
    SIZE boxBefore{beforeScreen.right - beforeScreen.left, beforeScreen.bottom - beforeScreen.top};
    ShowWindow(hwnd, SW_MINIMIZE);
    ASSERT_TRUE(PumpUntil([&] { return IsIconic(hwnd) != FALSE; }));
    RECT minimised{};
    GetWindowRect(window().Picture1().Hwnd(), &minimised);
    EXPECT_EQ(minimised.right - minimised.left, boxBefore.cx);
    EXPECT_EQ(minimised.bottom - minimised.top, boxBefore.cy);

    ShowWindow(hwnd, SW_RESTORE);
    ASSERT_TRUE(PumpUntil([&] { return !IsIconic(hwnd); }));
    RECT after = ChildRect(hwnd, window().Picture1().Hwnd());
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right, before.right);
    EXPECT_EQ(after.bottom, before.bottom);
}

}  // namespace
}  // namespace kavlor::test
