// Image box: a child window that shows a picture stretched to fill it, proportions not kept.
#pragma once
#include <windows.h>

#include "base/Picture.h"
#include "base/Window.h"

namespace kavlor {

class ImageBox : public BaseWindow<ImageBox> {
public:
    static constexpr const wchar_t* kClassName = L"KavlorImageBox";

    bool Create(HWND parent, int id, const RECT& place);
    // Replaces the picture and repaints; the old one is released.
    void SetPicture(PicturePtr picture);
    const PicturePtr& GetPicture() const { return m_picture; }
    // What the box shows, drawn into any DC (painting, WM_PRINTCLIENT, tests).
    void PaintContent(HDC hdc) const;

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    PicturePtr m_picture;
};

}  // namespace kavlor
