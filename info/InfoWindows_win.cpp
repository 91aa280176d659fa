// The About and help windows, and the main window's commands that show them.
#include "app/MainWindow.h"
#include "info/AboutWindow_win.h"
#include "info/HelpWindow_win.h"

namespace kavlor {

void AboutWindow::Show(HWND) {}
LRESULT AboutWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefaultProc(msg, wParam, lParam);
}

void HelpWindow::Show(HWND) {}
LRESULT HelpWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefaultProc(msg, wParam, lParam);
}

void MainWindow::guanyuwm_Click()
{
    m_frmAbout->Show(m_hwnd);
}

void MainWindow::bangzhu_Click()
{
    m_frmhelp->Show(m_hwnd);
}

}  // namespace kavlor
