// The About and help windows: texts, places, fonts, drawing, keys, and their life beside the
// main window.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/resource.h"
#include "base/Handles.h"
#include "info/AboutWindow_win.h"
#include "info/HelpWindow_win.h"
#include "tests/win/TestSupport_win.h"

namespace kavlor::test {
namespace {

class InfoWindowTest : public MainWindowTest {
protected:
    HWND Show(int command, const wchar_t* className)
    {
        Command(command);
        return FindWindowW(className, nullptr);
    }
    HWND ShowAbout() { return Show(ID_guanyuwm, AboutWindow::kClassName); }
    HWND ShowHelp() { return Show(ID_bangzhu, HelpWindow::kClassName); }
};

using AboutWindowTest = InfoWindowTest;
using HelpWindowTest = InfoWindowTest;
using AboutAndHelpTest = InfoWindowTest;

// Caption, owner, fixed border, client size; every control's text and place in pixels at
// 96 dpi (twips / 15); one shared "宋体" 9-point GB2312 font, released with the window.
TEST_F(AboutAndHelpTest, TextsPlacesAndFonts)
{
    struct Control {
        int id;
        const wchar_t* text;
        RECT place;  // left, top, width, height
    };
    struct Row {
        HWND hwnd;
        const wchar_t* caption;
        SIZE client;
        LONG weight;
        int icon;  // the control showing an icon instead of text, if any
        std::vector<Control> controls;
    };
    const Row rows[] = {
        {ShowAbout(),
         L"About Kavlor",
         {289, 239},
         FW_BOLD,
         AboutWindow::picIcon,
         {{AboutWindow::lblTitle, L"名称:      Kavlor 简化版", {72, 24, 195, 16}},
          {AboutWindow::lblVersion, L"版本:         V1.0.0.0", {70, 48, 171, 23}},
          {AboutWindow::lblDescription, L"助攻:          KV   ", {70, 75, 163, 14}},
          {AboutWindow::Label1, L"联系我们:  ", {72, 104, 73, 17}},
          {AboutWindow::Label3, L"http://kavlor.example.com", {80, 128, 201, 17}},
          {AboutWindow::Label2, L"Email:kv@example.com", {80, 152, 161, 17}},
          {AboutWindow::cmdSysInfo, L"系统信息", {120, 208, 75, 23}},
          {AboutWindow::cmdOK, L"确   定", {208, 208, 76, 23}},
          {AboutWindow::picIcon, L"", {8, 8, 48, 48}}}},
        {ShowHelp(),
         L"Kavlor Help",
         {290, 262},
         FW_NORMAL,
         0,
         {{HelpWindow::Label1, L"1.遇到不会的理解的时候,把鼠标放到不会的下面,一般的都会有提示;", {16, 16, 257, 33}},
          {HelpWindow::Label2,
           L"2.本软件提供了一个批量互换BMP与JPG图片格式工具 捕获的都是BMP格式的图片 所以可以通过此工具转换 "
           L"也可以批量进行转换BMP图片!位置在\"文件\"---\"新建\"---\"批量转换\".",
           {16, 64, 257, 49}},
          {HelpWindow::Label3, L"3.如果你还遇到什么问题,请通过邮件或UC、QQ与我们联系!", {16, 128, 241, 33}},
          {HelpWindow::Label4,
           L"4.感谢Orvelin编制的conversion.dll文件,没有此文件批量转换无法完成!",
           {16, 176, 249, 33}},
          {HelpWindow::Command1, L"确   定", {208, 224, 73, 33}}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.caption);
        ASSERT_NE(row.hwnd, nullptr);
        EXPECT_EQ(WindowText(row.hwnd), row.caption);
        EXPECT_EQ(GetWindow(row.hwnd, GW_OWNER), window().Hwnd());
        RECT client{};
        GetClientRect(row.hwnd, &client);
        EXPECT_EQ(client.right, row.client.cx);
        EXPECT_EQ(client.bottom, row.client.cy);
        LONG style = GetWindowLongW(row.hwnd, GWL_STYLE);
        EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
                  WS_CAPTION | WS_SYSMENU);

        auto font = reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(row.hwnd, row.controls[0].id), WM_GETFONT, 0, 0));
        for (const Control& control : row.controls) {
            SCOPED_TRACE(control.id);
            HWND child = GetDlgItem(row.hwnd, control.id);
            EXPECT_EQ(WindowText(child), control.text);
            RECT place{};
            GetWindowRect(child, &place);
            MapWindowPoints(nullptr, row.hwnd, reinterpret_cast<POINT*>(&place), 2);
            EXPECT_EQ(place.left, control.place.left);
            EXPECT_EQ(place.top, control.place.top);
            EXPECT_EQ(place.right - place.left, control.place.right);
            EXPECT_EQ(place.bottom - place.top, control.place.bottom);
            if (control.id == row.icon) {
                EXPECT_NE(SendMessageW(child, STM_GETICON, 0, 0), 0);
            } else {
                EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)), font);
            }
        }
        LOGFONTW logFont{};
        EXPECT_EQ(GetObjectW(font, sizeof(logFont), &logFont), static_cast<int>(sizeof(logFont)));
        EXPECT_STREQ(logFont.lfFaceName, L"宋体");
        // 9 points as SimSun's character height, or as its line height where a stand-in with
        // taller lines replaces it (-12 or 12).
        EXPECT_EQ(std::abs(logFont.lfHeight), 12);
        EXPECT_EQ(logFont.lfWeight, row.weight);
        EXPECT_EQ(logFont.lfCharSet, 134);

        DestroyWindow(row.hwnd);
        EXPECT_EQ(GetObjectType(font), 0u) << "the font goes with the window";
    }
}

// Every label and button shows its whole text in its place, with the font the window really
// gets: measured as the control draws it (static controls wrap by words unless made single-line).
TEST_F(AboutAndHelpTest, EveryTextFitsItsControl)
{
    for (HWND window : {ShowAbout(), ShowHelp()}) {
        ASSERT_NE(window, nullptr);
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            std::wstring text = WindowText(child);
            wchar_t className[32] = L"";
            GetClassNameW(child, className, 32);
            const auto style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
            UINT flags = DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX;
            int margin = 0;
            if (_wcsicmp(className, L"STATIC") == 0) {
                const DWORD type = style & SS_TYPEMASK;
                if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP) {
                    continue;  // icons and pictures
                }
                flags |= type == SS_LEFTNOWORDWRAP ? 0 : DT_WORDBREAK;
            } else {
                flags |= DT_SINGLELINE;
                margin = 3;  // a push button's border
            }
            RECT client{};
            GetClientRect(child, &client);
            RECT needed{0, 0, client.right - 2 * margin, 0};
            WindowDC dc(child);
            HGDIOBJ old = SelectObject(dc.get(), reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
            DrawTextW(dc.get(), text.c_str(), -1, &needed, flags);
            SelectObject(dc.get(), old);
            EXPECT_LE(needed.right, client.right - 2 * margin) << text;
            EXPECT_LE(needed.bottom, client.bottom - 2 * margin) << text;
        }
    }
}

// The caption buttons' glyphs come from Marlett: without it their codes show as letters.
TEST(CaptionFont, MarlettIsThere)
{
    UniqueFont font(CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SYMBOL_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Marlett"));
    WindowDC screen(nullptr);
    HGDIOBJ old = SelectObject(screen.get(), font.get());
    wchar_t face[LF_FACESIZE] = L"";
    GetTextFaceW(screen.get(), LF_FACESIZE, face);
    SelectObject(screen.get(), old);
    EXPECT_STREQ(face, L"Marlett");
}

// Real keys through the message pump: Tab moves from cmdOK to cmdSysInfo, and Enter (on
// cmdOK) and Esc (from anywhere) press cmdOK, which closes the window. Each row opens it anew.
TEST_F(AboutWindowTest, KeysOfTheDialog)
{
    const std::vector<WORD> rows[] = {{VK_RETURN}, {VK_ESCAPE}, {VK_TAB, VK_ESCAPE}};
    for (const std::vector<WORD>& keys : rows) {
        SCOPED_TRACE(keys.size() * 100 + keys.back());
        HWND about = ShowAbout();
        ASSERT_TRUE(PumpUntil([&] { return GetFocus() == GetDlgItem(about, AboutWindow::cmdOK); }));
        if (keys.front() == VK_TAB) {
            PressKey(VK_TAB);
            EXPECT_TRUE(PumpUntil([&] { return GetFocus() == GetDlgItem(about, AboutWindow::cmdSysInfo); }));
        }
        PressKey(keys.back());
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
    EXPECT_TRUE(IsWindowVisible(window().Hwnd()) && IsWindowEnabled(window().Hwnd()));
    EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window().Hwnd(); }));
}

TEST_F(AboutAndHelpTest, EachExistsOnceAndGoesWithTheMainWindow)
{
    HWND about = ShowAbout();
    HWND help = ShowHelp();
    ASSERT_NE(about, nullptr);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(ShowAbout(), about);
    EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == about; })) << "showing it again brings it forward";
    EXPECT_EQ(ShowHelp(), help);
    EXPECT_EQ(FindWindowExW(nullptr, about, AboutWindow::kClassName, nullptr), nullptr);
    EXPECT_EQ(FindWindowExW(nullptr, help, HelpWindow::kClassName, nullptr), nullptr);

    DestroyWindow(window().Hwnd());
    EXPECT_FALSE(IsWindow(about));
    EXPECT_FALSE(IsWindow(help));
}

// The etched rule of the About window (grey over white) and the help window's frame, drawn
// into a bitmap of a known background.
TEST_F(AboutAndHelpTest, RuleAndFrame)
{
    constexpr uint32_t kBack = 0x010203;
    constexpr uint32_t kGrey = 0x808080;
    constexpr uint32_t kWhite = 0xFFFFFF;
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    const uint32_t kLine = (GetRValue(text) << 16) | (GetGValue(text) << 8) | GetBValue(text);
    struct Row {
        HWND hwnd;
        std::vector<std::pair<POINT, uint32_t>> pixels;
    };
    const Row rows[] = {
        {ShowAbout(),
         {{{6, 184}, kGrey},
          {{287, 184}, kGrey},
          {{7, 185}, kWhite},
          {{287, 185}, kWhite},
          {{5, 184}, kBack},
          {{288, 184}, kBack},
          {{6, 185}, kBack},
          {{100, 183}, kBack},
          {{100, 186}, kBack}}},
        {ShowHelp(),
         {{{8, 8}, kLine},
          {{280, 8}, kLine},
          {{8, 216}, kLine},
          {{280, 216}, kLine},
          {{150, 216}, kLine},
          {{9, 9}, kBack},
          {{279, 215}, kBack},
          {{7, 8}, kBack},
          {{281, 216}, kBack},
          {{280, 217}, kBack}}},
    };
    for (const Row& row : rows) {
        WindowDC screen(nullptr);
        UniqueDC memory(CreateCompatibleDC(screen.get()));
        UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), 300, 270));
        {
            SelectGuard select(memory.get(), bitmap.get());
            RECT all{0, 0, 300, 270};
            UniqueBrush back(CreateSolidBrush(RGB(1, 2, 3)));
            FillRect(memory.get(), &all, back.get());
            SendMessageW(row.hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.get()), PRF_CLIENT);
        }
        Pixels drawn = ReadBitmap(bitmap.get());
        for (const auto& [at, color] : row.pixels) {
            EXPECT_EQ(drawn.at(at.x, at.y), color) << WindowText(row.hwnd) << " at " << at.x << "," << at.y;
        }
    }
}

}  // namespace
}  // namespace kavlor::test
