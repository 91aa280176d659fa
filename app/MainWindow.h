// frmSnap, the main window: menus, tool bar, status bar, the picture box and every command.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "base/CommonDialog.h"
#include "base/FileDialogRules.h"
#include "base/Handles.h"
#include "base/PictureBox.h"
#include "base/StatusBar.h"
#include "base/ToolBar.h"
#include "base/Window.h"

namespace kavlor {

enum class ClipboardCopy;
struct Captured;
class AboutWindow;
class ConverterWindow;
class HelpWindow;
class Picture;
class Printer;
class PrinterWindow;

// State several commands share.
struct MainState {
    std::wstring CurrentImagePath;  // last opened file, or the handle text of a menu full-screen capture
    bool SelectionArmed = false;    // the custom region capture waits for its left press
    bool shezhiEnabled = false;     // "设置墙纸(&S)"
    bool dayingtuxEnabled = false;  // "打印图像(&P)"
};

class MainWindow : public BaseWindow<MainWindow> {
public:
    static constexpr const wchar_t* kClassName = L"KavlorMainWindow";
    static void AdjustClass(WNDCLASSEXW& wc);

    MainWindow();
    ~MainWindow() override;

    // Creates the window centred on the screen and shows it.
    bool Create(int showCommand = SW_SHOWNORMAL);

    PictureBox& Picture1() { return m_picture1; }
    ConverterWindow& plzh() { return *m_plzh; }
    ToolBar& Toolbar1() { return m_toolbar1; }
    StatusBar& StatusBar1() { return m_statusBar1; }
    CommonDialog& CommonDialog1() { return m_commonDialog1; }
    MainState& State() { return m_state; }
    HACCEL Accelerators() const { return m_accelerators.get(); }

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    // Commands, one handler per menu item.
    void huatu_Click();
    void plzhuan_Click();
    void open_Click();
    void baocuntx_Click();
    void qinchutx_Click();
    void tuichu_Click();
    void buzuoqping_Click();
    void buzuockou_Click();
    void buzuobfeng_Click();
    void zdongbuzuo_Click();
    void zidingyi_Click();
    void shezhi_Click();
    void buhuo_Click();
    void bu800_Click();
    void bu1024_Click();
    void dayinsz_Click();
    void dayingtux_Click();
    void guanyuwm_Click();
    void lianxiwm_Click();
    void fangweng_Click();
    void bangzhu_Click();
    // The tool bar's one handler, dispatching on the clicked button's key.
    void Toolbar1_ButtonClick(const std::wstring& key);

    // Mouse events of the window, which serve the region selection.
    void Form_MouseDown(int button, int shift, float x, float y);
    void Form_MouseUp(int button, int shift, float x, float y);

    // Steps the menu and the tool bar share.
    void RunAutomaticCapture();
    // Puts a capture's picture into Picture1, or says why there is none; true for a picture.
    bool ShowCapture(const Captured& captured);
    void ArmSelection();
    void CaptureFixedSize(int width, int height);
    // After a capture was put on the clipboard: the picture box
    // shows the clipboard's picture, or keeps its own and says why.
    void ShowClipboardPicture(ClipboardCopy copied);
    void ClearPicture();
    void SavePicture();
    void OpenMail(const wchar_t* address);
    // Prints the picture as large as the printable area allows, in the orientation of its shape.
    enum class FitPrint { Drawn, CannotFit, DrawFailed };
    FitPrint PrintPictureToFitPage(Printer& Prn, const Picture& Pic);
    // Enables or disables a menu item after its flag in State() changed.
    void ApplyMenuState();

private:
    void OnCreate();
    void OnSize(UINT state);
    void OnCommand(int id);
    LRESULT OnNotify(NMHDR* header);
    void OnGetMinMaxInfo(MINMAXINFO* info);
    void OnClose();
    void OnDestroy();
    void LayOutPicture1();

    ToolBar m_toolbar1;
    StatusBar m_statusBar1;
    PictureBox m_picture1;
    CommonDialog m_commonDialog1;
    SaveType m_saveType = SaveType::Bmp;  // the type last chosen in the save dialog
    MainState m_state;
    UniqueAccel m_accelerators;
    // Secondary windows, each created on first use and existing at most once.
    std::unique_ptr<AboutWindow> m_frmAbout;
    std::unique_ptr<HelpWindow> m_frmhelp;
    std::unique_ptr<PrinterWindow> m_main;
    std::unique_ptr<ConverterWindow> m_plzh;
};

}  // namespace kavlor
