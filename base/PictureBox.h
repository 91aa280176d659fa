// Picture box: a child window that shows a picture unscaled from its top-left corner.
#pragma once
#include <windows.h>

#include "base/Picture.h"
#include "base/Window.h"

namespace kavlor {

class PictureBox : public BaseWindow<PictureBox> {
public:
    static constexpr const wchar_t* kClassName = L"KavlorPictureBox";

    bool Create(HWND parent, int id);
    // Replaces the picture (nullptr: no picture) and repaints; the old one is released.
    void SetPicture(PicturePtr picture);
    const PicturePtr& GetPicture() const { return m_picture; }
    void Move(int left, int top, int width, int height);
    // What the box shows, drawn into any DC (painting, WM_PRINTCLIENT, tests).
    void PaintContent(HDC hdc, const RECT& area) const;

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    PicturePtr m_picture;
};

}  // namespace kavlor
