// Controls placed in twips, the "宋体" font, and the focus and default-button answers of a
// window that the message pump drives as a dialog: what the small fixed windows share.
#pragma once
#include <windows.h>

namespace kavlor {

// A control's place on its window, in twips.
struct TwipsRect {
    double left;
    double top;
    double width;
    double height;
};

// Logical pixels per inch of the screen, across and down.
struct ScreenDpi {
    int x;
    int y;
};
ScreenDpi GetScreenDpi();

// Gives a window class the program's icon `iconId`, large and small.
void SetClassIcons(WNDCLASSEXW& wc, int iconId);

// Creates a child control at `place` with `font`; its text is shown exactly (no '&' prefixes).
HWND AddControl(HWND parent, int id, const wchar_t* className, const wchar_t* text, DWORD style, const TwipsRect& place,
                ScreenDpi dpi, HFONT font);

// "宋体" (SimSun), 9 points, GB2312 character set, of the given weight. The caller owns it.
HFONT CreateSongtiFont(int dpiY, int weight);

// Outer rectangle of a window of `style` with the given client size, centred over `owner`
// (or the screen) and kept on the owner's monitor.
RECT PlaceOverOwner(HWND owner, DWORD style, DWORD exStyle, const TwipsRect& client, ScreenDpi dpi);

// Keeps the focused control while the window is inactive and gives it back on activation.
class ControlFocus {
public:
    void OnActivate(HWND window, UINT state, int firstControlId);

private:
    HWND m_last = nullptr;
};

// Fills `area` with one colour; no brush is left behind.
void FillColor(HDC hdc, const RECT& area, COLORREF color);
// Draws a one-pixel frame just inside `area` in one colour.
void FrameColor(HDC hdc, const RECT& area, COLORREF color);

// The answer to DM_GETDEFID: the focused push button, otherwise the button `defaultId`.
LRESULT DefaultButtonAnswer(HWND window, int defaultId);

}  // namespace kavlor
