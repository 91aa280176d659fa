// Image box of the converter's previews.
#include "convert/ImageBox_win.h"

#include "base/Handles.h"

namespace kavlor {

bool ImageBox::Create(HWND parent, int id, const RECT& place)
{
    return BaseWindow::Create(0, L"", WS_CHILD | WS_VISIBLE, place.left, place.top, place.right - place.left,
                              place.bottom - place.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void ImageBox::SetPicture(PicturePtr picture)
{
    m_picture = std::move(picture);
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

LRESULT ImageBox::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT: {
        PaintDC paint(m_hwnd);
        PaintContent(paint.get());
        return 0;
    }
    case WM_PRINTCLIENT: PaintContent(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ERASEBKGND: return m_picture ? 1 : DefaultProc(msg, wParam, lParam);
    default: return DefaultProc(msg, wParam, lParam);
    }
}

// Halftone stretching keeps a shrunk screenshot readable; the picture's palette is realised
// first on a 256-colour display.
void ImageBox::PaintContent(HDC hdc) const
{
    RECT client{};
    GetClientRect(m_hwnd, &client);
    if (!m_picture) {
        FillRect(hdc, &client, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    const SIZE size = m_picture->SizePixels();
    UniqueDC memory(CreateCompatibleDC(hdc));
    SelectGuard bitmap(memory.get(), m_picture->Bitmap());
    PaletteGuard target(hdc, m_picture->Palette(), FALSE);
    if (m_picture->Palette()) {
        RealizePalette(hdc);
    }
    int oldMode = SetStretchBltMode(hdc, HALFTONE);
    POINT oldOrigin{};
    SetBrushOrgEx(hdc, 0, 0, &oldOrigin);
    StretchBlt(hdc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, size.cx, size.cy, SRCCOPY);
    SetBrushOrgEx(hdc, oldOrigin.x, oldOrigin.y, nullptr);
    SetStretchBltMode(hdc, oldMode);
}

}  // namespace kavlor
