// The About and help windows: texts, places, fonts, drawing, keys, and their life beside the
// main window.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/resource.h"
#include "base/Handles.h"
#include "info/AboutWindow_win.h"
#include "info/HelpWindow_win.h"
#include "tests/win/TestSupport_win.h"

namespace kavlor::test {
namespace {

// Where a child control is on its window's client area, in pixels, and its text.
struct Control {
    int id;
    const wchar_t* text;
    RECT place;  // left, top, width, height
};

std::wstring WindowText(HWND hwnd)
{
    wchar_t text[512] = L"";
    GetWindowTextW(hwnd, text, 512);
    return text;
}

RECT PlaceOnParent(HWND child)
{
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

void ExpectWindow(HWND hwnd, HWND owner, const wchar_t* caption, SIZE client, const std::vector<Control>& controls)
{
    EXPECT_EQ(WindowText(hwnd), caption);
    EXPECT_EQ(GetWindow(hwnd, GW_OWNER), owner);
    RECT area{};
    GetClientRect(hwnd, &area);
    EXPECT_EQ(area.right, client.cx);
    EXPECT_EQ(area.bottom, client.cy);
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    for (const Control& control : controls) {
        SCOPED_TRACE(control.id);
        HWND child = GetDlgItem(hwnd, control.id);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(WindowText(child), control.text);
        RECT place = PlaceOnParent(child);
        EXPECT_EQ(place.left, control.place.left);
        EXPECT_EQ(place.top, control.place.top);
        EXPECT_EQ(place.right, control.place.right);
        EXPECT_EQ(place.bottom, control.place.bottom);
    }
}

// Every control shares one "宋体" 9-point font (12 pixels at 96 dpi) in the GB2312 set.
HFONT ExpectFont(HWND hwnd, const std::vector<Control>& controls, LONG weight)
{
    auto font = reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(hwnd, controls.front().id), WM_GETFONT, 0, 0));
    for (const Control& control : controls) {
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(hwnd, control.id), WM_GETFONT, 0, 0)), font);
    }
    LOGFONTW logFont{};
    EXPECT_EQ(GetObjectW(font, sizeof(logFont), &logFont), static_cast<int>(sizeof(logFont)));
    EXPECT_STREQ(logFont.lfFaceName, L"宋体");
    EXPECT_EQ(logFont.lfHeight, -12);
    EXPECT_EQ(logFont.lfWeight, weight);
    EXPECT_EQ(logFont.lfCharSet, 134);
    return font;
}

std::vector<Control> AboutControls()
{
    static const std::wstring email = L"Email:" + std::wstring(L"support@kavlor.example.com");
    return {
        {AboutWindow::lblTitle, L"名称:      Kavlor 简化版", {72, 24, 195, 16}},
        {AboutWindow::lblVersion, L"版本:         V1.0.0.0", {70, 48, 171, 23}},
        {AboutWindow::lblDescription, L"助攻:          KV   ", {70, 75, 163, 14}},
        {AboutWindow::Label1, L"联系我们:  ", {72, 104, 73, 17}},
        {AboutWindow::Label3, L"https://kavlor.example.com/", {80, 128, 201, 17}},
        {AboutWindow::Label2, email.c_str(), {80, 152, 161, 17}},
        {AboutWindow::cmdSysInfo, L"系统信息", {120, 208, 75, 23}},
        {AboutWindow::cmdOK, L"确   定", {208, 208, 76, 23}},
        {AboutWindow::picIcon, L"", {8, 8, 48, 48}},
    };
}

std::vector<Control> HelpControls()
{
    return {
        {HelpWindow::Label1, L"1.遇到不会的理解的时候,把鼠标放到不会的下面,一般的都会有提示;", {16, 16, 257, 33}},
        {HelpWindow::Label2,
         L"2.本软件提供了一个批量互换BMP与JPG图片格式工具 捕获的都是BMP格式的图片 所以可以通过此工具转换 "
         L"也可以批量进行转换BMP图片!位置在\"文件\"---\"新建\"---\"批量转换\".",
         {16, 64, 257, 49}},
        {HelpWindow::Label3, L"3.如果你还遇到什么问题,请通过邮件或UC、QQ与我们联系!", {16, 128, 241, 33}},
        {HelpWindow::Label4, L"4.感谢Orvelin编制的conversion.dll文件,没有此文件批量转换无法完成!", {16, 176, 249, 33}},
        {HelpWindow::Command1, L"确   定", {208, 224, 73, 33}},
    };
}

class AboutAndHelpTest : public MainWindowTest {
protected:
    HWND ShowAbout()
    {
        Command(ID_guanyuwm);
        return FindWindowW(AboutWindow::kClassName, nullptr);
    }
    HWND ShowHelp()
    {
        Command(ID_bangzhu);
        return FindWindowW(HelpWindow::kClassName, nullptr);
    }
};

using AboutWindowTest = AboutAndHelpTest;
using HelpWindowTest = AboutAndHelpTest;

TEST_F(AboutWindowTest, TextsPlacesAndFont)
{
    HWND about = ShowAbout();
    ASSERT_NE(about, nullptr);
    ExpectWindow(about, window().Hwnd(), L"About Kavlor", {289, 239}, AboutControls());
    EXPECT_TRUE(GetWindowLongW(about, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
    EXPECT_NE(SendMessageW(GetDlgItem(about, AboutWindow::picIcon), STM_GETICON, 0, 0), 0);
    std::vector<Control> texts = AboutControls();
    texts.pop_back();  // the icon shows no text
    HFONT font = ExpectFont(about, texts, FW_BOLD);

    DestroyWindow(about);
    EXPECT_EQ(GetObjectType(font), 0u) << "the font goes with the window";
}

TEST_F(HelpWindowTest, TextsPlacesAndFont)
{
    HWND help = ShowHelp();
    ASSERT_NE(help, nullptr);
    ExpectWindow(help, window().Hwnd(), L"Kavlor Help", {290, 262}, HelpControls());
    for (int label : {HelpWindow::Label1, HelpWindow::Label2, HelpWindow::Label3, HelpWindow::Label4}) {
        EXPECT_EQ(GetWindowLongW(GetDlgItem(help, label), GWL_STYLE) & SS_TYPEMASK, SS_LEFT) << "wraps its text";
    }
    HFONT font = ExpectFont(help, HelpControls(), FW_NORMAL);

    DestroyWindow(help);
    EXPECT_EQ(GetObjectType(font), 0u) << "the font goes with the window";
}

// Real keys through the message pump: Tab moves from cmdOK to cmdSysInfo, and Enter (on
// cmdOK) and Esc (from anywhere) press cmdOK, which closes the window.
TEST_F(AboutWindowTest, KeysOfTheDialog)
{
    struct Row {
        const char* name;
        std::vector<WORD> keys;
    };
    const Row rows[] = {
        {"Enter", {VK_RETURN}},
        {"Esc", {VK_ESCAPE}},
        {"Tab, then Esc", {VK_TAB, VK_ESCAPE}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        HWND about = ShowAbout();
        ASSERT_TRUE(PumpUntil([&] { return GetFocus() == GetDlgItem(about, AboutWindow::cmdOK); }));
        for (WORD key : row.keys) {
            if (key == VK_ESCAPE && row.keys.size() > 1) {
                EXPECT_TRUE(PumpUntil([&] { return GetFocus() == GetDlgItem(about, AboutWindow::cmdSysInfo); }));
            }
            PressKey(key);
        }
        EXPECT_TRUE(PumpUntil([&] { return !IsWindow(about); }));
    }
}

TEST_F(HelpWindowTest, OkClosesItAndLeavesTheMainWindowAsItWas)
{
    RECT before{};
    GetWindowRect(window().Hwnd(), &before);
    HWND help = ShowHelp();
    ASSERT_NE(help, nullptr);
    SendMessageW(GetDlgItem(help, HelpWindow::Command1), BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(help); }));

    RECT after{};
    GetWindowRect(window().Hwnd(), &after);
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_TRUE(IsWindowVisible(window().Hwnd()));
    EXPECT_TRUE(IsWindowEnabled(window().Hwnd()));
    EXPECT_EQ(WindowText(window().Hwnd()), L"Kavlor 简化版");
    EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window().Hwnd(); }));
}

int CountWindows(const wchar_t* className)
{
    int count = 0;
    for (HWND hwnd = FindWindowExW(nullptr, nullptr, className, nullptr); hwnd;
         hwnd = FindWindowExW(nullptr, hwnd, className, nullptr)) {
        ++count;
    }
    return count;
}

TEST_F(AboutAndHelpTest, EachExistsOnceAndGoesWithTheMainWindow)
{
    HWND about = ShowAbout();
    HWND help = ShowHelp();
    ASSERT_NE(about, nullptr);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(ShowAbout(), about);
    EXPECT_EQ(GetForegroundWindow(), about) << "showing it again brings it forward";
    EXPECT_EQ(ShowHelp(), help);
    EXPECT_EQ(CountWindows(AboutWindow::kClassName), 1);
    EXPECT_EQ(CountWindows(HelpWindow::kClassName), 1);

    DestroyWindow(window().Hwnd());
    EXPECT_FALSE(IsWindow(about));
    EXPECT_FALSE(IsWindow(help));
    // Closed windows come back new, once each.
    window().Create(SW_SHOWNORMAL);
    EXPECT_NE(ShowAbout(), nullptr);
    EXPECT_EQ(CountWindows(AboutWindow::kClassName), 1);
}

// The etched rule of the About window and the help window's frame, drawn into a bitmap.
TEST_F(AboutAndHelpTest, RuleAndFrame)
{
    constexpr uint32_t kBackground = 0x010203;
    constexpr uint32_t kGrey = 0x808080;
    constexpr uint32_t kWhite = 0xFFFFFF;
    const uint32_t text = GetSysColor(COLOR_WINDOWTEXT);
    const uint32_t kFrame = (GetRValue(text) << 16) | (GetGValue(text) << 8) | GetBValue(text);
    struct Pixel {
        int x;
        int y;
        uint32_t color;
    };
    struct Row {
        const char* name;
        HWND hwnd;
        std::vector<Pixel> pixels;
    };
    const Row rows[] = {
        {"About",
         ShowAbout(),
         {{6, 184, kGrey}, {287, 184, kGrey}, {7, 185, kWhite}, {287, 185, kWhite}, {5, 184, kBackground},
          {288, 184, kBackground}, {6, 185, kBackground}, {100, 183, kBackground}, {100, 186, kBackground}}},
        {"help",
         ShowHelp(),
         {{8, 8, kFrame}, {280, 8, kFrame}, {8, 216, kFrame}, {280, 216, kFrame}, {150, 8, kFrame}, {8, 100, kFrame},
          {280, 100, kFrame}, {150, 216, kFrame}, {9, 9, kBackground}, {279, 215, kBackground}, {7, 8, kBackground},
          {281, 216, kBackground}, {280, 217, kBackground}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NE(row.hwnd, nullptr);
        WindowDC screen(nullptr);
        UniqueDC memory(CreateCompatibleDC(screen.get()));
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = 300;
        info.bmiHeader.biHeight = -270;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        UniqueBitmap bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        {
            SelectGuard select(memory.get(), bitmap.get());
            RECT all{0, 0, 300, 270};
            UniqueBrush background(CreateSolidBrush(RGB(1, 2, 3)));
            FillRect(memory.get(), &all, background.get());
            SendMessageW(row.hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.get()), PRF_CLIENT);
        }
        Pixels drawn = ReadBitmap(bitmap.get());
        for (const Pixel& pixel : row.pixels) {
            EXPECT_EQ(drawn.at(pixel.x, pixel.y), pixel.color) << pixel.x << "," << pixel.y;
        }
    }
}

}  // namespace
}  // namespace kavlor::test
