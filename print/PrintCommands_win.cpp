// The main window's print commands.
#include "app/MainWindow.h"

namespace kavlor {

void MainWindow::dayinsz_Click() {}
void MainWindow::dayingtux_Click() {}

}  // namespace kavlor
