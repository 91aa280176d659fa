// Controls in twips, the shared font and dialog-style focus for the small fixed windows.
#include "base/FormControls.h"

#include <algorithm>

#include "base/App.h"
#include "base/Handles.h"
#include "base/Units.h"

namespace kavlor {

ScreenDpi GetScreenDpi()
{
    WindowDC screen(nullptr);
    return {GetDeviceCaps(screen.get(), LOGPIXELSX), GetDeviceCaps(screen.get(), LOGPIXELSY)};
}

void SetClassIcons(WNDCLASSEXW& wc, int iconId)
{
    wc.hIcon = LoadIconW(gInstance, MAKEINTRESOURCEW(iconId));
    wc.hIconSm =
        static_cast<HICON>(LoadImageW(gInstance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                      GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

// Each of left, top, width and height is converted on its own, as the design gives them.
HWND AddControl(HWND parent, int id, const wchar_t* className, const wchar_t* text, DWORD style, const TwipsRect& place,
                ScreenDpi dpi, HFONT font)
{
    HWND control = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style,
                                   PixelsFromTwips(place.left, dpi.x), PixelsFromTwips(place.top, dpi.y),
                                   PixelsFromTwips(place.width, dpi.x), PixelsFromTwips(place.height, dpi.y), parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), gInstance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

// SimSun's lines are exactly its character height (no internal leading), and the windows' labels
// are sized to that. Where another face stands in for it with taller lines, the label would cut
// its last line: the stand-in is then asked for SimSun's line height instead, which makes its
// characters a little smaller and keeps every line whole in the same place.
HFONT CreateSongtiFont(int dpiY, int weight)
{
    const int size = MulDiv(9, dpiY, 72);
    auto create = [&](int height) {
        return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"宋体");
    };
    HFONT font = create(-size);
    TEXTMETRICW metrics{};
    {
        WindowDC screen(nullptr);
        HGDIOBJ old = SelectObject(screen.get(), font);
        GetTextMetricsW(screen.get(), &metrics);
        SelectObject(screen.get(), old);
    }
    if (metrics.tmHeight <= size) {
        return font;
    }
    DeleteObject(font);
    return create(size);
}

RECT PlaceOverOwner(HWND owner, DWORD style, DWORD exStyle, const TwipsRect& client, ScreenDpi dpi)
{
    RECT outer{0, 0, PixelsFromTwips(client.width, dpi.x), PixelsFromTwips(client.height, dpi.y)};
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    int width = outer.right - outer.left;
    int height = outer.bottom - outer.top;

    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    RECT around = work;
    if (owner && IsWindowVisible(owner)) {
        GetWindowRect(owner, &around);
    }
    int x = around.left + (around.right - around.left - width) / 2;
    int y = around.top + (around.bottom - around.top - height) / 2;
    x = std::max(static_cast<int>(work.left), std::min(x, static_cast<int>(work.right) - width));
    y = std::max(static_cast<int>(work.top), std::min(y, static_cast<int>(work.bottom) - height));
    return {x, y, x + width, y + height};
}

// The DC's own brush takes the colour for the call and gets its old colour back.
void FillColor(HDC hdc, const RECT& area, COLORREF color)
{
    COLORREF previous = SetDCBrushColor(hdc, color);
    FillRect(hdc, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SetDCBrushColor(hdc, previous);
}

void FrameColor(HDC hdc, const RECT& area, COLORREF color)
{
    COLORREF previous = SetDCBrushColor(hdc, color);
    FrameRect(hdc, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SetDCBrushColor(hdc, previous);
}

// Without this the window itself would take the focus on activation, and Enter, Tab and the
// buttons' focus would be lost each time the user comes back from another window.
void ControlFocus::OnActivate(HWND window, UINT state, int firstControlId)
{
    if (state == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window, focus)) {
            m_last = focus;
        }
        return;
    }
    SetFocus(m_last && IsChild(window, m_last) ? m_last : GetDlgItem(window, firstControlId));
}

// Enter presses the push button that has the focus, as in a dialog box; elsewhere it presses
// the window's default button.
LRESULT DefaultButtonAnswer(HWND window, int defaultId)
{
    HWND focus = GetFocus();
    int id = defaultId;
    if (focus && GetParent(focus) == window &&
        (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        id = GetDlgCtrlID(focus);
    }
    return MAKELRESULT(id, DC_HASDEFID);
}

}  // namespace kavlor
