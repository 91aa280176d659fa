// Tool bar wrapper: buttons with a caption under a square image, keys and tool tips.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <span>
#include <string>

#include "base/Handles.h"

namespace kavlor {

struct ToolButtonSpec {
    const wchar_t* caption;
    const wchar_t* key;  // what the click handler dispatches on
    const wchar_t* toolTip;
    int image;  // 1-based index into the image strip
    int id;
};

class ToolBar {
public:
    // `stripResource` is a bitmap of imageSize x imageSize images side by side, `maskColor` shown
    // transparent.
    bool Create(HWND parent, int id, std::span<const ToolButtonSpec> buttons, int stripResource, int imageSize,
                COLORREF maskColor, SIZE buttonSize);
    HWND Hwnd() const { return m_hwnd; }
    int Height() const;
    // Keeps the tool bar along the parent's top edge; call on every resize of the parent.
    void Align();
    // Key of the button with this command id, or nothing when the id is not a button's.
    const wchar_t* KeyOf(int id) const;
    // Answers the tool tip request of WM_NOTIFY; true when it was one of ours.
    bool OnNotify(NMHDR* header);

private:
    HWND m_hwnd = nullptr;
    std::span<const ToolButtonSpec> m_buttons;
    UniqueImageList m_images;
};

}  // namespace kavlor
