// Tool bar wrapper over the common controls tool bar.
#include "base/ToolBar.h"

#include <vector>

#include "base/App.h"

namespace kavlor {

bool ToolBar::Create(HWND parent, int id, std::span<const ToolButtonSpec> buttons, int stripResource, int imageSize,
                     COLORREF maskColor, SIZE buttonSize)
{
    m_buttons = buttons;
    m_hwnd = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP, 0, 0,
                             0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), gInstance, nullptr);
    if (!m_hwnd) {
        return false;
    }
    SendMessageW(m_hwnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);

    m_images.reset(ImageList_Create(imageSize, imageSize, ILC_COLOR24 | ILC_MASK, static_cast<int>(buttons.size()), 0));
    UniqueBitmap strip(static_cast<HBITMAP>(
        LoadImageW(gInstance, MAKEINTRESOURCEW(stripResource), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    ImageList_AddMasked(m_images.get(), strip.get(), maskColor);
    SendMessageW(m_hwnd, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_images.get()));

    std::vector<TBBUTTON> tb;
    for (const ToolButtonSpec& b : buttons) {
        TBBUTTON button{};
        button.iBitmap = b.image - 1;
        button.idCommand = b.id;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = BTNS_BUTTON;
        button.iString = reinterpret_cast<INT_PTR>(b.caption);
        tb.push_back(button);
    }
    SendMessageW(m_hwnd, TB_ADDBUTTONSW, tb.size(), reinterpret_cast<LPARAM>(tb.data()));
    SendMessageW(m_hwnd, TB_SETBUTTONSIZE, 0, MAKELPARAM(buttonSize.cx, buttonSize.cy));
    SendMessageW(m_hwnd, TB_AUTOSIZE, 0, 0);
    return true;
}

int ToolBar::Height() const
{
    RECT r{};
    GetWindowRect(m_hwnd, &r);
    return r.bottom - r.top;
}

void ToolBar::Align()
{
    SendMessageW(m_hwnd, TB_AUTOSIZE, 0, 0);
}

const wchar_t* ToolBar::KeyOf(int id) const
{
    for (const ToolButtonSpec& b : m_buttons) {
        if (b.id == id) {
            return b.key;
        }
    }
    return nullptr;
}

bool ToolBar::OnNotify(NMHDR* header)
{
    if (header->code != TTN_GETDISPINFOW) {
        return false;
    }
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    for (const ToolButtonSpec& b : m_buttons) {
        if (static_cast<UINT_PTR>(b.id) == header->idFrom) {
            info->lpszText = const_cast<wchar_t*>(b.toolTip);
            return true;
        }
    }
    return false;
}

}  // namespace kavlor
