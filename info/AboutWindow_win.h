// frmAbout: the About window, with the start of the system-information tool.
#pragma once
#include <windows.h>

#include <string>

#include "base/Handles.h"
#include "base/Window.h"
#include "base/FormControls.h"

namespace kavlor {

class AboutWindow : public BaseWindow<AboutWindow> {
public:
    static constexpr const wchar_t* kClassName = L"KavlorAboutWindow";
    // Child control ids. cmdOK is IDOK and pressed by Esc (IDCANCEL) too.
    enum ControlId : int {
        cmdOK = IDOK,
        cmdSysInfo = 100,
        picIcon,
        lblTitle,
        lblVersion,
        lblDescription,
        Label1,
        Label3,
        Label2,
    };

    AboutWindow() = default;
    ~AboutWindow() override;

    // Shows the window beside `owner`, creating it when it does not exist.
    void Show(HWND owner);
    // Starts the system-information program, or tells the user that it is not available.
    void StartSysInfo();
    // Reads a registry value as text into `keyVal`; false, with `keyVal` empty, when it cannot.
    static bool GetKeyValue(HKEY keyRoot, const std::string& keyName, const std::string& subKeyRef,
                            std::string& keyVal);

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void PaintContent(HDC hdc);

private:
    friend class BaseWindow<AboutWindow>;
    using UniqueIcon = UniqueHandle<HICON, DestroyIcon>;

    void OnCreate();
    void OnCommand(int id);
    void OnPaint();
    void OnDestroy();
    void OnDestroyed() override;
    void cmdOK_Click();
    void cmdSysInfo_Click();

    UniqueFont m_font;
    UniqueIcon m_icon;
    ControlFocus m_focus;
    ScreenDpi m_dpi{96, 96};
};

}  // namespace kavlor
