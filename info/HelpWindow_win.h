// frmhelp: the help window with its four help lines.
#pragma once
#include <windows.h>

#include "base/Window.h"

namespace kavlor {

class HelpWindow : public BaseWindow<HelpWindow> {
public:
    static constexpr const wchar_t* kClassName = L"KavlorHelpWindow";

    // Shows the window beside `owner`, creating it when it does not exist.
    void Show(HWND owner);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
};

}  // namespace kavlor
