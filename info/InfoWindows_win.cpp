// The main window's commands that show the About and help windows.
#include "app/MainWindow.h"
#include "info/AboutWindow_win.h"
#include "info/HelpWindow_win.h"

namespace kavlor {

void MainWindow::guanyuwm_Click()
{
    m_frmAbout->Show(m_hwnd);
}

void MainWindow::bangzhu_Click()
{
    m_frmhelp->Show(m_hwnd);
}

}  // namespace kavlor
