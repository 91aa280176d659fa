// Main, the default-printer window: the installed printers, and a button that makes the
// selected one the user's default printer.
#pragma once
#include <windows.h>

#include <string>

#include "base/FormControls.h"
#include "base/Handles.h"
#include "base/Window.h"

namespace kavlor {

// Where the default printer is written, decided by the system family.
enum class DefaultPrinterRoute {
    Registry,  // the NT family: the user's "Windows" key, value "Device"
    Profile,   // other systems: the profile's "windows" section, announced to every window
};
DefaultPrinterRoute CurrentDefaultPrinterRoute();

// Makes `entry` (device,driver,port) the user's default printer. ERROR_SUCCESS, or the error
// of the write that failed; other programs are told on the profile route only.
LONG WriteDefaultPrinter(DefaultPrinterRoute route, const std::wstring& entry);

class PrinterWindow : public BaseWindow<PrinterWindow> {
public:
    static constexpr const wchar_t* kClassName = L"KavlorPrinterWindow";
    static void AdjustClass(WNDCLASSEXW& wc);
    // Child control ids; Command1 is IDOK so that Enter reaches it.
    enum ControlId : int {
        Command1 = IDOK,
        List1 = 100,
    };

    PrinterWindow() = default;
    ~PrinterWindow() override;

    // Shows the window beside `owner`; loads it (and fills its list) when it is not loaded.
    void Show(HWND owner);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    friend class BaseWindow<PrinterWindow>;

    void Form_Load();
    void OnCommand(int id, int code);
    void OnDestroy();
    void OnDestroyed() override;
    void Command1_Click();

    UniqueFont m_font;
    ControlFocus m_focus;
    ScreenDpi m_dpi{96, 96};
};

}  // namespace kavlor
