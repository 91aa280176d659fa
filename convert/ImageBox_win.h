// Image box: a child window that shows a picture stretched to fill it, proportions not kept.
#pragma once
#include <windows.h>

#include <string>

#include "base/Picture.h"
#include "base/Window.h"

namespace kavlor {

// A picture file (BMP or JPEG, or what the system's decoders read) at no more than `size`: the
// whole file need not become a full-size bitmap for a preview. Nothing when it cannot be read.
PicturePtr LoadPreviewPicture(const std::wstring& path, SIZE size);

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
