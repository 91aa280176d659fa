// Status bar wrapper: a fixed text panel and date and time panels that keep themselves current.
#pragma once
#include <windows.h>

#include <string>

namespace kavlor {

class StatusBar {
public:
    // `fixedWidth` is the width of the date and of the time panel; the text panel takes the
    // rest, never less than `fixedWidth`.
    bool Create(HWND parent, int id, const wchar_t* notice, int height, int fixedWidth);
    HWND Hwnd() const { return m_hwnd; }
    // Keeps the bar along the parent's bottom edge and re-divides the panels.
    void Align();
    // Writes the current date and time into their panels (also done every second by a timer).
    void Refresh();
    std::wstring PanelText(int panel) const;

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    HWND m_hwnd = nullptr;
    int m_fixedWidth = 96;
};

}  // namespace kavlor
