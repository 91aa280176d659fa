// frmhelp: the help window with its four help lines.
#pragma once
#include <windows.h>

#include "base/Handles.h"
#include "base/Window.h"
#include "base/FormControls.h"

namespace kavlor {

class HelpWindow : public BaseWindow<HelpWindow> {
public:
    static constexpr const wchar_t* kClassName = L"KavlorHelpWindow";
    static void AdjustClass(WNDCLASSEXW& wc);
    // Child control ids; Command1 is IDOK so that Enter reaches it.
    enum ControlId : int {
        Command1 = IDOK,
        Label1 = 100,
        Label2,
        Label3,
        Label4,
    };

    HelpWindow() = default;
    ~HelpWindow() override;

    // Shows the window beside `owner`, creating it when it does not exist.
    void Show(HWND owner);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void PaintContent(HDC hdc);

private:
    friend class BaseWindow<HelpWindow>;

    void OnCreate();
    void OnCommand(int id);
    void OnPaint();
    void OnDestroy();
    void OnDestroyed() override;
    void Command1_Click();

    UniqueFont m_font;
    ControlFocus m_focus;
    ScreenDpi m_dpi{96, 96};
};

}  // namespace kavlor
