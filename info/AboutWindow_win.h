// frmAbout: the About window, with the start of the system-information tool.
#pragma once
#include <windows.h>

#include "base/Window.h"

namespace kavlor {

class AboutWindow : public BaseWindow<AboutWindow> {
public:
    static constexpr const wchar_t* kClassName = L"KavlorAboutWindow";

    // Shows the window beside `owner`, creating it when it does not exist.
    void Show(HWND owner);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
};

}  // namespace kavlor
