// plzh, the batch converter window: source files with their preview, the conversion run, and
// the results with theirs.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "base/FormControls.h"
#include "base/Handles.h"
#include "base/Window.h"
#include "convert/ImageBox_win.h"

namespace kavlor {

class ConverterWindow : public BaseWindow<ConverterWindow> {
public:
    static constexpr const wchar_t* kClassName = L"KavlorConverterWindow";
    static void AdjustClass(WNDCLASSEXW& wc);
    // Child control ids, in tab order.
    enum ControlId : int {
        Frame1 = 100,
        Frame2,
        List1,
        List2,
        Command1,
        Command2,
        Label1,
        Label2,
        Image1,
        Image2,
    };

    // `onExit` brings the main window back when this one goes.
    explicit ConverterWindow(std::function<void()> onExit);
    ~ConverterWindow() override;

    // Shows the window, creating it on first use; it keeps its contents while hidden.
    void Show();
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    ImageBox& Image1Box() { return m_image1; }
    ImageBox& Image2Box() { return m_image2; }

    // Commands, one handler per menu item and button.
    void open_Click();
    void exit_Click();
    void zhuanhuan_Click();
    void help_Click();
    void Command1_Click();
    void Command2_Click();
    void List1_Click();
    void List2_Click();

    void OpenSourceFiles();
    void ConvertListedFiles();

private:
    friend class BaseWindow<ConverterWindow>;

    void Form_Load();
    void OnCommand(int id, int code);
    void OnDestroy();
    void OnDestroyed() override;
    HWND Control(int id) const { return GetDlgItem(m_hwnd, id); }
    // Selects an entry as a click would, so that its preview follows.
    void SelectEntry(int list, int index);
    void ShowEntryPreview(int label, int list, ImageBox& image);

    std::function<void()> m_onExit;
    ImageBox m_image1;
    ImageBox m_image2;
    UniqueFont m_font;
    ControlFocus m_focus;
    ScreenDpi m_dpi{96, 96};
    bool m_running = false;
    UniqueModule m_library;  // conversion.dll, once a run has loaded it
};

}  // namespace kavlor
