// Status bar wrapper over the common controls status bar.
#include "base/StatusBar.h"

#include <commctrl.h>

#include <algorithm>

#include "base/App.h"

namespace kavlor {

namespace {
constexpr UINT_PTR kClockTimer = 1;
constexpr UINT_PTR kSubclassId = 1;
}  // namespace

bool StatusBar::Create(HWND parent, int id, const wchar_t* notice, int height, int fixedWidth)
{
    m_fixedWidth = fixedWidth;
    m_hwnd = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr,
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBARS_SIZEGRIP | SBARS_TOOLTIPS, 0, 0, 0, 0,
                             parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), gInstance, nullptr);
    if (!m_hwnd) {
        return false;
    }
    // The minimum height leaves out the bar's borders: measure them once and take them off.
    SendMessageW(m_hwnd, SB_SETMINHEIGHT, height, 0);
    Align();
    RECT bar{};
    GetWindowRect(m_hwnd, &bar);
    int borders = (bar.bottom - bar.top) - height;
    if (borders > 0 && borders < height) {
        SendMessageW(m_hwnd, SB_SETMINHEIGHT, height - borders, 0);
        Align();
    }
    SendMessageW(m_hwnd, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(notice));
    SendMessageW(m_hwnd, SB_SETTIPTEXTW, 0, reinterpret_cast<LPARAM>(notice));
    Refresh();
    SetWindowSubclass(m_hwnd, &StatusBar::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    SetTimer(m_hwnd, kClockTimer, 1000, nullptr);
    return true;
}

void StatusBar::Align()
{
    SendMessageW(m_hwnd, WM_SIZE, 0, 0);
    RECT client{};
    GetClientRect(m_hwnd, &client);
    int width = client.right;
    int edges[3] = {std::max(m_fixedWidth, width - 2 * m_fixedWidth), 0, -1};
    edges[1] = edges[0] + m_fixedWidth;
    SendMessageW(m_hwnd, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
}

void StatusBar::Refresh()
{
    wchar_t date[80] = L"";
    wchar_t time[80] = L"";
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 80);
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, nullptr, nullptr, time, 80);
    if (PanelText(1) != date) {
        SendMessageW(m_hwnd, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(date));
    }
    if (PanelText(2) != time) {
        SendMessageW(m_hwnd, SB_SETTEXTW, 2, reinterpret_cast<LPARAM>(time));
    }
}

std::wstring StatusBar::PanelText(int panel) const
{
    auto length = LOWORD(SendMessageW(m_hwnd, SB_GETTEXTLENGTHW, panel, 0));
    std::wstring text(length + 1, L'\0');
    SendMessageW(m_hwnd, SB_GETTEXTW, panel, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

LRESULT CALLBACK StatusBar::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self)
{
    if (msg == WM_TIMER && wParam == kClockTimer) {
        reinterpret_cast<StatusBar*>(self)->Refresh();
        return 0;
    }
    if (msg == WM_NCDESTROY) {
        KillTimer(hwnd, kClockTimer);
        RemoveWindowSubclass(hwnd, &StatusBar::SubclassProc, kSubclassId);
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace kavlor
