// Picture box window.
#include "base/PictureBox.h"

namespace kavlor {

bool PictureBox::Create(HWND parent, int id)
{
    return BaseWindow::Create(0, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void PictureBox::SetPicture(PicturePtr picture)
{
    m_picture = std::move(picture);
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

void PictureBox::Move(int left, int top, int width, int height)
{
    MoveWindow(m_hwnd, left, top, width, height, TRUE);
}

void PictureBox::PaintContent(HDC hdc, const RECT& area) const
{
    // The background is a fixed system colour wherever the picture does not cover the box.
    FillRect(hdc, &area, GetSysColorBrush(COLOR_APPWORKSPACE));
    if (m_picture) {
        m_picture->Draw(hdc, 0, 0);
    }
}

LRESULT PictureBox::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PaintDC paint(m_hwnd);
        PaintContent(paint.get(), paint.paintRect());
        return 0;
    }
    case WM_PRINTCLIENT: {
        RECT client{};
        GetClientRect(m_hwnd, &client);
        PaintContent(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    default: return DefaultProc(msg, wParam, lParam);
    }
}

}  // namespace kavlor
