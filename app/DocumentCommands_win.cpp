// The main window's image document commands: open, save, clear, wallpaper, paint program,
// converter, links and exit.
#include "app/MainWindow.h"

namespace kavlor {

void MainWindow::huatu_Click() {}
void MainWindow::plzhuan_Click() {}
void MainWindow::open_Click() {}
void MainWindow::baocuntx_Click() { SavePicture(); }
void MainWindow::SavePicture() {}

void MainWindow::qinchutx_Click()
{
    ClearPicture();
}

void MainWindow::ClearPicture()
{
    m_picture1.SetPicture(nullptr);
}

void MainWindow::tuichu_Click()
{
    DestroyWindow(m_hwnd);
}

void MainWindow::shezhi_Click() {}
void MainWindow::fangweng_Click() {}
void MainWindow::lianxiwm_Click() {}
void MainWindow::OpenMail(const wchar_t*) {}

}  // namespace kavlor
